#include "ui/LatencyChart.h"

#include "base/ErrorReport.h"
#include "session/SessionHistory.h"
#include "ui/SessionTexts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using std::chrono::nanoseconds;

const QColor LatencyChart::kBackground(255, 255, 255);
const QColor LatencyChart::kBand(255, 205, 205);
const QColor LatencyChart::kFailure(255, 0, 0);
const QColor LatencyChart::kSuccess(0, 128, 0);
const QColor LatencyChart::kLine(90, 160, 90);

namespace {

constexpr int kLeftMargin = 56;
constexpr int kRightMargin = 14;
constexpr int kTopMargin = 24;
constexpr int kBottomMargin = 22;
constexpr int kHoverReach = 3;
constexpr int kGridLines = 4;

double Ms(nanoseconds duration)
{
    return static_cast<double>(duration.count()) / 1e6;
}

// The smallest of 1, 2 and 5 times a power of ten that is at least `ms`, and
// at least 1 ms.
double NiceCeiling(double ms)
{
    if (!(ms > 1))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(ms)));
    for (const double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= ms)
            return step * power;
    return 10 * power;
}

QString AxisNumber(double ms)
{
    return QString::number(ms, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

LatencyChart::LatencyChart(const SessionHistory &history, QWidget *parent) : QWidget(parent), history_(history)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("График задержки за сеанс"));
    Refresh();
}

QSize LatencyChart::sizeHint() const
{
    return {800, 300};
}

QSize LatencyChart::minimumSizeHint() const
{
    return {kLeftMargin + kRightMargin + 100, kTopMargin + kBottomMargin + 60};
}

QRect LatencyChart::PlotArea() const
{
    return QRect(QPoint(kLeftMargin, kTopMargin), QPoint(width() - kRightMargin - 1, height() - kBottomMargin - 1));
}

void LatencyChart::Refresh()
{
    end_ = history_.Length();
    Resample();
    update();
}

void LatencyChart::Resample()
{
    columns_ = ResampleSeries(history_.Series(), PlotArea().width(), end_);
    double largest = 0;
    for (const ChartColumn &column : columns_)
        if (column.checks.succeeded > 0)
            largest = std::max(largest, Ms(column.checks.maxElapsed));
    axisMaxMs_ = NiceCeiling(largest);
}

int LatencyChart::XOf(nanoseconds sinceStart) const
{
    const QRect plot = PlotArea();
    const nanoseconds end = std::max({end_, history_.Series().LatestStart(), nanoseconds{1}});
    if (sinceStart < nanoseconds{0} || sinceStart > end || plot.width() <= 0)
        return -1;
    const long double x = static_cast<long double>(sinceStart.count()) * plot.width() / end.count();
    return plot.left() + std::min(plot.width() - 1, static_cast<int>(x));
}

int LatencyChart::YOf(double ms, const QRect &plot) const
{
    // Successful checks stay above the strip of the failure marks.
    const int top = plot.top();
    const int bottom = plot.bottom() - kFailureMarkHeight - 2;
    const double share = std::clamp(ms / axisMaxMs_, 0.0, 1.0);
    return bottom - static_cast<int>(std::lround(share * (bottom - top)));
}

void LatencyChart::paintEvent(QPaintEvent *)
{
    CallGuarded([this] {
        QPainter painter(this);
        Paint(painter);
    });
}

void LatencyChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CallGuarded([this] { Resample(); });
}

void LatencyChart::Paint(QPainter &painter) const
{
    painter.fillRect(rect(), kBackground);
    const QRect plot = PlotArea();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    PaintBands(painter, plot);
    PaintAxes(painter, plot);
    PaintChecks(painter, plot);
    if (hoverX_ >= plot.left() && hoverX_ <= plot.right()) {
        painter.setPen(QColor(120, 120, 120));
        painter.drawLine(hoverX_, plot.top(), hoverX_, plot.bottom());
    }
}

void LatencyChart::PaintBands(QPainter &painter, const QRect &plot) const
{
    const int count = static_cast<int>(columns_.size());
    for (int p = 0; p < count;) {
        if (!columns_[static_cast<std::size_t>(p)].down) {
            ++p;
            continue;
        }
        int end = p;
        while (end + 1 < count && columns_[static_cast<std::size_t>(end + 1)].down)
            ++end;
        painter.fillRect(QRect(plot.left() + p, plot.top(), end - p + 1, plot.height()), kBand);
        p = end + 1;
    }
}

