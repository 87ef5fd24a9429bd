// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The history window: one job, showing a range of the history file (the
// range and target choice, the heat map, the totals, the outage table and
// the export of what is shown). The pieces that stand alone live apart
// (HeatMap, HistoryTexts, the reader in history/); what stays here is the
// wiring of one view to one range, which reads best in one place.
#include "ui/HistoryWindow.h"

#include "base/ErrorReport.h"
#include "history/HistoryFile.h"
#include "history/LocalDays.h"
#include "ui/HeatMap.h"
#include "ui/HistoryTexts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using Total = HistoryWindow::Total;
using Range = HistoryWindow::Range;

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("HistoryWindow", text);
}

constexpr std::pair<Total, const char *> kTotals[] = {
    {Total::Monitored, QT_TRANSLATE_NOOP("HistoryWindow", "Time monitored:")},
    {Total::Availability, QT_TRANSLATE_NOOP("HistoryWindow", "Availability:")},
    {Total::Outages, QT_TRANSLATE_NOOP("HistoryWindow", "Outages:")},
    {Total::Longest, QT_TRANSLATE_NOOP("HistoryWindow", "Longest:")},
    {Total::BetweenOutages, QT_TRANSLATE_NOOP("HistoryWindow", "Mean time between outages:")},
};

constexpr std::pair<Range, const char *> kRanges[] = {
    {Range::Today, QT_TRANSLATE_NOOP("HistoryWindow", "Today")},
    {Range::Week, QT_TRANSLATE_NOOP("HistoryWindow", "7 days")},
    {Range::Month, QT_TRANSLATE_NOOP("HistoryWindow", "30 days")},
    {Range::Year, QT_TRANSLATE_NOOP("HistoryWindow", "365 days")},
    {Range::Custom, QT_TRANSLATE_NOOP("HistoryWindow", "Custom")},
};

QString UnreadableText(const char *why)
{
    return Tr(QT_TRANSLATE_NOOP("HistoryWindow", "History unavailable: %1")).arg(QString::fromLocal8Bit(why));
}

std::int64_t StartOfDayMs(QDate date)
{
    return LocalMidnightAfter(date.startOfDay().toMSecsSinceEpoch(), 0);
}

QString ProblemText(const HistoryFileError &error)
{
    switch (error.Problem()) {
    case HistoryProblem::Missing:
    case HistoryProblem::Empty:
        return Tr(QT_TRANSLATE_NOOP("HistoryWindow", "No history yet: it holds no checks."));
    default:
        return UnreadableText(error.what());
    }
}

} // namespace

HistoryWindow::HistoryWindow(std::filesystem::path file, ReaderSettings reader, SaveFileQuestion saveFile,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), file_(std::move(file)), reader_(std::move(reader)), saveFile_(std::move(saveFile))
{
    setWindowTitle(Title());
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildTopRow());
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);
    map_ = new HeatMap;
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(map_);
    scroll_->setWidgetResizable(false);
    scroll_->setMinimumHeight(HeatMap::kRowHeight * 8);
    // A whole row in view, with room for the vertical scroll bar: 144 ten-
    // minute cells and 24 hour cells take the same width.
    scroll_->setMinimumWidth(map_->sizeHint().width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                             2 * scroll_->frameWidth());
    layout->addWidget(scroll_, 3);
    cellInfo_ = new QLabel(this);
    cellInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cellInfo_->setMinimumHeight(cellInfo_->fontMetrics().lineSpacing() * 5);
    cellInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(cellInfo_);
    connect(map_, &HeatMap::CurrentChanged, cellInfo_, &QLabel::setText);
    layout->addWidget(BuildTotals());
    BuildOutages();
    layout->addWidget(outages_, 2);
    resize(minimumSizeHint().width(), std::max(minimumSizeHint().height(), 720));
}

HistoryWindow::~HistoryWindow() = default;

