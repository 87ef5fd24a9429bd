// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Cost of bringing the session window up to date after one check, as a ratio
// to one paint of the gauge at the layout's size (858 x 521), both measured in
// the same run. The update is what happens per check while the window is
// shown: the check recorded in the history, the figures and the outage list
// refreshed, and the chart (800 x 400) resampled and painted. The session
// already holds a day of checks at one a second (86,400, an outage every
// 1,000). Goal: the update costs at most two gauge paints.
//
// Beside it: the per-check work with the session window closed (record, tool
// tips, tray), which is all the window adds to a check then; nothing at all
// is added per tick.

#include "support/BenchMain.h"
#include "support/RatioReporter.h"

#include "controls/TGauge.h"
#include "controls/TGaugePainter.h"
#include "session/SessionHistory.h"
#include "ui/LatencyChart.h"
#include "ui/SessionController.h"
#include "ui/SessionWindow.h"
#include "ui/StateNotifier.h"

#include <QApplication>
#include <QImage>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace std::chrono;

namespace {

constexpr int kDayOfChecks = 86'400;

// Checks one second apart with varied times; every 1,000th to 1,004th fails.
class Checks final {
public:
    const CheckResult &Next()
    {
        ++n_;
        result_.startedMonotonic = start_ + seconds(n_);
        result_.startedAt = wall_ + seconds(n_);
        result_.ok = n_ % 1000 >= 5;
        result_.reason = result_.ok ? FailureReason::None : FailureReason::Refused;
        result_.errorCode = result_.ok ? 0 : 10061;
        result_.elapsed = microseconds(150 + (n_ * 7919) % 900);
        return result_;
    }

    nanoseconds Now() const { return start_ + seconds(n_) + milliseconds(500); }
    system_clock::time_point WallNow() const { return wall_ + seconds(n_) + milliseconds(500); }

private:
    nanoseconds start_ = seconds(1000);
    system_clock::time_point wall_ = system_clock::now();
    std::int64_t n_ = 0;
    CheckResult result_ = [] {
        CheckResult r;
        r.address = "127.0.0.1";
        r.errorMessage = "Connection refused.";
        return r;
    }();
};

Checks *checks = nullptr;

SessionClock BenchClock()
{
    return {[] { return checks->Now(); }, [] { return checks->WallNow(); }};
}

void GaugePaint(benchmark::State &state)
{
    TGaugeLook look;
    look.width = 858;
    look.height = 521;
    look.kind = gkNeedle;
    look.borderStyle = bsNone;
    look.foreColor = clBlue;
    look.backColor = clLime;
    look.color = clLime;
    look.percent = 37;
    look.font = TGauge::LayoutFont();
    for (auto _ : state) {
        QImage image = TGaugePainter::Paint(look);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void SessionWindowUpdate(benchmark::State &state)
{
    Checks stream;
    checks = &stream;
    SessionHistory history({"127.0.0.1", 80}, BenchClock());
    for (int i = 0; i < kDayOfChecks; ++i)
        history.Add(stream.Next());
    SessionWindow window(history);
    window.Chart()->setFixedSize(800, 400);
    window.show();
    QApplication::processEvents();
    QImage surface(800, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        history.Add(stream.Next());
        window.Refresh();
        window.Chart()->render(&surface);
        benchmark::DoNotOptimize(surface.constBits());
    }
    state.counters["chart_columns"] = double(history.Series().Used());
    checks = nullptr;
}

void CheckWithTheWindowClosed(benchmark::State &state)
{
    Checks stream;
    checks = &stream;
    QWidget window;
    QWidget *background = new QWidget(&window);
    QWidget *gauge = new QWidget(background);
    std::vector<QWidget *> readout;
    for (int i = 0; i < 5; ++i)
        readout.push_back(new QLabel(background));
    SessionController controller(
        SessionHost{&window, background, gauge, readout, [] { return QStringLiteral("127.0.0.1"); }, [] {}},
        SessionServices{SessionServices::Desktop().tray, {}});
    for (auto _ : state)
        controller.CheckFinished(stream.Next());
    checks = nullptr;
}

BENCHMARK(GaugePaint)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(SessionWindowUpdate)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(CheckWithTheWindowClosed)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The console report, then each variant's best time as a multiple of the
// best gauge paint.
class UpdateReporter final : public RatioReporter {
    void Summary() override
    {
        const double gauge = BestTime("GaugePaint") / 1e3;
        if (gauge <= 0)
            return;
        for (const std::string name : {"SessionWindowUpdate", "CheckWithTheWindowClosed"}) {
            const double time = BestTime(name) / 1e3;
            const double ratio = time / gauge;
            const bool goal = name != "SessionWindowUpdate" || ratio <= 2.0;
            std::printf("%-26s %9.1f us  gauge paint %9.1f us  ratio %5.2f%s\n", name.c_str(), time, gauge, ratio,
                        goal ? "" : "  (above the goal of 2)");
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    UpdateReporter reporter;
    return RunBenchmarksIn<QApplication>(argc, argv, reporter);
}
