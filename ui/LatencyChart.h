#pragma once

#include "session/LatencySeries.h"

#include <QColor>
#include <QWidget>

#include <chrono>
#include <vector>

class SessionHistory;

// The latency chart of a whole session, painted with QPainter: time runs
// left to right from the session's start to now; the milliseconds axis
// scales itself to the largest time shown (1, 2 or 5 times a power of ten).
// Each pixel column shows the checks that started within it: the successful
// ones as a point or a min-max stroke joined by a line through their
// averages, a failed one as a red mark at the bottom. An outage is a pale red
// band over the whole height. Hovering shows the check under the pointer.
//
// The chart reads the history when refreshed (and when resized); a paint
// only draws what the last refresh took, one entry per pixel column. The
// history is borrowed and must outlive the chart.
class LatencyChart final : public QWidget {
    Q_OBJECT
public:
    static const QColor kBackground;
    static const QColor kBand;      // outage
    static const QColor kFailure;   // failed check mark
    static const QColor kSuccess;   // successful checks
    static const QColor kLine;      // line through the averages
    static constexpr int kFailureMarkHeight = 8;

    explicit LatencyChart(const SessionHistory &history, QWidget *parent = nullptr);

    // Takes the history as of now and schedules a repaint.
    void Refresh();

    // Where the plot lies in the widget (the axes' labels lie outside it).
    QRect PlotArea() const;
    // The top of the milliseconds axis.
    double AxisMaxMs() const { return axisMaxMs_; }
    // The x of the plot pixel that shows a moment of the session (since its
    // start), or -1 outside the axis.
    int XOf(std::chrono::nanoseconds sinceStart) const;
    // What hovering over `point` shows (empty where there is nothing).
    QString HoverText(QPoint point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void Resample();
    void Paint(QPainter &painter) const;
    void PaintAxes(QPainter &painter, const QRect &plot) const;
    void PaintBands(QPainter &painter, const QRect &plot) const;
    void PaintChecks(QPainter &painter, const QRect &plot) const;
    int YOf(double ms, const QRect &plot) const;
    // The pixel column nearest to x that shows checks, within a few pixels.
    int ColumnNear(int x) const;

    const SessionHistory &history_;
    std::chrono::nanoseconds end_{0};
    std::vector<ChartColumn> columns_;
    double axisMaxMs_ = 1;
    int hoverX_ = -1;
};
