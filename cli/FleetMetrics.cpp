// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/FleetMetrics.h"

#include <prometheus/text_serializer.h>

#include <sstream>

namespace {

using prometheus::Labels;

constexpr std::size_t kFamilies = 3; // AddressFamily's values

std::string_view FamilyLabel(AddressFamily family)
{
    switch (family) {
    case AddressFamily::IPv4:
        return "ipv4";
    case AddressFamily::IPv6:
        return "ipv6";
    case AddressFamily::Unknown:
        break;
    }
    return "";
}

double Seconds(std::chrono::nanoseconds duration)
{
    return duration.count() < 0 ? 0.0 : static_cast<double>(duration.count()) / 1e9;
}

double UnixSeconds(std::chrono::system_clock::time_point time)
{
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

template <typename Metric>
prometheus::Family<Metric> &Build(prometheus::detail::Builder<Metric> builder, prometheus::Registry &registry,
                                  const char *name, const char *help)
{
    return builder.Name(name).Help(help).Register(registry);
}

} // namespace

// A target's counters and histogram for one address family.
struct FleetMetrics::Series {
    prometheus::Counter *ok = nullptr;
    prometheus::Counter *failed = nullptr;
    std::array<prometheus::Counter *, 16> failures{}; // by FailureReason, made at the first one
    prometheus::Histogram *durations = nullptr;
    prometheus::Counter *outages = nullptr;
    prometheus::Counter *outageSeconds = nullptr;
};

struct FleetMetrics::Target {
    Labels labels; // host and port
    std::array<std::unique_ptr<Series>, kFamilies> series;
    // The gauges, under the family of the latest check.
    AddressFamily gaugeFamily = AddressFamily::Unknown;
    prometheus::Gauge *up = nullptr;
    prometheus::Gauge *lastDuration = nullptr;
    prometheus::Gauge *lastCheck = nullptr;
    // What the session record said at the previous check, for the counters'
    // increments.
    std::uint64_t outagesSeen = 0;
    std::chrono::nanoseconds downSeen{0};
};

const std::vector<double> &FleetMetrics::DurationBuckets()
{
    static const std::vector<double> buckets{0.0001, 0.00025, 0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                             0.1,    0.25,    0.5,    1,     2.5,    5,     10,   25};
    return buckets;
}

FleetMetrics::FleetMetrics(std::string_view internetRule, std::string_view version)
    : registry_(std::make_shared<prometheus::Registry>()),
      up_(Build(prometheus::BuildGauge(), *registry_, "kelvora_probe_up",
                "1 when the target's last check succeeded, 0 when it failed.")),
      checks_(Build(prometheus::BuildCounter(), *registry_, "kelvora_probe_checks_total",
                    "Checks of the target made since the program started, by result.")),
      failures_(Build(prometheus::BuildCounter(), *registry_, "kelvora_probe_failures_total",
                      "Failed checks of the target, by reason.")),
      durations_(Build(prometheus::BuildHistogram(), *registry_, "kelvora_probe_duration_seconds",
                       "How long the target's successful checks took, from the open to the close.")),
      lastDuration_(Build(prometheus::BuildGauge(), *registry_, "kelvora_probe_last_duration_seconds",
                          "How long the target's last check took, to its success or its failure.")),
      lastCheck_(Build(prometheus::BuildGauge(), *registry_, "kelvora_probe_last_check_timestamp_seconds",
                       "When the target's last check ended, in seconds since the Unix epoch.")),
      outages_(Build(prometheus::BuildCounter(), *registry_, "kelvora_probe_outages_total",
                     "Outages (runs of failed checks) of the target begun since the program started.")),
      outageSeconds_(Build(prometheus::BuildCounter(), *registry_, "kelvora_probe_outage_seconds_total",
                           "Time the target was down, from the start of a failed check to the next check.")),
      internetUp_(Build(prometheus::BuildGauge(), *registry_, "kelvora_internet_up",
                        "1 while the internet counts as up over the targets' latest checks, by the rule.")
                      .Add({{"rule", std::string(internetRule)}})),
      internetOutages_(Build(prometheus::BuildCounter(), *registry_, "kelvora_internet_outages_total",
                             "Outages of the internet, over the targets by the rule, since the program started.")
                           .Add({{"rule", std::string(internetRule)}}))
{
    Build(prometheus::BuildGauge(), *registry_, "kelvora_probe_build_info",
          "Always 1; the label version names the kelvora-probe that serves these metrics.")
        .Add({{"version", std::string(version)}})
        .Set(1);
}

FleetMetrics::~FleetMetrics() = default;

std::size_t FleetMetrics::AddTarget(const ProbeTarget &target)
{
    auto added = std::make_unique<Target>();
    added->labels = {{"host", target.host}, {"port", std::to_string(target.port)}};
    targets_.push_back(std::move(added));
    MoveGauges(*targets_.back(), AddressFamily::Unknown);
    return targets_.size() - 1;
}

FleetMetrics::Series &FleetMetrics::SeriesFor(Target &target, AddressFamily family)
{
    std::unique_ptr<Series> &series = target.series[static_cast<std::size_t>(family) % kFamilies];
    if (series)
        return *series;
    series = std::make_unique<Series>();
    Labels labels = target.labels;
    labels.emplace("family", std::string(FamilyLabel(family)));
    Labels ok = labels;
    ok.emplace("result", "ok");
    Labels failed = labels;
    failed.emplace("result", "failed");
    series->ok = &checks_.Add(ok);
    series->failed = &checks_.Add(failed);
    series->durations = &durations_.Add(labels, DurationBuckets());
    series->outages = &outages_.Add(labels);
    series->outageSeconds = &outageSeconds_.Add(labels);
    return *series;
}

void FleetMetrics::MoveGauges(Target &target, AddressFamily family)
{
    if (target.up && family == target.gaugeFamily)
        return;
    const double up = target.up ? target.up->Value() : 0;
    if (target.up) {
        up_.Remove(target.up);
        lastDuration_.Remove(target.lastDuration);
        lastCheck_.Remove(target.lastCheck);
    }
    Labels labels = target.labels;
    labels.emplace("family", std::string(FamilyLabel(family)));
    target.gaugeFamily = family;
    target.up = &up_.Add(labels);
    target.up->Set(up);
    target.lastDuration = &lastDuration_.Add(labels);
    target.lastCheck = &lastCheck_.Add(labels);
}

void FleetMetrics::RecordCheck(std::size_t index, const CheckResult &result, const SessionSummary &summary)
{
    Target &target = *targets_[index];
    Series &series = SeriesFor(target, result.family);
    if (result.ok) {
        series.ok->Increment();
        series.durations->Observe(Seconds(result.elapsed));
    } else {
        series.failed->Increment();
        const FailureReason reason = ReportedReason(result);
        prometheus::Counter *&failures = series.failures[static_cast<std::size_t>(reason) % series.failures.size()];
        if (!failures) {
            Labels labels = target.labels;
            labels.emplace("family", std::string(FamilyLabel(result.family)));
            labels.emplace("reason", std::string(ReasonKey(reason)));
            failures = &failures_.Add(labels);
        }
        failures->Increment();
    }
    if (summary.outagesTotal > target.outagesSeen)
        series.outages->Increment(static_cast<double>(summary.outagesTotal - target.outagesSeen));
    target.outagesSeen = summary.outagesTotal;
    if (summary.totalDown > target.downSeen)
        series.outageSeconds->Increment(Seconds(summary.totalDown - target.downSeen));
    target.downSeen = std::max(target.downSeen, summary.totalDown);

    MoveGauges(target, result.family);
    target.up->Set(result.ok ? 1 : 0);
    target.lastDuration->Set(Seconds(result.elapsed));
    target.lastCheck->Set(UnixSeconds(result.startedAt + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                                             std::max(result.elapsed, std::chrono::nanoseconds(0)))));
}

void FleetMetrics::RecordInternet(bool up, std::uint64_t outages)
{
    internetUp_.Set(up ? 1 : 0);
    const double seen = internetOutages_.Value();
    if (static_cast<double>(outages) > seen)
        internetOutages_.Increment(static_cast<double>(outages) - seen);
}

std::string FleetMetrics::Text() const
{
    std::ostringstream text;
    prometheus::TextSerializer().Serialize(text, registry_->Collect());
    return text.str();
}
