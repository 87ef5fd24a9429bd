// SPDX-License-Identifier: MIT
#include "cli/PrometheusFormat.h"

#include <cstdio>
#include <limits>

namespace {

// Exact seconds of a count of nanoseconds: "0.000084321".
std::string Seconds(std::chrono::nanoseconds duration)
{
    const std::int64_t ns = duration.count() < 0 ? 0 : duration.count();
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%09lld", static_cast<long long>(ns / 1'000'000'000),
                  static_cast<long long>(ns % 1'000'000'000));
    return text;
}

class Exposition final {
public:
    explicit Exposition(const ProbeTarget &target)
        : labels_("host=\"" + PrometheusLabelValue(target.host) + "\",port=\"" + std::to_string(target.port) + "\"")
    {
    }

    void Family(std::string_view name, std::string_view type, std::string_view help)
    {
        text_.append("# HELP ").append(name).append(" ").append(help).append("\n");
        text_.append("# TYPE ").append(name).append(" ").append(type).append("\n");
    }

    // `extra`: further labels, already written as name="value".
    void Sample(std::string_view name, std::string_view value, std::string_view extra = {})
    {
        text_.append(name).append("{").append(labels_);
        if (!extra.empty())
            text_.append(",").append(extra);
        text_.append("} ").append(value).append("\n");
    }

    std::string Done() { return std::move(text_); }

private:
    std::string labels_;
    std::string text_;
};

} // namespace

void DurationHistogram::Add(std::chrono::nanoseconds duration) noexcept
{
    const std::int64_t ns = duration.count() < 0 ? 0 : duration.count();
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        if (ns <= kBuckets[i].upperBoundNs) {
            ++counts_[i];
            break;
        }
    }
    ++count_;
    const std::int64_t room = std::numeric_limits<std::int64_t>::max() - sum_.count();
    sum_ = ns > room ? std::chrono::nanoseconds::max() : sum_ + std::chrono::nanoseconds(ns);
}

std::uint64_t DurationHistogram::CumulativeCount(std::size_t index) const noexcept
{
    std::uint64_t total = 0;
    for (std::size_t i = 0; i <= index && i < counts_.size(); ++i)
        total += counts_[i];
    return total;
}

std::string PrometheusLabelValue(std::string_view value)
{
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '"')
            escaped += "\\\"";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

std::string PrometheusText(const ProbeTarget &target, const ProbeMetrics &metrics)
{
    Exposition out(target);
    out.Family("kelvora_probe_up", "gauge", "1 when the last check succeeded, 0 when it failed.");
    out.Sample("kelvora_probe_up", metrics.up ? "1" : "0");
    out.Family("kelvora_probe_last_duration_seconds", "gauge",
               "How long the last check took, to its success or its failure.");
    out.Sample("kelvora_probe_last_duration_seconds", Seconds(metrics.lastDuration));
    out.Family("kelvora_probe_checks_total", "counter", "Checks made in this session, by result.");
    out.Sample("kelvora_probe_checks_total", std::to_string(metrics.ok), "result=\"ok\"");
    out.Sample("kelvora_probe_checks_total", std::to_string(metrics.failed), "result=\"failed\"");
    out.Family("kelvora_probe_outages_total", "counter", "Outages (runs of failed checks) begun in this session.");
    out.Sample("kelvora_probe_outages_total", std::to_string(metrics.outages));
    out.Family("kelvora_probe_duration_seconds", "histogram", "How long the checks took, successful and failed.");
    const DurationHistogram &h = metrics.durations;
    for (std::size_t i = 0; i < DurationHistogram::kBuckets.size(); ++i)
        out.Sample("kelvora_probe_duration_seconds_bucket", std::to_string(h.CumulativeCount(i)),
                   "le=\"" + std::string(DurationHistogram::kBuckets[i].le) + "\"");
    out.Sample("kelvora_probe_duration_seconds_bucket", std::to_string(h.Count()), "le=\"+Inf\"");
    out.Sample("kelvora_probe_duration_seconds_sum", Seconds(h.Sum()));
    out.Sample("kelvora_probe_duration_seconds_count", std::to_string(h.Count()));
    return out.Done();
}
