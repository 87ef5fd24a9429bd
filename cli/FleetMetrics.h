// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/CheckEvent.h"
#include "session/SessionSummary.h"

#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The metrics of a kelvora-probe run, kept in a prometheus-cpp registry
// that both the metrics file (Text) and the exporter (Registry) read, so
// that both give the same families:
//
//   kelvora_probe_up                             gauge
//   kelvora_probe_checks_total{result}           counter (ok, failed)
//   kelvora_probe_failures_total{reason}         counter, by failure reason
//   kelvora_probe_duration_seconds               histogram, successful checks
//   kelvora_probe_last_duration_seconds          gauge
//   kelvora_probe_last_check_timestamp_seconds   gauge, when the last check ended
//   kelvora_probe_outages_total                  counter
//   kelvora_probe_outage_seconds_total           counter, time down
//   kelvora_internet_up{rule}                    gauge
//   kelvora_internet_outages_total{rule}         counter
//   kelvora_probe_build_info{version}            gauge, always 1
//
// Each kelvora_probe_ series but the build information carries the labels
// host, port and family (ipv4, ipv6, or empty for a check that reached no
// address). A target's counters and histogram are kept per family; its
// gauges follow its latest check, so they move to that check's family.
//
// Threads: the record calls belong to one thread; Text and the registry's
// Collect may run on any thread meanwhile (prometheus-cpp's values are
// atomic and its families locked).
class FleetMetrics final {
public:
    // The bounds of kelvora_probe_duration_seconds, in seconds.
    static const std::vector<double> &DurationBuckets();

    FleetMetrics(std::string_view internetRule, std::string_view version);
    ~FleetMetrics();
    FleetMetrics(const FleetMetrics &) = delete;
    FleetMetrics &operator=(const FleetMetrics &) = delete;

    // Adds a target (before its first check); returns its index.
    std::size_t AddTarget(const ProbeTarget &target);

    // Counts a check of `target`; `summary` is its session record after it
    // (the outages and the time down).
    void RecordCheck(std::size_t target, const CheckResult &result, const SessionSummary &summary);
    // The internet's state and its outages so far; before the first call
    // kelvora_internet_up reads 0.
    void RecordInternet(bool up, std::uint64_t outages);

    // The exposition, as the exporter serves it.
    std::string Text() const;
    std::shared_ptr<prometheus::Registry> Registry() const { return registry_; }

private:
    struct Series;
    struct Target;

    Series &SeriesFor(Target &target, AddressFamily family);
    void MoveGauges(Target &target, AddressFamily family);

    std::shared_ptr<prometheus::Registry> registry_;
    prometheus::Family<prometheus::Gauge> &up_;
    prometheus::Family<prometheus::Counter> &checks_;
    prometheus::Family<prometheus::Counter> &failures_;
    prometheus::Family<prometheus::Histogram> &durations_;
    prometheus::Family<prometheus::Gauge> &lastDuration_;
    prometheus::Family<prometheus::Gauge> &lastCheck_;
    prometheus::Family<prometheus::Counter> &outages_;
    prometheus::Family<prometheus::Counter> &outageSeconds_;
    prometheus::Gauge &internetUp_;
    prometheus::Counter &internetOutages_;
    std::vector<std::unique_ptr<Target>> targets_;
};
