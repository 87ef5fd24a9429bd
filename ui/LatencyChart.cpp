// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The session window's latency chart: one job, drawing the session's
// series (axes, bands of down time, the latency line) into its widget; its
// length is the painting of those three parts, each one function.
#include "ui/LatencyChart.h"

#include "base/ErrorReport.h"
#include "session/SessionHistory.h"
#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

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
const QColor kGrid(225, 225, 225);

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
    return SessionTexts::Decimal(QString::number(ms, 'g', 6));
}

} // namespace

LatencyChart::LatencyChart(const SessionHistory &history, QWidget *parent) : QWidget(parent), history_(history)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QCoreApplication::translate("LatencyChart", "Latency over the session"));
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

nanoseconds LatencyChart::AxisEndFor(nanoseconds length)
{
    // A tenth of the leading power of ten, at least 1 ms: the axis reaches
    // at most 10 % beyond now, and moves on once per step.
    const std::int64_t ns = std::max<std::int64_t>(length.count(), 1);
    std::int64_t step = 1'000'000;
    while (step <= ns / 100 && step <= INT64_MAX / 10)
        step *= 10;
    const std::int64_t steps = ns / step + 1;
    return steps > INT64_MAX / step ? nanoseconds::max() : nanoseconds(steps * step);
}

void LatencyChart::Refresh()
{
    now_ = std::max(history_.Length(), history_.Series().LatestStart());
    if (now_ >= axisEnd_ || axisEnd_ > AxisEndFor(now_))
        axisEnd_ = AxisEndFor(now_);
    Resample();
    update();
}

void LatencyChart::Resample()
{
    columns_ = ResampleSeries(history_.Series(), std::max(0, PlotArea().width()), axisEnd_, now_);
    double largest = 0;
    for (const ChartColumn &column : columns_)
        if (column.checks.succeeded > 0)
            largest = std::max(largest, Ms(column.checks.maxElapsed));
    axisMaxMs_ = NiceCeiling(largest);
}

int LatencyChart::XOf(nanoseconds sinceStart) const
{
    const QRect plot = PlotArea();
    if (sinceStart < nanoseconds{0} || sinceStart > axisEnd_ || plot.width() <= 0)
        return -1;
    const double x = static_cast<double>(sinceStart.count()) * plot.width() / static_cast<double>(axisEnd_.count());
    return plot.left() + std::min(plot.width() - 1, static_cast<int>(x));
}

int LatencyChart::YOf(double ms) const
{
    // Successful checks stay above the strip of the failure marks.
    const QRect plot = PlotArea();
    const int top = plot.top();
    const int bottom = plot.bottom() - kFailureMarkHeight - 2;
    const double share = std::clamp(ms / axisMaxMs_, 0.0, 1.0);
    return bottom - static_cast<int>(std::lround(share * (bottom - top)));
}

void LatencyChart::paintEvent(QPaintEvent *)
{
    CallGuarded([this] {
        UpdatePicture();
        QPainter painter(this);
        painter.drawImage(0, 0, picture_);
        const QRect plot = PlotArea();
        if (hoverX_ >= plot.left() && hoverX_ <= plot.right()) {
            painter.setPen(QColor(120, 120, 120));
            painter.drawLine(hoverX_, plot.top(), hoverX_, plot.bottom());
        }
    });
}

void LatencyChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CallGuarded([this] { Resample(); });
}

