// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <chrono>
#include <cstdint>

// Count, minimum, maximum, mean and population standard deviation of a
// stream of durations, in constant memory. Mean and deviation use Welford's
// update, which stays accurate where summing squares would cancel.
class RunningStats final {
public:
    void Add(std::chrono::nanoseconds value) noexcept;

    std::uint64_t Count() const noexcept { return count_; }
    // Min, Max and Mean are 0 and Deviation is 0 while Count() is 0.
    std::chrono::nanoseconds Min() const noexcept { return min_; }
    std::chrono::nanoseconds Max() const noexcept { return max_; }
    double MeanNanoseconds() const noexcept { return mean_; }
    // sqrt(sum of (x - mean)^2 / n): the deviation ping reports as mdev.
    double DeviationNanoseconds() const noexcept;

private:
    std::uint64_t count_ = 0;
    std::chrono::nanoseconds min_{0};
    std::chrono::nanoseconds max_{0};
    double mean_ = 0.0;
    double sumSquaredDeviations_ = 0.0;
};
