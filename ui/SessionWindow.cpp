// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/SessionWindow.h"

#include "base/ErrorReport.h"
#include "session/SessionHistory.h"
#include "ui/LatencyChart.h"
#include "ui/OutageTableModel.h"
#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

using Figure = SessionWindow::Figure;

namespace {

constexpr Figure kFigures[] = {
    Figure::Host, Figure::Checks,  Figure::Succeeded, Figure::Failed,        Figure::Loss,
    Figure::Latency, Figure::Percentiles, Figure::State,       Figure::TotalUp,
    Figure::TotalDown, Figure::LongestOutage, Figure::LongestUptime, Figure::Address, Figure::LastCheck,
};

QString Percent(double value)
{
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return QCoreApplication::translate("SessionWindow", "%1%").arg(SessionTexts::Decimal(text));
}

// A moment whose date and time are as wide as any in the language's format:
// two-digit day, month, hour and an afternoon hour where a 12-hour clock
// says "PM".
std::chrono::system_clock::time_point WidestStampSample()
{
    const QDateTime sample(QDate(2026, 12, 28), QTime(22, 58, 58));
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(sample.toMSecsSinceEpoch()));
}

QString Ms(std::chrono::nanoseconds value)
{
    return SessionTexts::Milliseconds(value);
}

QString Ms(std::chrono::duration<double, std::nano> value)
{
    return SessionTexts::Milliseconds(std::chrono::nanoseconds(std::llround(value.count())));
}

QString StateText(const SessionSummary &s)
{
    const QString since = SessionTexts::DateTime(s.stateSince);
    const QString length = SessionTexts::Duration(s.stateDuration);
    switch (s.state) {
    case LinkState::Up:
        return QCoreApplication::translate("SessionWindow", "connected since %1 (%2)").arg(since, length);
    case LinkState::Down:
        return QCoreApplication::translate("SessionWindow", "no connection since %1 (%2)").arg(since, length);
    case LinkState::Unknown:
        break;
    }
    return QCoreApplication::translate("SessionWindow", "unknown, not checked yet");
}

QString OutageText(const std::optional<Outage> &outage)
{
    if (!outage)
        return QCoreApplication::translate("SessionWindow", "none");
    const QString until = outage->open ? QCoreApplication::translate("SessionWindow", "ongoing")
                                       : QCoreApplication::translate("SessionWindow", "until %1").arg(SessionTexts::DateTime(outage->end));
    return QCoreApplication::translate("SessionWindow", "%1, from %2 %3").arg(SessionTexts::Duration(outage->duration),
                                              SessionTexts::DateTime(outage->start), until);
}

QString UptimeText(const std::optional<Uptime> &uptime)
{
    if (!uptime)
        return QCoreApplication::translate("SessionWindow", "none");
    const QString until = uptime->open ? QCoreApplication::translate("SessionWindow", "ongoing")
                                       : QCoreApplication::translate("SessionWindow", "until %1").arg(SessionTexts::DateTime(uptime->end));
    return QCoreApplication::translate("SessionWindow", "%1, from %2 %3").arg(SessionTexts::Duration(uptime->duration),
                                              SessionTexts::DateTime(uptime->start), until);
}

// "25,950 мс (поиск адреса 25,000 мс, соединение 0,250 мс)".
QString LastCheckText(const std::optional<CheckResult> &latest)
{
    if (!latest)
        return QStringLiteral("—");
    const QString total = QCoreApplication::translate("SessionWindow", "%1 ms").arg(Ms(latest->elapsed));
    const QString shares = SessionTexts::LookupAndConnect(*latest);
    return shares.isEmpty() ? total : total + QStringLiteral(" (") + shares + QStringLiteral(")");
}

} // namespace

