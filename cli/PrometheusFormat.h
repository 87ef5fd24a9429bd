// SPDX-License-Identifier: MIT
#pragma once

#include "session/CheckEvent.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// The metrics of a probe session in Prometheus' text exposition format, for
// node_exporter's textfile collector. Every sample carries the labels host
// and port.

// Check durations (successful and failed alike) counted into fixed buckets.
class DurationHistogram final {
public:
    struct Bucket {
        std::int64_t upperBoundNs;
        std::string_view le; // the bound in seconds, as the label shows it
    };
    static constexpr std::array<Bucket, 17> kBuckets{{
        {100'000, "0.0001"},      {250'000, "0.00025"},   {500'000, "0.0005"},   {1'000'000, "0.001"},
        {2'500'000, "0.0025"},    {5'000'000, "0.005"},   {10'000'000, "0.01"},  {25'000'000, "0.025"},
        {50'000'000, "0.05"},     {100'000'000, "0.1"},   {250'000'000, "0.25"}, {500'000'000, "0.5"},
        {1'000'000'000, "1"},     {2'500'000'000, "2.5"}, {5'000'000'000, "5"},  {10'000'000'000, "10"},
        {25'000'000'000, "25"},
    }};

    // A negative duration counts as 0.
    void Add(std::chrono::nanoseconds duration) noexcept;

    std::uint64_t Count() const noexcept { return count_; }
    // Saturates rather than overflowing.
    std::chrono::nanoseconds Sum() const noexcept { return sum_; }
    // The durations up to and including kBuckets[index]'s bound.
    std::uint64_t CumulativeCount(std::size_t index) const noexcept;

private:
    std::array<std::uint64_t, kBuckets.size()> counts_{}; // per bucket, not cumulative
    std::uint64_t count_ = 0;
    std::chrono::nanoseconds sum_{0};
};

struct ProbeMetrics {
    bool up = false;
    std::chrono::nanoseconds lastDuration{0};
    std::uint64_t ok = 0;
    std::uint64_t failed = 0;
    std::uint64_t outages = 0;
    DurationHistogram durations;
};

// The whole file: for each metric its # HELP and # TYPE lines, then its
// samples. Ends with a line break.
std::string PrometheusText(const ProbeTarget &target, const ProbeMetrics &metrics);

// A label value escaped as the format wants it (backslash, quote, line
// break), without the quotes.
std::string PrometheusLabelValue(std::string_view value);
