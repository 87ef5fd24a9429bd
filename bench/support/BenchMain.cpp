// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/BenchMain.h"

#include <cstdlib>

int RunBenchmarks(int &argc, char **argv, benchmark::BenchmarkReporter &reporter)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

void PreferOffscreenPlatform()
{
    // An empty value counts as none, as Qt itself reads it.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || *platform == '\0')
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