SessionWindow::SessionWindow(const SessionHistory &history, QWidget *parent)
    : QWidget(parent, Qt::Window), history_(history)
{
    setWindowTitle(Title());
    setAccessibleName(Title());
    setWindowIcon(QGuiApplication::windowIcon());

    chart_ = new LatencyChart(history_, this);
    chart_->setMinimumSize(400, 220);

    BuildOutages();

    copy_ = new QPushButton(QCoreApplication::translate("SessionWindow", "Copy"), this);
    copy_->setAccessibleDescription(QCoreApplication::translate("SessionWindow", "Summary and all checks to the clipboard"));
    connect(copy_, &QPushButton::clicked, this, [this] { CallGuarded([this] { Copy(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildFigures());
    layout->addWidget(chart_, 3);
    layout->addWidget(new QLabel(QCoreApplication::translate("SessionWindow", "Outages"), this));
    layout->addWidget(outages_, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy_);
    layout->addLayout(buttons);
    resize(840, 720);
    Refresh();
}

SessionWindow::~SessionWindow() = default;

void SessionWindow::BuildOutages()
{
    outageModel_ = new OutageTableModel(history_.Record(), this);
    outages_ = new QTableView(this);
    outages_->setModel(outageModel_);
    outages_->setAccessibleName(QCoreApplication::translate("SessionWindow", "Outages"));
    outages_->verticalHeader()->hide();
    outages_->horizontalHeader()->setStretchLastSection(true);
    outages_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outages_->setMinimumHeight(120);
    outages_->setWordWrap(false);
    // Widths from the texts the columns hold, set once: measuring the rows
    // would cost time on every check in a long list.
    const QFontMetrics metrics = outages_->fontMetrics();
    const int pad = 3 * metrics.averageCharWidth();
    const int stamp = metrics.horizontalAdvance(SessionTexts::DateTime(WidestStampSample())) + pad;
    outages_->setColumnWidth(OutageTableModel::Start, stamp);
    outages_->setColumnWidth(OutageTableModel::End, stamp);
    outages_->setColumnWidth(OutageTableModel::Length,
                             metrics.horizontalAdvance(QCoreApplication::translate("SessionTexts", "%1 d %2 h %3 min").arg(QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("00"))) + pad);
    outages_->setColumnWidth(OutageTableModel::FailedChecks,
                             metrics.horizontalAdvance(QCoreApplication::translate("Outages", "Failed checks")) + pad);
}

QWidget *SessionWindow::BuildFigures()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    // Two columns of label and value pairs.
    const int perColumn = (static_cast<int>(std::size(kFigures)) + 1) / 2;
    int row = 0;
    int column = 0;
    for (const Figure figure : kFigures) {
        auto *label = new QLabel(Label(figure) + QStringLiteral(":"), panel);
        auto *value = new QLabel(panel);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setBuddy(value);
        grid->addWidget(label, row, column * 2);
        grid->addWidget(value, row, column * 2 + 1);
        figures_[figure] = value;
        if (++row == perColumn) {
            row = 0;
            ++column;
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return panel;
}

QString SessionWindow::Label(Figure figure)
{
    switch (figure) {
    case Figure::Host: return QCoreApplication::translate("SessionWindow", "Host");
    case Figure::Checks: return QCoreApplication::translate("SessionWindow", "Checks");
    case Figure::Succeeded: return QCoreApplication::translate("SessionWindow", "Succeeded");
    case Figure::Failed: return QCoreApplication::translate("SessionWindow", "Failed");
    case Figure::Loss: return QCoreApplication::translate("SessionWindow", "Loss");
    case Figure::Latency: return QCoreApplication::translate("SessionWindow", "min/avg/max/mdev, ms");
    case Figure::Percentiles: return QCoreApplication::translate("SessionWindow", "p50/p95/p99, ms");
    case Figure::State: return QCoreApplication::translate("SessionWindow", "Now");
    case Figure::TotalUp: return QCoreApplication::translate("SessionWindow", "Time online");
    case Figure::TotalDown: return QCoreApplication::translate("SessionWindow", "Time offline");
    case Figure::LongestOutage: return QCoreApplication::translate("SessionWindow", "Longest outage");
    case Figure::LongestUptime: return QCoreApplication::translate("SessionWindow", "Longest uptime");
    case Figure::Address: return QCoreApplication::translate("SessionWindow", "Address");
    case Figure::LastCheck: return QCoreApplication::translate("SessionWindow", "Last check");
    }
    return {};
}

void SessionWindow::Refresh()
{
    const SessionSummary s = history_.Record().Summary(0);
    const auto set = [this](Figure figure, const QString &text) {
        QLabel *label = figures_.at(figure);
        if (label->text() != text)
            label->setText(text);
    };
    const std::string &host = history_.Target().host;
    set(Figure::Host, host.empty() ? QStringLiteral("—") : QString::fromStdString(host));
    set(Figure::Checks, QString::number(s.sent));
    set(Figure::Succeeded, QString::number(s.succeeded));
    set(Figure::Failed, QString::number(s.failed));
    set(Figure::Loss, s.lossPercent ? Percent(*s.lossPercent) : QStringLiteral("—"));
    if (s.latency) {
        const LatencyFigures &l = *s.latency;
        set(Figure::Latency, QStringLiteral("%1 / %2 / %3 / %4").arg(Ms(l.min), Ms(l.average), Ms(l.max), Ms(l.meanDeviation)));
        set(Figure::Percentiles, QStringLiteral("%1 / %2 / %3").arg(Ms(l.p50), Ms(l.p95), Ms(l.p99)));
    } else {
        set(Figure::Latency, QStringLiteral("—"));
        set(Figure::Percentiles, QStringLiteral("—"));
    }
    set(Figure::State, StateText(s));
    // Before the first check no time was up or down: nobody looked.
    const bool looked = s.state != LinkState::Unknown;
    set(Figure::TotalUp, looked ? SessionTexts::Duration(s.totalUp) : QStringLiteral("—"));
    set(Figure::TotalDown, looked ? SessionTexts::Duration(s.totalDown) : QStringLiteral("—"));
    set(Figure::LongestOutage, OutageText(s.longestOutage));
    set(Figure::LongestUptime, UptimeText(s.longestUptime));
    const std::optional<CheckResult> &latest = history_.Latest();
    set(Figure::Address, latest ? SessionTexts::FamilyAddress(*latest) : QStringLiteral("—"));
    set(Figure::LastCheck, LastCheckText(latest));
    outageModel_->Refresh();
    chart_->Refresh();
}

QString SessionWindow::FigureText(Figure figure) const
{
    return figures_.at(figure)->text();
}

void SessionWindow::Copy()
{
    const std::string text = history_.CopyText();
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void SessionWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    CallGuarded([this] { Refresh(); });
}

void SessionWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SessionWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // While minimised it was not refreshed; restored, it catches up.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
        CallGuarded([this] { Refresh(); });
}
