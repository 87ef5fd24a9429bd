// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>
#include <vector>

// The median of `values` (the upper one of an even count); 0 when there are
// none.
double Median(std::vector<double> values);

// The console report, then a summary of the program's own: ratios of the times
// of benchmarks measured in the same run. Every repetition of every benchmark
// is kept, in nanoseconds whatever unit the benchmark reports in, under its
// key: the function's name and its arguments ("RecordOne/1000", "ClientProbe",
// "Paste/IntervalField"), without the run's options (iterations, real time,
// repetitions). A repetition that failed keeps its place, so that the n-th
// repetitions of two benchmarks still pair up round by round, but it counts in
// no figure. Colours only on a terminal, so that a saved report reads plainly.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Real, Processor };

    struct Repetition {
        bool ok = false;
        double realNs = 0;
        double processorNs = 0;
        benchmark::UserCounters counters;
    };

    RatioReporter();

    void ReportRuns(const std::vector<Run> &runs) final;
    // The console report's end, then Summary().
    void Finalize() final;

protected:
    // Prints the program's own lines once every benchmark has run.
    virtual void Summary() = 0;

    // The keys in the order their first repetition ran.
    std::vector<std::string> Keys() const;
    // The arguments ("858/521") with which `function` ran, in that order.
    std::vector<std::string> Arguments(const std::string &function) const;

    // Every repetition of `key`, failed ones included; none when it did not run.
    const std::vector<Repetition> &Repetitions(const std::string &key) const;
    // The times of the repetitions that succeeded.
    std::vector<double> Times(const std::string &key, Clock clock = Clock::Real) const;
    // True when each key has at least one repetition that succeeded.
    bool Measured(std::initializer_list<std::string> keys) const;

    double MedianTime(const std::string &key, Clock clock = Clock::Real) const;
    // The least time; 0 when none succeeded.
    double BestTime(const std::string &key, Clock clock = Clock::Real) const;
    // The median over the rounds (the n-th repetition of each) in which both
    // succeeded of numerator's time over denominator's; 0 when there is none.
    double MedianRatio(const std::string &numerator, const std::string &denominator,
                       Clock clock = Clock::Real) const;
    // The last repetition of `key` that succeeded; nullptr when none did.
    const Repetition *LastSucceeded(const std::string &key) const;

private:
    struct Entry {
        std::string key;
        std::string function;
        std::string arguments;
        std::vector<Repetition> repetitions;
    };

    const Entry *Find(const std::string &key) const;
    Entry &FindOrAdd(const benchmark::BenchmarkName &name);

    std::vector<Entry> entries_; // in the order they first ran
};
