// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <benchmark/benchmark.h>

// What every benchmark program's main does once its benchmarks are
// registered: reads the benchmark options from the command line (removing
// them from argc and argv, so a QApplication made on the same argc sees the
// rest), runs the benchmarks the options select with `reporter` as the
// display, and shuts the library down. Returns main's exit status: 1 when the
// command line holds an option nobody knows (nothing is run then), else 0.
int RunBenchmarks(int &argc, char **argv, benchmark::BenchmarkReporter &reporter);

// Points Qt at its offscreen platform unless QT_QPA_PLATFORM names one, so a
// widget benchmark needs no display. Call before the QApplication is made.
void PreferOffscreenPlatform();

// RunBenchmarks inside an application object of type Application
// (QApplication for the widget benchmarks), made on argc and argv on the
// platform PreferOffscreenPlatform chooses.
template <class Application>
int RunBenchmarksIn(int &argc, char **argv, benchmark::BenchmarkReporter &reporter)
{
    PreferOffscreenPlatform();
    Application application(argc, argv);
    return RunBenchmarks(argc, argv, reporter);
}