void LatencyChart::PaintAxes(QPainter &painter, const QRect &plot) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(QColor(225, 225, 225));
    for (int i = 1; i <= kGridLines; ++i) {
        const int y = YOf(axisMaxMs_ * i / kGridLines, plot);
        painter.drawLine(plot.left(), y, plot.right(), y);
    }
    painter.setPen(Qt::black);
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (int i = 0; i <= kGridLines; ++i) {
        const double ms = axisMaxMs_ * i / kGridLines;
        const int y = YOf(ms, plot);
        const QRect label(0, y - metrics.height() / 2, plot.left() - 6, metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, AxisNumber(ms));
    }
    painter.drawText(QRect(4, 0, plot.left(), kTopMargin - metrics.height() / 2), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("мс"));
    // The time axis: the session's start, its middle and now, on the wall clock.
    const auto start = history_.StartWall();
    const auto at = [&](double share) {
        return start + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                           std::chrono::duration<double, std::nano>(static_cast<double>(end_.count()) * share));
    };
    const int textTop = plot.bottom() + 4;
    const int textHeight = height() - textTop;
    painter.drawText(QRect(plot.left(), textTop, plot.width() / 3, textHeight), Qt::AlignLeft | Qt::AlignTop,
                     SessionTexts::TimeOfDay(at(0)));
    painter.drawText(QRect(plot.left() + plot.width() / 3, textTop, plot.width() / 3, textHeight),
                     Qt::AlignHCenter | Qt::AlignTop, SessionTexts::TimeOfDay(at(0.5)));
    painter.drawText(QRect(plot.left() + 2 * plot.width() / 3, textTop, plot.width() - 2 * plot.width() / 3,
                           textHeight),
                     Qt::AlignRight | Qt::AlignTop, SessionTexts::TimeOfDay(at(1)));
}

void LatencyChart::PaintChecks(QPainter &painter, const QRect &plot) const
{
    QPoint previous;
    bool joined = false;
    for (std::size_t p = 0; p < columns_.size(); ++p) {
        const LatencySeries::Column &checks = columns_[p].checks;
        const int x = plot.left() + static_cast<int>(p);
        if (checks.failed > 0) {
            painter.fillRect(QRect(x - 1, plot.bottom() - kFailureMarkHeight, 3, kFailureMarkHeight), kFailure);
            joined = false;
        }
        if (checks.succeeded == 0)
            continue;
        const double average = checks.elapsedSumNs / 1e6 / static_cast<double>(checks.succeeded);
        const QPoint point(x, YOf(average, plot));
        if (joined) {
            painter.setPen(kLine);
            painter.drawLine(previous, point);
        }
        const int top = YOf(Ms(checks.maxElapsed), plot);
        const int bottom = YOf(Ms(checks.minElapsed), plot);
        painter.fillRect(QRect(x - 1, top - 1, 3, bottom - top + 3), kSuccess);
        previous = point;
        joined = true;
    }
}

int LatencyChart::ColumnNear(int x) const
{
    const int p = x - PlotArea().left();
    for (int distance = 0; distance <= kHoverReach; ++distance)
        for (const int candidate : {p - distance, p + distance})
            if (candidate >= 0 && candidate < static_cast<int>(columns_.size())
                && columns_[static_cast<std::size_t>(candidate)].checks.Checks() > 0)
                return candidate;
    return -1;
}

QString LatencyChart::HoverText(QPoint point) const
{
    if (!PlotArea().adjusted(-kHoverReach, 0, kHoverReach, 0).contains(point))
        return {};
    const int p = ColumnNear(point.x());
    if (p < 0) {
        const int at = point.x() - PlotArea().left();
        const bool down = at >= 0 && at < static_cast<int>(columns_.size()) && columns_[static_cast<std::size_t>(at)].down;
        return down ? QStringLiteral("Нет связи") : QString();
    }
    const LatencySeries::Column &c = columns_[static_cast<std::size_t>(p)].checks;
    const QString latest = c.latestOk ? SessionTexts::Milliseconds(c.latestElapsed) + QStringLiteral(" мс")
                                      : ReasonRussian(c.latestReason == FailureReason::None ? FailureReason::Other
                                                                                            : c.latestReason);
    QString text = SessionTexts::TimeOfDay(c.latestWall) + QStringLiteral(": ") + latest;
    if (c.Checks() > 1) {
        text += QStringLiteral("\nЗдесь проверок: %1, неудачно: %2").arg(c.Checks()).arg(c.failed);
        if (c.succeeded > 0)
            text += QStringLiteral("\nмин %1 мс, макс %2 мс")
                        .arg(SessionTexts::Milliseconds(c.minElapsed), SessionTexts::Milliseconds(c.maxElapsed));
    }
    return text;
}

void LatencyChart::mouseMoveEvent(QMouseEvent *event)
{
    CallGuarded([this, event] {
        const QPoint point = event->position().toPoint();
        const int p = ColumnNear(point.x());
        const int x = p >= 0 ? PlotArea().left() + p : -1;
        if (x != hoverX_) {
            hoverX_ = x;
            update();
        }
        const QString text = HoverText(point);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), text, this);
    });
}

void LatencyChart::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (hoverX_ >= 0) {
        hoverX_ = -1;
        update();
    }
}
