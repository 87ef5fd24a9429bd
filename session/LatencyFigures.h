// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>

// Round-trip figures over the successful checks' elapsed times. Minimum,
// maximum, average and mean deviation are exact (the deviation is the
// population standard deviation, as ping reports it); the percentiles use the
// nearest-rank definition and are within 1 % relative error.
struct LatencyFigures {
    std::chrono::nanoseconds min{0};
    std::chrono::nanoseconds max{0};
    std::chrono::duration<double, std::nano> average{0};
    std::chrono::duration<double, std::nano> meanDeviation{0};
    std::chrono::nanoseconds p50{0};
    std::chrono::nanoseconds p90{0};
    std::chrono::nanoseconds p95{0};
    std::chrono::nanoseconds p99{0};
};
