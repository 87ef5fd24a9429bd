// SPDX-License-Identifier: MIT
#include "ui/SessionWindow.h"

#include "base/ErrorReport.h"
#include "session/SessionHistory.h"
#include "ui/LatencyChart.h"
#include "ui/OutageTableModel.h"
#include "ui/SessionTexts.h"

#include <QClipboard>
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
    return text.replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" %");
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
        return QStringLiteral("связь есть, с %1 (%2)").arg(since, length);
    case LinkState::Down:
        return QStringLiteral("нет связи, с %1 (%2)").arg(since, length);
    case LinkState::Unknown:
        break;
    }
    return QStringLiteral("неизвестно, ещё не проверялось");
}

QString OutageText(const std::optional<Outage> &outage)
{
    if (!outage)
        return QStringLiteral("не было");
    const QString until = outage->open ? QStringLiteral("продолжается")
                                       : QStringLiteral("до ") + SessionTexts::DateTime(outage->end);
    return QStringLiteral("%1, с %2 %3").arg(SessionTexts::Duration(outage->duration),
                                              SessionTexts::DateTime(outage->start), until);
}

QString UptimeText(const std::optional<Uptime> &uptime)
{
    if (!uptime)
        return QStringLiteral("не было");
    const QString until = uptime->open ? QStringLiteral("продолжается")
                                       : QStringLiteral("до ") + SessionTexts::DateTime(uptime->end);
    return QStringLiteral("%1, с %2 %3").arg(SessionTexts::Duration(uptime->duration),
                                              SessionTexts::DateTime(uptime->start), until);
}

// "25,950 мс (поиск адреса 25,000 мс, соединение 0,250 мс)".
QString LastCheckText(const std::optional<CheckResult> &latest)
{
    if (!latest)
        return QStringLiteral("—");
    const QString total = Ms(latest->elapsed) + QStringLiteral(" мс");
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

    copy_ = new QPushButton(QStringLiteral("Копировать"), this);
    copy_->setAccessibleDescription(QStringLiteral("Сводка и все проверки в буфер обмена"));
    connect(copy_, &QPushButton::clicked, this, [this] { CallGuarded([this] { Copy(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildFigures());
    layout->addWidget(chart_, 3);
    layout->addWidget(new QLabel(QStringLiteral("Сбои"), this));
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
    outages_->setAccessibleName(QStringLiteral("Сбои"));
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
    const int stamp = metrics.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + pad;
    outages_->setColumnWidth(OutageTableModel::Start, stamp);
    outages_->setColumnWidth(OutageTableModel::End, stamp);
    outages_->setColumnWidth(OutageTableModel::Length,
                             metrics.horizontalAdvance(QStringLiteral("00 д 00 ч 00 мин")) + pad);
    outages_->setColumnWidth(OutageTableModel::FailedChecks,
                             metrics.horizontalAdvance(QStringLiteral("Неудачных проверок")) + pad);
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
    case Figure::Host: return QStringLiteral("Хост");
    case Figure::Checks: return QStringLiteral("Проверок");
    case Figure::Succeeded: return QStringLiteral("Успешно");
    case Figure::Failed: return QStringLiteral("Неудачно");
    case Figure::Loss: return QStringLiteral("Потери");
    case Figure::Latency: return QStringLiteral("мин/сред/макс/откл, мс");
    case Figure::Percentiles: return QStringLiteral("p50/p95/p99, мс");
    case Figure::State: return QStringLiteral("Сейчас");
    case Figure::TotalUp: return QStringLiteral("Время в сети");
    case Figure::TotalDown: return QStringLiteral("Время без связи");
    case Figure::LongestOutage: return QStringLiteral("Самый долгий сбой");
    case Figure::LongestUptime: return QStringLiteral("Самая долгая связь");
    case Figure::Address: return QStringLiteral("Адрес");
    case Figure::LastCheck: return QStringLiteral("Последняя проверка");
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