void LatencyChart::UpdatePicture()
{
    const bool fresh = picture_.size() != size() || drawnAxisMaxMs_ != axisMaxMs_ || drawnAxisEnd_ != axisEnd_
                       || drawn_.size() != columns_.size();
    if (fresh) {
        picture_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        QPainter painter(&picture_);
        PaintAll(painter);
        drawn_ = columns_;
        drawnAxisMaxMs_ = axisMaxMs_;
        drawnAxisEnd_ = axisEnd_;
        ++fullPaints_;
        return;
    }
    QPainter painter(&picture_);
    const int count = static_cast<int>(columns_.size());
    for (int p = 0; p < count; ++p) {
        if (SameColumn(columns_[static_cast<std::size_t>(p)], drawn_[static_cast<std::size_t>(p)]))
            continue;
        // A changed column moves the line to its neighbours with checks,
        // and a point reaches one pixel to each side.
        int last = p;
        while (last + 1 < count
               && !SameColumn(columns_[static_cast<std::size_t>(last + 1)], drawn_[static_cast<std::size_t>(last + 1)]))
            ++last;
        const int from = std::max(0, CheckedNeighbour(p, -1) - 1);
        const int to = std::min(count - 1, std::max(last, CheckedNeighbour(last, 1)) + 1);
        PaintColumns(painter, from, to);
        columnsRedrawn_ += to - from + 1;
        p = to;
    }
    drawn_ = columns_;
}

int LatencyChart::CheckedNeighbour(int p, int step) const
{
    const int count = static_cast<int>(columns_.size());
    for (int q = p + step; q >= 0 && q < count; q += step)
        if (columns_[static_cast<std::size_t>(q)].checks.Checks() > 0
            || drawn_[static_cast<std::size_t>(q)].checks.Checks() > 0)
            return q;
    return step < 0 ? 0 : count - 1;
}

void LatencyChart::PaintAll(QPainter &painter)
{
    painter.fillRect(picture_.rect(), kBackground);
    const QRect plot = PlotArea();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    PaintLabels(painter);
    PaintColumns(painter, 0, plot.width() - 1);
}

void LatencyChart::PaintColumns(QPainter &painter, int first, int last)
{
    const QRect plot = PlotArea();
    const QRect strip(plot.left() + first, plot.top(), last - first + 1, plot.height());
    painter.save();
    painter.setClipRect(strip);
    painter.fillRect(strip, kBackground);
    // What reaches into the strip from the columns beside it.
    const int reachFirst = CheckedNeighbour(first, -1);
    const int reachLast = CheckedNeighbour(last, 1);
    PaintBands(painter, reachFirst, reachLast);
    PaintGrid(painter, first, last);
    PaintChecks(painter, reachFirst, reachLast);
    painter.restore();
}

void LatencyChart::PaintBands(QPainter &painter, int first, int last)
{
    const QRect plot = PlotArea();
    std::vector<QRect> &bands = rects_[0];
    bands.clear();
    for (int p = first; p <= last;) {
        if (!columns_[static_cast<std::size_t>(p)].down) {
            ++p;
            continue;
        }
        int end = p;
        while (end + 1 <= last && columns_[static_cast<std::size_t>(end + 1)].down)
            ++end;
        bands.emplace_back(plot.left() + p, plot.top(), end - p + 1, plot.height());
        p = end + 1;
    }
    FillRects(painter, bands, kBand);
}

void LatencyChart::PaintGrid(QPainter &painter, int first, int last) const
{
    const QRect plot = PlotArea();
    const int left = plot.left() + first;
    const int right = plot.left() + last;
    painter.setPen(kGrid);
    for (int i = 1; i <= kGridLines; ++i) {
        const int y = YOf(axisMaxMs_ * i / kGridLines);
        painter.drawLine(left, y, right, y);
    }
    painter.setPen(Qt::black);
    painter.drawLine(left, plot.bottom(), right, plot.bottom());
    if (first == 0)
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
}

void LatencyChart::PaintLabels(QPainter &painter) const
{
    const QRect plot = PlotArea();
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(Qt::black);
    for (int i = 0; i <= kGridLines; ++i) {
        const double ms = axisMaxMs_ * i / kGridLines;
        const int y = YOf(ms);
        const QRect label(0, y - metrics.height() / 2, plot.left() - 6, metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, AxisNumber(ms));
    }
    painter.drawText(QRect(4, 0, plot.left(), kTopMargin - metrics.height() / 2), Qt::AlignLeft | Qt::AlignBottom,
                     QCoreApplication::translate("LatencyChart", "ms"));
    // The time axis: the session's start, the middle and the end of the
    // axis, on the wall clock.
    const auto start = history_.StartWall();
    const auto at = [&](double share) {
        return start + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                           std::chrono::duration<double, std::nano>(static_cast<double>(axisEnd_.count()) * share));
    };
    const int textTop = plot.bottom() + 4;
    const int textHeight = height() - textTop;
    const int third = plot.width() / 3;
    painter.drawText(QRect(plot.left(), textTop, third, textHeight), Qt::AlignLeft | Qt::AlignTop,
                     SessionTexts::TimeOfDay(at(0)));
    painter.drawText(QRect(plot.left() + third, textTop, third, textHeight), Qt::AlignHCenter | Qt::AlignTop,
                     SessionTexts::TimeOfDay(at(0.5)));
    painter.drawText(QRect(plot.left() + 2 * third, textTop, plot.width() - 2 * third, textHeight),
                     Qt::AlignRight | Qt::AlignTop, SessionTexts::TimeOfDay(at(1)));
}

