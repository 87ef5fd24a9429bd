// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// A paste of 1 MiB of digits into the interval field, on the offscreen
// platform: how much the process grows (resident memory, including the undo
// history) and how long the longest single event takes, from the paste
// through three seconds of cursor blinking. Baseline, measured in the same
// run: Qt's own single-line field with its standard limit of 32767
// characters. Also measured: the same field with no length limit, as the
// interval field was before it got one.
// Goals: growth at most 5 MB and no event longer than 50 ms, for the
// interval field; both also as ratios to the baseline.
//
// Each measurement runs in a child process of its own, so that one variant's
// heap does not lend memory to the next.

#include "support/BenchMain.h"
#include "support/RatioReporter.h"

#include "controls/TSpinEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

namespace {

constexpr int kPasteCharacters = 1 << 20;
constexpr int kBlinkingMs = 3000;
constexpr double kGrowthGoalMb = 5.0;
constexpr double kStallGoalMs = 50.0;

enum class Field { Standard, Unlimited, Interval };

struct Measurement {
    double growthMb = 0;
    double longestEventMs = 0;
    int longestEventType = 0;
    double longestAfterPasteMs = 0;   // once the paste's own key event is done
    int events = 0;
    int textLength = 0;
};

long ResidentKb()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Times every event the loop hands out (the outermost delivery only, so an
// event dispatched inside another is counted with it).
class TimingApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!recording || depth_ > 0)
            return QApplication::notify(receiver, event);
        ++depth_;
        QElapsedTimer clock;
        clock.start();
        const int type = event->type();
        const bool result = QApplication::notify(receiver, event);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        --depth_;
        ++measured.events;
        if (ms > measured.longestEventMs) {
            measured.longestEventMs = ms;
            measured.longestEventType = type;
        }
        if (pasted_)
            measured.longestAfterPasteMs = std::max(measured.longestAfterPasteMs, ms);
        if (type == QEvent::KeyPress)
            pasted_ = true;
        return result;
    }

    bool recording = false;
    Measurement measured;

private:
    int depth_ = 0;
    bool pasted_ = false;
};

void RunLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// In the child: one paste into a fresh field of the given kind.
Measurement MeasureHere(Field kind)
{
    int argc = 1;
    char name[] = "bench_spinpaste";
    char *argv[] = {name, nullptr};
    TimingApplication app(argc, argv);

    QWidget window;
    window.resize(200, 60);
    QLineEdit *field = nullptr;
    if (kind == Field::Interval) {
        auto *spin = new TSpinEdit(&window);
        spin->SetValue(30);
        field = spin;
    } else {
        field = new QLineEdit(QStringLiteral("30"), &window);
        if (kind == Field::Unlimited)
            field->setMaxLength(std::numeric_limits<int>::max());
    }
    field->setGeometry(10, 10, 73, 22);
    window.show();
    window.activateWindow();
    field->setFocus();
    RunLoop(300);
    field->selectAll();
    QGuiApplication::clipboard()->setText(QString(kPasteCharacters, QLatin1Char('7')));
    RunLoop(300);

    const long before = ResidentKb();
    app.recording = true;
    QCoreApplication::postEvent(field, new QKeyEvent(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier));
    QCoreApplication::postEvent(field, new QKeyEvent(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier));
    RunLoop(kBlinkingMs);
    app.recording = false;

    Measurement result = app.measured;
    result.growthMb = double(ResidentKb() - before) / 1024.0;
    result.textLength = int(field->text().size());
    return result;
}

// Runs MeasureHere in a child process and reads its result back.
bool Measure(Field kind, Measurement *result)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        close(pipeEnds[0]);
        const Measurement measured = MeasureHere(kind);
        const bool written = write(pipeEnds[1], &measured, sizeof measured) == ssize_t(sizeof measured);
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    const bool read = ::read(pipeEnds[0], result, sizeof *result) == ssize_t(sizeof *result);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Paste(benchmark::State &state, Field kind)
{
    Measurement worst;
    for (auto _ : state) {
        Measurement measured;
        if (!Measure(kind, &measured)) {
            state.SkipWithError("the measuring child failed");
            return;
        }
        state.SetIterationTime(measured.longestEventMs / 1000.0);
        worst.growthMb = std::max(worst.growthMb, measured.growthMb);
        if (measured.longestEventMs >= worst.longestEventMs) {
            worst.longestEventMs = measured.longestEventMs;
            worst.longestEventType = measured.longestEventType;
        }
        worst.longestAfterPasteMs = std::max(worst.longestAfterPasteMs, measured.longestAfterPasteMs);
        worst.events = std::max(worst.events, measured.events);
        worst.textLength = measured.textLength;
    }
    state.counters["growth_MB"] = worst.growthMb;
    state.counters["longest_ms"] = worst.longestEventMs;
    state.counters["event_type"] = worst.longestEventType;
    state.counters["after_paste_ms"] = worst.longestAfterPasteMs;
    state.counters["events"] = worst.events;
    state.counters["text_length"] = worst.textLength;
}

void Options(benchmark::internal::Benchmark *bench)
{
    bench->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(Paste, StandardLineEdit, Field::Standard)->Apply(Options);
BENCHMARK_CAPTURE(Paste, UnlimitedLineEdit, Field::Unlimited)->Apply(Options);
BENCHMARK_CAPTURE(Paste, IntervalField, Field::Interval)->Apply(Options);

// The console report, then each field's worst figures against the baseline
// and the goals.
class PasteReporter final : public RatioReporter {
    void Summary() override
    {
        const Repetition *base = LastSucceeded("Paste/StandardLineEdit");
        if (base == nullptr)
            return;
        const std::string prefix = "Paste/";
        for (const std::string &key : Keys()) {
            const Repetition *field = LastSucceeded(key);
            if (field == nullptr || key.compare(0, prefix.size(), prefix) != 0)
                continue;
            const double growth = Figure(*field, "growth_MB");
            const double longest = Figure(*field, "longest_ms");
            std::printf("%-18s growth %7.2f MB (ratio %6.2f)  longest event %7.2f ms (ratio %6.2f)%s\n",
                        key.substr(prefix.size()).c_str(), growth, growth / std::max(Figure(*base, "growth_MB"), 0.01),
                        longest, longest / std::max(Figure(*base, "longest_ms"), 0.01),
                        growth <= kGrowthGoalMb && longest <= kStallGoalMs ? "" : "  (beyond the goals)");
        }
    }

    static double Figure(const Repetition &repetition, const std::string &counter)
    {
        const auto found = repetition.counters.find(counter);
        return found == repetition.counters.end() ? 0.0 : found->second.value;
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Each measuring child makes its own application; this process makes none.
    PreferOffscreenPlatform();
    PasteReporter reporter;
    return RunBenchmarks(argc, argv, reporter);
}
