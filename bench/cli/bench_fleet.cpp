// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kelvora-probe with many targets, all against a listener on loopback:
//
//   - processor time per check of the whole process with 200 targets at 1 s
//     against 1 target at 1 s, both through the real run loop and pool, in
//     the same run (goal: at most 1.2);
//   - how late the checks of 200 targets at 1 s start against their due
//     time (the 99th percentile; goal: within 10 ms);
//   - one scrape of 200 targets' metrics (the exposition as the exporter
//     serves it) against one check through the client;
//   - the resident memory of 200 targets' sessions after 10^6 checks against
//     after 10^5.

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/RatioReporter.h"

#include "cli/CheckPool.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeFleet.h"
#include "cli/ProbeOptions.h"
#include "cli/RunLoop.h"
#include "cli/SignalPipe.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace std::chrono;

constexpr std::size_t kManyTargets = 200;

AcceptAndCloseServer *server = nullptr;

ProbeOptions Options(std::size_t targets, bool quiet)
{
    ProbeOptions options;
    options.quiet = quiet;
    options.interval = seconds(1);
    // The same listener for every target: each still has its own session,
    // schedule and metrics.
    for (std::size_t i = 0; i < targets; ++i)
        options.targets.push_back(TargetSpec{QStringLiteral("127.0.0.1"), "127.0.0.1", server->Port()});
    options.host = options.targets.front().host;
    options.hostForResolver = options.targets.front().hostForResolver;
    options.port = server->Port();
    return options;
}

double ProcessSeconds()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

struct LoopFigures {
    double cpuPerCheck = 0; // seconds
    std::uint64_t checks = 0;
    std::vector<nanoseconds> lateness;
};

// `rounds` checks of every target through the run loop, at 1 s, the lines
// written as text to /dev/null.
LoopFigures RunLoopOf(std::size_t targets, std::uint64_t rounds)
{
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    LoopFigures figures;
    {
        SignalPipe signalPipe;
        OutputQueue out(devNull);
        OutputQueue err(devNull);
        const ProbeOptions options = Options(targets, false);
        ProbeFleet fleet(options, SessionOutput{out, err, false, false});
        CheckPool pool(std::min<std::size_t>(16, targets),
                       [&fleet](std::size_t target, const CancelToken &cancel) { return fleet.Probe(target, cancel); });
        RunLoop::Settings settings;
        settings.interval = options.interval;
        settings.count = rounds;
        settings.lateness = [&figures](nanoseconds late) { figures.lateness.push_back(late); };
        RunLoop loop(fleet, pool, signalPipe, out, settings);
        const double before = ProcessSeconds();
        fleet.Begin();
        loop.Run();
        const double used = ProcessSeconds() - before;
        for (std::size_t i = 0; i < fleet.Size(); ++i)
            figures.checks += fleet.Counted(i);
        figures.cpuPerCheck = used / static_cast<double>(figures.checks);
        loop.WaitForOutput({&out, &err}, milliseconds(1000));
    }
    ::close(devNull);
    return figures;
}

double Percentile(std::vector<nanoseconds> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return static_cast<double>(values[at].count()) / 1e6;
}

long ResidentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Synthetic checks of 200 targets taken by the fleet (records, metrics,
// internet state), failures now and then so that outages open and close.
void MemoryAfterChecks()
{
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    OutputQueue out(devNull);
    OutputQueue err(devNull);
    ProbeFleet fleet(Options(kManyTargets, true), SessionOutput{out, err, false, false});
    std::uint64_t taken = 0;
    nanoseconds clock{seconds(1)};
    const auto takeUpTo = [&](std::uint64_t total) {
        for (; taken < total; ++taken) {
            CheckResult result;
            result.ok = taken % 97 != 0;
            result.reason = result.ok ? FailureReason::None : FailureReason::Refused;
            result.elapsed = microseconds(80 + taken % 50);
            result.startedMonotonic = clock;
            result.startedAt = system_clock::now();
            clock += milliseconds(5);
            fleet.Take(taken % kManyTargets, result);
        }
    };
    takeUpTo(100'000);
    const long after100k = ResidentKiB();
    takeUpTo(1'000'000);
    const long after1m = ResidentKiB();
    std::printf("memory of 200 targets: %ld KiB after 10^5 checks, %ld KiB after 10^6 (ratio %.3f)\n", after100k,
                after1m, static_cast<double>(after1m) / static_cast<double>(after100k));
    ::close(devNull);
}

// One scrape: the exposition of 200 targets that have had checks.
void ScrapeOf200Targets(benchmark::State &state)
{
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    OutputQueue out(devNull);
    OutputQueue err(devNull);
    ProbeOptions options = Options(kManyTargets, true);
    for (std::size_t i = 0; i < kManyTargets; ++i)
        options.targets[i].host = QStringLiteral("target-%1.example").arg(i); // labels of their own
    ProbeFleet fleet(options, SessionOutput{out, err, false, false});
    CheckResult ok;
    ok.ok = true;
    ok.family = AddressFamily::IPv4;
    ok.elapsed = microseconds(90);
    CheckResult failed;
    failed.reason = FailureReason::Timeout;
    failed.family = AddressFamily::IPv4;
    for (std::size_t i = 0; i < kManyTargets; ++i) {
        fleet.Take(i, ok);
        fleet.Take(i, failed);
    }
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = fleet.Metrics().Text().size();
    state.counters["bytes"] = static_cast<double>(bytes);
    ::close(devNull);
}

// One check through the client, as a target's session makes it.
void OneCheck(benchmark::State &state)
{
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    OutputQueue out(devNull);
    OutputQueue err(devNull);
    ProbeFleet fleet(Options(1, true), SessionOutput{out, err, false, false});
    bool allOk = true;
    for (auto _ : state)
        allOk = fleet.Probe(0, CancelToken()).ok && allOk;
    if (!allOk)
        state.SkipWithError("a check failed");
    ::close(devNull);
}

class FleetReporter final : public RatioReporter {
    void Summary() override
    {
        if (!Measured({"ScrapeOf200Targets", "OneCheck"}))
            return;
        std::printf("one scrape of 200 targets / one check: %.2f (%.1f us against %.1f us)\n",
                    MedianRatio("ScrapeOf200Targets", "OneCheck"), MedianTime("ScrapeOf200Targets") / 1e3,
                    MedianTime("OneCheck") / 1e3);
    }
};

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    server = &listener;

    const std::uint64_t rounds = 10;
    const LoopFigures one = RunLoopOf(1, rounds);
    const LoopFigures many = RunLoopOf(kManyTargets, rounds);
    std::printf("processor time per check at 1 s: 200 targets %.1f us, 1 target %.1f us, ratio %.3f (goal <= 1.2)\n",
                many.cpuPerCheck * 1e6, one.cpuPerCheck * 1e6, many.cpuPerCheck / one.cpuPerCheck);
    std::printf("lateness of 200 targets at 1 s (%zu checks): p50 %.3f ms, p99 %.3f ms, max %.3f ms (goal: p99 <= 10 ms)\n",
                many.lateness.size(), Percentile(many.lateness, 0.5), Percentile(many.lateness, 0.99),
                Percentile(many.lateness, 1.0));
    MemoryAfterChecks();

    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("ScrapeOf200Targets", ScrapeOf200Targets)->Iterations(200)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("OneCheck", OneCheck)->Iterations(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);
    }
    FleetReporter reporter;
    return RunBenchmarks(argc, argv, reporter);
}
