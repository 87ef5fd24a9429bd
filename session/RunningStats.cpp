// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/RunningStats.h"

#include <cmath>

void RunningStats::Add(std::chrono::nanoseconds value) noexcept
{
    if (count_ == 0 || value < min_)
        min_ = value;
    if (count_ == 0 || value > max_)
        max_ = value;
    ++count_;
    const auto x = static_cast<double>(value.count());
    const double delta = x - mean_;
    mean_ += delta / static_cast<double>(count_);
    sumSquaredDeviations_ += delta * (x - mean_);
}

double RunningStats::DeviationNanoseconds() const noexcept
{
    if (count_ == 0)
        return 0.0;
    // Rounding can leave the sum a hair below zero for equal samples.
    const double variance = sumSquaredDeviations_ / static_cast<double>(count_);
    return variance > 0.0 ? std::sqrt(variance) : 0.0;
}
