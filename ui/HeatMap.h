// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"

#include <QColor>
#include <QRect>
#include <QWidget>

#include <optional>
#include <vector>

// The heat map of availability: one row per day of a HistoryView, one cell
// per cell of the view (10 minutes, or an hour for long ranges), the date
// before each row and the day's availability after it.
//
// Colours (ColorOf): lime where every monitored moment of the cell was up,
// from yellow through orange to red as the share of failed time grows (so
// that one short drop in a cell is seen), grey where nothing was monitored,
// and the window's base colour for cells outside the range (the rest of
// today, say).
//
// The mouse over a cell, or the keyboard focus on it (arrow keys, Home,
// End, Page Up/Down), makes it current: its text (HistoryTexts::CellText)
// goes out with CurrentChanged, shows as a tool tip under the mouse and is
// the widget's accessible description. Geometry is fixed per view, so the
// widget sits in a scroll area.
class HeatMap final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;
    static constexpr int kFineCellWidth = 5;    // 144 cells a day
    static constexpr int kCoarseCellWidth = 30; // 24 cells a day

    explicit HeatMap(QWidget *parent = nullptr);

    void SetView(const HistoryView &view);
    const std::vector<HistoryDay> &Days() const { return days_; }

    static QColor ColorOf(const HistoryCell &cell, Span range, const QColor &outside);

    // Where a cell is drawn; a null rectangle for one that is not there.
    QRect CellRect(int day, int cell) const;
    // The cell at a point of the widget.
    std::optional<std::pair<int, int>> CellAt(QPoint point) const;

    std::optional<std::pair<int, int>> Current() const { return current_; }
    void SetCurrent(int day, int cell);
    QString CurrentText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void CurrentChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int CellWidth() const;
    int CellsPerDay() const;
    int LabelWidth() const;
    int PercentWidth() const;
    void PaintRow(QPainter &painter, int day) const;
    void MoveCurrent(int days, int cells);

    std::vector<HistoryDay> days_;
    Span range_;
    std::int64_t cellMs_ = kFineCellMs;
    std::optional<std::pair<int, int>> current_;
};
