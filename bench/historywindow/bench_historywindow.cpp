// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Opening a year in the history window: from nothing to its first picture
// (the window made, the file opened, the year's view read with hour cells,
// the heat map, totals and outages filled and the window at 900 x 700
// rendered), on a year of checks every 30 s made by YearGenerator, against
// reading the same file's day aggregates with the sqlite3 shell in the same
// run. Goal: the first picture in at most 300 ms. KELVORA_BENCH_KEEP=FILE
// keeps the generated year in FILE.

#include "YearGenerator.h"

#include "support/BenchMain.h"
#include "support/RatioReporter.h"
#include "support/ShellDays.h"

#include "ui/HeatMap.h"
#include "ui/HistoryWindow.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLayout>

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace std::chrono;

namespace {

// 2026-12-09T00:00:00Z, the end of the generated year.
constexpr std::int64_t kYearEndMs = 1'796'774'400'000;

std::filesystem::path &YearFile()
{
    static std::filesystem::path file;
    return file;
}

void FirstPicture(benchmark::State &state)
{
    ReaderSettings reader;
    // An hour after the last check: today has begun, so the year is 365 rows.
    reader.wall = [] { return system_clock::time_point(milliseconds(kYearEndMs + 3'600'000)); };
    for (auto _ : state) {
        HistoryWindow window(YearFile(), reader, {});
        window.resize(900, 700);
        window.SetRange(HistoryWindow::Range::Year);
        window.layout()->activate();
        const QImage picture = window.grab().toImage();
        if (!window.View() || window.Map()->Days().size() < 365) {
            const std::string why = "the year did not show: " + window.Problem()->text().toStdString() + " ("
                                    + std::to_string(window.Map()->Days().size()) + " days)";
            state.SkipWithError(why.c_str());
            return;
        }
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void ShellDays(benchmark::State &state)
{
    ReadDaysWithShell(state, YearFile());
}

class WindowReporter final : public RatioReporter {
    void Summary() override
    {
        if (Measured({"FirstPicture", "ShellDays"}))
            std::printf("history window, first picture of a year at 30 s: %.1f ms (goal <= 300 ms); "
                        "sqlite3 shell reading the day aggregates: %.1f ms; ratio %.2f\n",
                        MedianTime("FirstPicture") / 1e6, MedianTime("ShellDays") / 1e6,
                        MedianRatio("FirstPicture", "ShellDays"));
    }
};

} // namespace

int main(int argc, char **argv)
{
    char folder[] = "/tmp/kelvora-bench-historywindow-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    YearFile() = std::filesystem::path(folder) / "year-30s.sqlite";
    std::printf("writing a year every 30 s...\n");
    const GeneratedYear year = GenerateHistory(YearFile(), seconds(30), 365, kYearEndMs);
    std::printf("%llu checks, %.1f MB\n", static_cast<unsigned long long>(year.checks), year.fileBytes / 1e6);
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("FirstPicture", FirstPicture)->Iterations(3)->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ShellDays", ShellDays)->Iterations(3)->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    WindowReporter reporter;
    const int status = RunBenchmarksIn<QApplication>(argc, argv, reporter);
    // KELVORA_BENCH_KEEP=FILE keeps the year there, to open it in the window.
    if (const char *keep = std::getenv("KELVORA_BENCH_KEEP"); keep != nullptr && *keep != '\0') {
        std::error_code error;
        std::filesystem::copy_file(YearFile(), keep, std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            std::fprintf(stderr, "could not keep the year in %s: %s\n", keep, error.message().c_str());
    }
    std::filesystem::remove_all(folder);
    return status;
}