QWidget *HistoryWindow::BuildTopRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    targetsLabel_ = new QLabel(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Host:")), row);
    targets_ = new QComboBox(row);
    targetsLabel_->setBuddy(targets_);
    layout->addWidget(targetsLabel_);
    layout->addWidget(targets_);
    targetsLabel_->hide();
    targets_->hide();
    auto *rangeLabel = new QLabel(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Range:")), row);
    ranges_ = new QComboBox(row);
    for (const auto &[range, text] : kRanges)
        ranges_->addItem(Tr(text), int(range));
    rangeLabel->setBuddy(ranges_);
    layout->addWidget(rangeLabel);
    layout->addWidget(ranges_);
    from_ = new QDateEdit(QDate::currentDate().addDays(-6), row);
    to_ = new QDateEdit(QDate::currentDate(), row);
    for (QDateEdit *edit : {from_, to_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(HistoryTexts::DateFormat());
        edit->setEnabled(false);
    }
    from_->setAccessibleName(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "From")));
    to_->setAccessibleName(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "To")));
    layout->addWidget(new QLabel(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "from")), row));
    layout->addWidget(from_);
    layout->addWidget(new QLabel(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "to")), row));
    layout->addWidget(to_);
    layout->addStretch(1);
    export_ = new QPushButton(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Export…")), row);
    auto *menu = new QMenu(export_);
    connect(menu->addAction(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Checks as CSV…"))), &QAction::triggered, this,
            [this] { CallGuarded([this] { ExportCsv(); }); });
    connect(menu->addAction(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Heat map as PNG…"))), &QAction::triggered, this,
            [this] { CallGuarded([this] { ExportPng(); }); });
    export_->setMenu(menu);
    layout->addWidget(export_);

    connect(ranges_, &QComboBox::currentIndexChanged, this, [this] {
        CallGuarded([this] {
            const bool custom = Range(ranges_->currentData().toInt()) == Range::Custom;
            from_->setEnabled(custom);
            to_->setEnabled(custom);
            Refresh();
        });
    });
    connect(targets_, &QComboBox::currentIndexChanged, this, [this] { CallGuarded([this] { Refresh(); }); });
    for (QDateEdit *edit : {from_, to_})
        connect(edit, &QDateEdit::dateChanged, this, [this] { CallGuarded([this] { Refresh(); }); });
    return row;
}

QWidget *HistoryWindow::BuildTotals()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const auto &[total, text] : kTotals) {
        auto *value = new QLabel(box);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *label = new QLabel(Tr(text), box);
        label->setBuddy(value);
        grid->addWidget(label, row / 2, (row % 2) * 2);
        grid->addWidget(value, row / 2, (row % 2) * 2 + 1);
        totals_[total] = value;
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

void HistoryWindow::BuildOutages()
{
    outages_ = new QTableWidget(0, 5, this);
    outages_->setHorizontalHeaderLabels({Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Start")),
                                         Tr(QT_TRANSLATE_NOOP("HistoryWindow", "End")),
                                         Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Duration")),
                                         Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Failed checks")),
                                         Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Reasons"))});
    outages_->setAccessibleName(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Outages")));
    outages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outages_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outages_->verticalHeader()->hide();
    outages_->horizontalHeader()->setStretchLastSection(true);
    outages_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void HistoryWindow::SetRange(Range range)
{
    ranges_->setCurrentIndex(ranges_->findData(int(range)));
}

void HistoryWindow::SetCustomRange(QDate from, QDate to)
{
    {
        const QSignalBlocker blockFrom(from_);
        const QSignalBlocker blockTo(to_);
        from_->setDate(from);
        to_->setDate(to);
    }
    if (Range(ranges_->currentData().toInt()) == Range::Custom)
        Refresh();
    else
        SetRange(Range::Custom);
}

Span HistoryWindow::RangeSpan(Range range, std::int64_t nowMs) const
{
    switch (range) {
    case Range::Today: return {LocalMidnightAfter(nowMs, 0), nowMs};
    case Range::Week: return {LocalMidnightAfter(nowMs, -6), nowMs};
    case Range::Month: return {LocalMidnightAfter(nowMs, -29), nowMs};
    case Range::Year: return {LocalMidnightAfter(nowMs, -364), nowMs};
    case Range::Custom: break;
    }
    QDate from = from_->date();
    QDate to = to_->date();
    if (to < from)
        std::swap(from, to);
    const std::int64_t start = StartOfDayMs(from);
    const std::int64_t end = std::min(nowMs, LocalMidnightAfter(StartOfDayMs(to), 1));
    return {start, std::max(start, end)};
}

std::optional<std::int64_t> HistoryWindow::ChosenTarget() const
{
    if (targets_->count() == 0)
        return std::nullopt;
    return targets_->currentData().toLongLong();
}

void HistoryWindow::FillTargets(const std::vector<HistoryTarget> &targets)
{
    const QSignalBlocker blocker(targets_);
    const std::optional<std::int64_t> before = ChosenTarget();
    targets_->clear();
    // The target watched last comes first and is the one shown at first.
    std::vector<HistoryTarget> sorted = targets;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const HistoryTarget &a, const HistoryTarget &b) { return a.lastMs > b.lastMs; });
    for (const HistoryTarget &target : sorted)
        targets_->addItem(HistoryTexts::TargetText(target), qlonglong(target.id));
    if (before)
        if (const int index = targets_->findData(qlonglong(*before)); index >= 0)
            targets_->setCurrentIndex(index);
    const bool several = targets_->count() > 1;
    targets_->setVisible(several);
    targetsLabel_->setVisible(several);
}

void HistoryWindow::Refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    try {
        HistoryReader reader(file_, reader_);
        FillTargets(reader.Targets());
        const std::optional<std::int64_t> target = ChosenTarget();
        if (!target)
            throw HistoryFileError(HistoryProblem::Empty, file_.string());
        target_ = *target;
        const Span range = RangeSpan(Range(ranges_->currentData().toInt()), reader.NowMs());
        ShowView(reader.View(target_, range));
    } catch (const HistoryFileError &error) {
        ShowProblem(ProblemText(error));
    } catch (const std::exception &error) {
        ShowProblem(UnreadableText(error.what()));
    }
    refreshing_ = false;
}

void HistoryWindow::ShowProblem(const QString &text)
{
    view_.reset();
    problem_->setText(text);
    problem_->show();
    map_->SetView({});
    cellInfo_->clear();
    for (auto &[total, label] : totals_)
        label->setText(QStringLiteral("—"));
    outages_->setRowCount(0);
    export_->setEnabled(false);
}

void HistoryWindow::ShowExportProblem(const QString &path, const QString &why)
{
    // The figures stay; only the line above them says what went wrong.
    problem_->setText(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Could not write %1: %2")).arg(path, why));
    problem_->show();
}

void HistoryWindow::ShowView(const HistoryView &view)
{
    view_ = view;
    problem_->hide();
    export_->setEnabled(true);
    map_->SetView(view);
    cellInfo_->setText(Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Point at a cell or pick one with the arrow keys.")));
    // The newest day is the one a user looks for first.
    scroll_->verticalScrollBar()->setValue(scroll_->verticalScrollBar()->maximum());
    const HistoryTotals &t = view.totals;
    totals_[Total::Monitored]->setText(HistoryTexts::Duration(t.monitoredMs));
    totals_[Total::Availability]->setText(HistoryTexts::Percent(t.availability));
    totals_[Total::Outages]->setText(QString::number(t.outages));
    totals_[Total::Longest]->setText(t.longestOutageMs ? HistoryTexts::Duration(*t.longestOutageMs)
                                                       : Tr(QT_TRANSLATE_NOOP("HistoryWindow", "none")));
    totals_[Total::BetweenOutages]->setText(t.meanTimeBetweenOutagesMs
                                                ? HistoryTexts::Duration(*t.meanTimeBetweenOutagesMs)
                                                : QStringLiteral("—"));
    outages_->setRowCount(int(view.outages.size()));
    for (int row = 0; row < int(view.outages.size()); ++row) {
        const OutageSpan &outage = view.outages[std::size_t(row)];
        const QString cells[] = {HistoryTexts::DateTime(outage.start), HistoryTexts::DateTime(outage.end),
                                 HistoryTexts::Duration(outage.end - outage.start), QString::number(outage.failed),
                                 HistoryTexts::Reasons(outage.reasons)};
        for (int column = 0; column < 5; ++column)
            outages_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

QString HistoryWindow::TotalText(Total total) const
{
    return totals_.at(total)->text();
}

bool HistoryWindow::ExportCsv()
{
    if (!view_)
        return false;
    const QString path = saveFile_(this, Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Export history as CSV")),
                                   QDir::home().filePath(QStringLiteral("kelvora-history.csv")),
                                   QStringLiteral("CSV (*.csv)"));
    return !path.isEmpty() && WriteCsv(path);
}

bool HistoryWindow::ExportPng()
{
    if (!view_)
        return false;
    const QString path = saveFile_(this, Tr(QT_TRANSLATE_NOOP("HistoryWindow", "Export heat map as PNG")),
                                   QDir::home().filePath(QStringLiteral("kelvora-history.png")),
                                   QStringLiteral("PNG (*.png)"));
    return !path.isEmpty() && WritePng(path);
}

bool HistoryWindow::WriteCsv(const QString &path)
{
    if (!view_)
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        ShowExportProblem(path, out.errorString());
        return false;
    }
    bool written = true;
    try {
        HistoryReader reader(file_, reader_);
        reader.ExportCsv(target_, view_->range, [&](std::string_view text) {
            written = out.write(text.data(), qint64(text.size())) == qint64(text.size());
            return written;
        });
    } catch (const std::exception &error) {
        out.cancelWriting();
        ShowExportProblem(path, QString::fromLocal8Bit(error.what()));
        return false;
    }
    // QSaveFile keeps the old file, if any, unless the whole text is in.
    if (!written || !out.commit()) {
        const QString why = out.errorString();
        out.cancelWriting();
        ShowExportProblem(path, why);
        return false;
    }
    return true;
}

bool HistoryWindow::WritePng(const QString &path)
{
    if (!view_)
        return false;
    const QImage picture = map_->grab().toImage();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || !picture.save(&out, "PNG") || !out.commit()) {
        ShowExportProblem(path, out.errorString());
        return false;
    }
    return true;
}

void HistoryWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    CallGuarded([this] { Refresh(); });
}

void HistoryWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}