void LatencyChart::PaintChecks(QPainter &painter, int first, int last)
{
    // Gathered first and drawn with one call per colour.
    const QRect plot = PlotArea();
    std::vector<QRect> &successes = rects_[1];
    std::vector<QRect> &failures = rects_[2];
    successes.clear();
    failures.clear();
    lines_.clear();
    QPoint previous;
    bool joined = false;
    for (int p = first; p <= last; ++p) {
        const LatencySeries::Column &checks = columns_[static_cast<std::size_t>(p)].checks;
        const int x = plot.left() + p;
        if (checks.failed > 0) {
            failures.emplace_back(x - 1, plot.bottom() - kFailureMarkHeight, 3, kFailureMarkHeight);
            joined = false;
        }
        if (checks.succeeded == 0)
            continue;
        const double average = checks.elapsedSumNs / 1e6 / static_cast<double>(checks.succeeded);
        const QPoint point(x, YOf(average));
        if (joined)
            lines_.emplace_back(previous, point);
        const int top = YOf(Ms(checks.maxElapsed));
        const int bottom = YOf(Ms(checks.minElapsed));
        successes.emplace_back(x - 1, top - 1, 3, bottom - top + 3);
        previous = point;
        joined = true;
    }
    painter.setPen(kLine);
    painter.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    FillRects(painter, successes, kSuccess);
    FillRects(painter, failures, kFailure);
}

void LatencyChart::FillRects(QPainter &painter, const std::vector<QRect> &rects, const QColor &colour)
{
    if (rects.empty())
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRects(rects.data(), static_cast<int>(rects.size()));
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

namespace {

// A count for a translated text's plural form, which Qt takes as an int.
int CountForText(std::uint64_t count)
{
    return static_cast<int>(std::min<std::uint64_t>(count, std::numeric_limits<int>::max()));
}

} // namespace

QString LatencyChart::HoverText(QPoint point) const
{
    if (!PlotArea().adjusted(-kHoverReach, 0, kHoverReach, 0).contains(point))
        return {};
    const int p = ColumnNear(point.x());
    if (p < 0) {
        const int at = point.x() - PlotArea().left();
        const bool down = at >= 0 && at < static_cast<int>(columns_.size()) && columns_[static_cast<std::size_t>(at)].down;
        return down ? QCoreApplication::translate("LatencyChart", "No connection") : QString();
    }
    const LatencySeries::Column &c = columns_[static_cast<std::size_t>(p)].checks;
    const QString latest = c.latestOk ? QCoreApplication::translate("LatencyChart", "%1 ms").arg(SessionTexts::Milliseconds(c.latestElapsed))
                                      : ReasonShown(c.latestReason == FailureReason::None ? FailureReason::Other
                                                                                            : c.latestReason);
    QString text = SessionTexts::TimeOfDay(c.latestWall) + QStringLiteral(": ") + latest;
    if (c.Checks() > 1) {
        text += QStringLiteral("\n")
                + QCoreApplication::translate("LatencyChart", "%n checks here, %1 failed", nullptr, CountForText(c.Checks()))
                      .arg(c.failed);
        if (c.succeeded > 0)
            text += QString(QStringLiteral("\n") + QCoreApplication::translate("LatencyChart", "min %1 ms, max %2 ms"))
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
