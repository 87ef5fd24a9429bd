// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/LatencySeries.h"

#include <QColor>
#include <QImage>
#include <QLine>
#include <QRect>
#include <QWidget>

#include <chrono>
#include <vector>

class SessionHistory;

// The latency chart of a whole session, painted with QPainter: time runs
// left to right from the session's start; the axis reaches a little beyond
// now (up to the next round step, a tenth of the leading power of ten of the
// session's length) and moves on only when now passes it. The milliseconds
// axis scales itself to the largest time shown (1, 2 or 5 times a power of
// ten). Each pixel column shows the checks that started within it: the
// successful ones as a point or a min-max stroke, joined by a line through
// their averages, a failed one as a red mark at the bottom. An outage is a
// pale red band over the whole height. Hovering shows the check under the
// pointer.
//
// The chart reads the history when refreshed (and when resized). Its picture
// is kept between paints: while the axes stay, a refresh redraws only the
// pixel columns whose checks changed (after a check, the newest one or two),
// and a paint copies the picture. The history is borrowed and must outlive
// the chart.
class LatencyChart final : public QWidget {
    Q_OBJECT
public:
    static const QColor kBackground;
    static const QColor kBand;    // outage
    static const QColor kFailure; // failed check mark
    static const QColor kSuccess; // successful checks
    static const QColor kLine;    // line through the averages
    static constexpr int kFailureMarkHeight = 8;

    explicit LatencyChart(const SessionHistory &history, QWidget *parent = nullptr);

    // Takes the history as of now and schedules a repaint.
    void Refresh();

    // Where the plot lies in the widget (the axes' labels lie outside it).
    QRect PlotArea() const;
    // The top of the milliseconds axis, and the end of the time axis (since
    // the session's start).
    double AxisMaxMs() const { return axisMaxMs_; }
    std::chrono::nanoseconds AxisEnd() const { return axisEnd_; }
    // The x of the plot pixel that shows a moment of the session (since its
    // start), or -1 outside the axis.
    int XOf(std::chrono::nanoseconds sinceStart) const;
    // What hovering over `point` shows (empty where there is nothing).
    QString HoverText(QPoint point) const;

    // How many pixel columns the last refreshes redrew, all told, and how
    // often the whole picture was drawn afresh.
    int ColumnsRedrawn() const { return columnsRedrawn_; }
    int FullPaints() const { return fullPaints_; }

    // The end of the time axis for a session of `length`.
    static std::chrono::nanoseconds AxisEndFor(std::chrono::nanoseconds length);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void Resample();
    void UpdatePicture();
    void PaintAll(QPainter &painter);
    // Redraws the plot's pixel columns first..last (inclusive).
    void PaintColumns(QPainter &painter, int first, int last);
    void PaintLabels(QPainter &painter) const;
    void PaintBands(QPainter &painter, int first, int last);
    void PaintGrid(QPainter &painter, int first, int last) const;
    void PaintChecks(QPainter &painter, int first, int last);
    int YOf(double ms) const;
    static void FillRects(QPainter &painter, const std::vector<QRect> &rects, const QColor &colour);
    // The pixel column nearest to x that shows checks, within a few pixels.
    int ColumnNear(int x) const;
    // The nearest column before p (after p with step 1) that shows checks in
    // the columns shown or in those drawn; -1 (or the end) when none.
    int CheckedNeighbour(int p, int step) const;

    const SessionHistory &history_;
    std::chrono::nanoseconds now_{0};
    std::chrono::nanoseconds axisEnd_{1};
    std::vector<ChartColumn> columns_;
    double axisMaxMs_ = 1;
    int hoverX_ = -1;

    // The picture as last drawn, and what it shows.
    QImage picture_;
    std::vector<ChartColumn> drawn_;
    double drawnAxisMaxMs_ = 0;
    std::chrono::nanoseconds drawnAxisEnd_{0};
    int columnsRedrawn_ = 0;
    int fullPaints_ = 0;
    // Scratch space of the paint: bands, successes, failures; average line.
    std::vector<QRect> rects_[3];
    std::vector<QLine> lines_;
};
