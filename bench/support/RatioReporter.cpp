// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/RatioReporter.h"

#include <unistd.h>

#include <algorithm>

namespace {

const std::vector<RatioReporter::Repetition> kNone;

double TimeOf(const RatioReporter::Repetition &repetition, RatioReporter::Clock clock)
{
    return clock == RatioReporter::Clock::Real ? repetition.realNs : repetition.processorNs;
}

} // namespace

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

RatioReporter::RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.run_type != Run::RT_Iteration)
            continue;
        // GetAdjusted*Time is in the run's own unit; the multiplier is that
        // unit's count per second.
        const double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        FindOrAdd(run.run_name)
            .repetitions.push_back({!run.error_occurred, run.GetAdjustedRealTime() * toNs,
                                    run.GetAdjustedCPUTime() * toNs, run.counters});
    }
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    Summary();
}

std::vector<std::string> RatioReporter::Keys() const
{
    std::vector<std::string> keys;
    for (const Entry &entry : entries_)
        keys.push_back(entry.key);
    return keys;
}

std::vector<std::string> RatioReporter::Arguments(const std::string &function) const
{
    std::vector<std::string> arguments;
    for (const Entry &entry : entries_)
        if (entry.function == function)
            arguments.push_back(entry.arguments);
    return arguments;
}

const std::vector<RatioReporter::Repetition> &RatioReporter::Repetitions(const std::string &key) const
{
    const Entry *entry = Find(key);
    return entry ? entry->repetitions : kNone;
}

std::vector<double> RatioReporter::Times(const std::string &key, Clock clock) const
{
    std::vector<double> times;
    for (const Repetition &repetition : Repetitions(key))
        if (repetition.ok)
            times.push_back(TimeOf(repetition, clock));
    return times;
}

bool RatioReporter::Measured(std::initializer_list<std::string> keys) const
{
    return std::all_of(keys.begin(), keys.end(), [this](const std::string &key) { return LastSucceeded(key); });
}

double RatioReporter::MedianTime(const std::string &key, Clock clock) const
{
    return Median(Times(key, clock));
}

double RatioReporter::BestTime(const std::string &key, Clock clock) const
{
    const std::vector<double> times = Times(key, clock);
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

double RatioReporter::MedianRatio(const std::string &numerator, const std::string &denominator, Clock clock) const
{
    const std::vector<Repetition> &top = Repetitions(numerator);
    const std::vector<Repetition> &bottom = Repetitions(denominator);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < top.size() && i < bottom.size(); ++i)
        if (top[i].ok && bottom[i].ok)
            ratios.push_back(TimeOf(top[i], clock) / TimeOf(bottom[i], clock));
    return Median(ratios);
}

const RatioReporter::Repetition *RatioReporter::LastSucceeded(const std::string &key) const
{
    const std::vector<Repetition> &repetitions = Repetitions(key);
    const auto last = std::find_if(repetitions.rbegin(), repetitions.rend(),
                                   [](const Repetition &repetition) { return repetition.ok; });
    return last == repetitions.rend() ? nullptr : &*last;
}

const RatioReporter::Entry *RatioReporter::Find(const std::string &key) const
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&key](const Entry &entry) { return entry.key == key; });
    return found == entries_.end() ? nullptr : &*found;
}

RatioReporter::Entry &RatioReporter::FindOrAdd(const benchmark::BenchmarkName &name)
{
    const std::string key = name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&key](const Entry &entry) { return entry.key == key; });
    if (found != entries_.end())
        return *found;
    entries_.push_back({key, name.function_name, name.args, {}});
    return entries_.back();
}
