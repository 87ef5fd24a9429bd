// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The history's costs, each against a baseline measured in the same run:
//   - recording one check (the window's per-check commit, the probe's
//     batched commit) against one loopback probe through the client;
//   - the year view, the query and model the history window opens a year
//     with (reader, heat map of hour cells, days, outages and totals), on a
//     year of checks every 30 s, against reading the same file's day
//     aggregates with the sqlite3 shell; goal: at most 300 ms;
//   - the recorder's memory over a long run (10^5 and 10^6 checks: flat);
//   - the file sizes of a year of checks every 1 s (goal <= 150 MB) and every
//     30 s (goal <= 25 MB), made by YearGenerator.
// The files are written first, in a scratch folder; KELVORA_BENCH_SKIP_1S=1
// leaves out the year at 1 s, which takes some minutes to write.

#include "YearGenerator.h"

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/ProbeLoops.h"
#include "support/RatioReporter.h"
#include "support/ShellDays.h"

#include "history/HistoryReader.h"
#include "history/HistoryRecorder.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace std::chrono;

namespace {

constexpr int kRounds = 7;
constexpr int kProbeIterations = 2000;
// 2026-12-09T00:00:00Z, the end of the generated years.
constexpr std::int64_t kYearEndMs = 1'796'774'400'000;

struct Scratch {
    std::filesystem::path folder;
    std::filesystem::path year30;
    std::filesystem::path year1;
    GeneratedYear sizes30;
    std::optional<GeneratedYear> sizes1;
};

Scratch &Files()
{
    static Scratch scratch;
    return scratch;
}

CheckResult MadeUpCheck()
{
    CheckResult result;
    result.startedAt = system_clock::now();
    result.startedMonotonic = steady_clock::now().time_since_epoch();
    result.elapsed = microseconds(80);
    result.ok = true;
    result.address = "127.0.0.1";
    result.family = AddressFamily::IPv4;
    return result;
}

void RecordOne(benchmark::State &state)
{
    const bool batched = state.range(0) == 1;
    const auto file = Files().folder / (batched ? "record-batched.sqlite" : "record-each.sqlite");
    RecorderSettings settings;
    settings.file = file;
    settings.commit = batched ? CommitMode::Batched : CommitMode::EachCheck;
    HistoryRecorder recorder(settings);
    recorder.Watch("127.0.0.1", 80, milliseconds(10));
    for (auto _ : state)
        recorder.Record(MadeUpCheck());
    recorder.Flush();
    if (recorder.Failed())
        state.SkipWithError(recorder.FailureLine().c_str());
}

// What the window shows first on opening a year: the whole view.
void YearView(benchmark::State &state)
{
    for (auto _ : state) {
        HistoryReader reader(Files().year30);
        const HistoryView view = reader.View(1, {kYearEndMs - 365LL * 86'400'000, kYearEndMs});
        benchmark::DoNotOptimize(view.totals.monitoredMs);
    }
}

// The same file's day aggregates through the sqlite3 shell.
void ShellDays(benchmark::State &state)
{
    ReadDaysWithShell(state, Files().year30);
}

class HistoryReporter final : public RatioReporter {
    void Summary() override
    {
        if (Measured({"ClientProbe", "RecordOne/0", "RecordOne/1"})) {
            std::printf("record/probe ratio, per-check commit: %.3f (median per check: %.1f us, probe %.1f us)\n",
                        MedianRatio("RecordOne/0", "ClientProbe"), MedianTime("RecordOne/0") / 1e3,
                        MedianTime("ClientProbe") / 1e3);
            std::printf("record/probe ratio, batched commit:   %.3f (median per check: %.1f us)\n",
                        MedianRatio("RecordOne/1", "ClientProbe"), MedianTime("RecordOne/1") / 1e3);
        }
        if (Measured({"YearView", "ShellDays"})) {
            std::printf("year view: %.1f ms (goal <= 300 ms); sqlite3 shell reading the day aggregates: %.1f ms;"
                        " ratio %.2f\n",
                        MedianTime("YearView") / 1e6, MedianTime("ShellDays") / 1e6,
                        MedianRatio("YearView", "ShellDays"));
        }
    }
};

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A long batched run on made-up clocks, ten checks a second (commits and
// upkeep as often as at that pace): the heap after 10^5 and 10^6 checks.
void MemoryRun()
{
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    auto now = std::make_shared<std::int64_t>(kYearEndMs);
    RecorderSettings settings;
    settings.file = Files().folder / "memory.sqlite";
    settings.commit = CommitMode::Batched;
    settings.wall = [now] { return system_clock::time_point(milliseconds(*now)); };
    settings.clocks.monotonic = [now] { return nanoseconds(milliseconds(*now)); };
    settings.clocks.boottime = [now] { return nanoseconds(milliseconds(*now)); };
    const std::size_t before = HeapInUse();
    std::printf("\nmemory run: the recorder, batched, ten checks a second\n");
    {
        HistoryRecorder recorder(settings);
        recorder.Watch("example.org", 80, milliseconds(100));
        CheckResult result = MadeUpCheck();
        for (int i = 1; i <= 1'000'000; ++i) {
            result.startedAt = system_clock::time_point(milliseconds(*now));
            result.startedMonotonic = milliseconds(*now);
            result.ok = i % 500 != 0;
            recorder.Record(result);
            *now += 100;
            if (i == 100'000 || i == 1'000'000)
                std::printf("  after %7d checks: heap %zu B\n", i, HeapInUse() - before);
        }
    }
}

void PrintSizes()
{
    const Scratch &files = Files();
    const auto line = [](const char *what, const GeneratedYear &year, double goalMb) {
        std::printf("%s: %llu checks, %llu bytes (%.1f MB, %.1f bytes a check; goal <= %.0f MB), %llu bytes used,"
                    " written in %.0f s\n",
                    what, static_cast<unsigned long long>(year.checks), static_cast<unsigned long long>(year.fileBytes),
                    year.fileBytes / 1e6, static_cast<double>(year.fileBytes) / static_cast<double>(year.checks), goalMb,
                    static_cast<unsigned long long>(year.usedBytes), year.seconds);
    };
    std::printf("\nfile sizes (MB = 10^6 bytes)\n");
    line("  a year every 30 s", files.sizes30, 25);
    if (files.sizes1)
        line("  a year every 1 s ", *files.sizes1, 150);
    else
        std::printf("  a year every 1 s: left out (KELVORA_BENCH_SKIP_1S)\n");
}

} // namespace

int main(int argc, char **argv)
{
    char folder[] = "/tmp/kelvora-bench-history-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    Scratch &files = Files();
    files.folder = folder;
    files.year30 = files.folder / "year-30s.sqlite";
    files.year1 = files.folder / "year-1s.sqlite";
    std::printf("writing a year every 30 s...\n");
    files.sizes30 = GenerateHistory(files.year30, seconds(30), 365, kYearEndMs);
    const char *skip = std::getenv("KELVORA_BENCH_SKIP_1S");
    if (skip == nullptr || std::string(skip) != "1") {
        std::printf("writing a year every 1 s (some minutes)...\n");
        files.sizes1 = GenerateHistory(files.year1, seconds(1), 365, kYearEndMs);
        std::filesystem::remove(files.year1);
    }

    AcceptAndCloseServer listener;
    for (int round = 0; round < kRounds; ++round) {
        benchmark::RegisterBenchmark("ClientProbe", ClientProbe, listener.Port())
            ->Iterations(kProbeIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("RecordOne", RecordOne)
            ->Arg(0)->Arg(1)->Iterations(kProbeIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("YearView", YearView)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ShellDays", ShellDays)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
    }
    HistoryReporter reporter;
    const int status = RunBenchmarks(argc, argv, reporter);
    if (status == 0) {
        MemoryRun();
        PrintSizes();
    }
    std::filesystem::remove_all(files.folder);
    return status;
}
