// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryReader.h"

#include <QCoreApplication>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

class HeatMap;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;

// The history window "History — Kelvora" ("История — Kelvora" in Russian): for the chosen range (today, 7,
// 30 or 365 days up to now, or a from/to pair of days) and target (a choice
// shown when the file holds several), the heat map, the current cell's
// text, the totals (monitored time, availability over it, outages, the
// longest, the mean time between outages) and the outages newest first.
// "Export…" saves the range as CSV (HistoryReader::ExportCsv) or the heat
// map as PNG, to a file the user picks.
//
// It reads the file anew on each Refresh (when shown, and when the range or
// target changes) and keeps no connection open between, so the file can be
// removed while the window exists. A file that cannot be read is said in the
// window instead of the figures. Hides on close and on Escape.
class HistoryWindow final : public QWidget {
    Q_OBJECT
public:
    enum class Range { Today, Week, Month, Year, Custom };
    enum class Total { Monitored, Availability, Outages, Longest, BetweenOutages };
    using SaveFileQuestion = std::function<QString(QWidget *parent, const QString &caption,
                                                   const QString &suggested, const QString &filter)>;

    HistoryWindow(std::filesystem::path file, ReaderSettings reader, SaveFileQuestion saveFile,
                  QWidget *parent = nullptr);
    ~HistoryWindow() override;

    static QString Title() { return QCoreApplication::translate("HistoryWindow", "History — Kelvora"); }

    void SetRange(Range range);
    void SetCustomRange(QDate from, QDate to);
    // Reads the file and shows the chosen range.
    void Refresh();

    // The span a range choice covers for `nowMs`; Custom uses the from/to days.
    Span RangeSpan(Range range, std::int64_t nowMs) const;

    HeatMap *Map() const { return map_; }
    QComboBox *Targets() const { return targets_; }
    QComboBox *Ranges() const { return ranges_; }
    QTableWidget *Outages() const { return outages_; }
    QLabel *Problem() const { return problem_; }
    QLabel *CellInfo() const { return cellInfo_; }
    QString TotalText(Total total) const;
    const std::optional<HistoryView> &View() const { return view_; }

    // Export to a file the user picks; false when nothing was written.
    bool ExportCsv();
    bool ExportPng();
    bool WriteCsv(const QString &path);
    bool WritePng(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *BuildTopRow();
    QWidget *BuildTotals();
    void BuildOutages();
    void ShowView(const HistoryView &view);
    void ShowProblem(const QString &text);
    void ShowExportProblem(const QString &path, const QString &why);
    void FillTargets(const std::vector<HistoryTarget> &targets);
    std::optional<std::int64_t> ChosenTarget() const;

    std::filesystem::path file_;
    ReaderSettings reader_;
    SaveFileQuestion saveFile_;
    QComboBox *targets_ = nullptr;
    QLabel *targetsLabel_ = nullptr;
    QComboBox *ranges_ = nullptr;
    QDateEdit *from_ = nullptr;
    QDateEdit *to_ = nullptr;
    QPushButton *export_ = nullptr;
    QLabel *problem_ = nullptr;
    QScrollArea *scroll_ = nullptr;
    HeatMap *map_ = nullptr;
    QLabel *cellInfo_ = nullptr;
    std::map<Total, QLabel *> totals_;
    QTableWidget *outages_ = nullptr;
    std::optional<HistoryView> view_;
    std::int64_t target_ = 0;
    bool refreshing_ = false;
};
