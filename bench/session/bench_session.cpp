// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Cost of recording one check result into the session record, as a ratio to
// one loopback probe through the client (open and close against a listener
// on 127.0.0.1 in this process), both measured in the same run. Goal: the
// record costs at most 1 % of a probe.
//
// Then the memory run: 10^7 results with an outage every 1,000 checks. The
// record's memory beyond its outage list is printed after the first million
// and after the last; the two must be equal. It is printed twice: as the
// record computes it (FootprintBeyondOutages) and as measured with
// mallinfo2 (heap in use since before the record was made, less the outage
// list's storage).

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/ProbeLoops.h"
#include "support/RatioReporter.h"

#include "session/SessionRecord.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

using namespace std::chrono;

namespace {

constexpr int kProbeIterations = 2000;
constexpr int kRecordIterations = 1'000'000;
// Rounds alternate the variants, so a change of the machine's load hits all
// of them; a ratio is the median of the ratios within each round.
constexpr int kRounds = 9;

// Results one second apart with varied round-trip times; every
// `outageEvery`-th check fails (with varied reasons), so an outage opens and
// closes once per that many checks.
class ResultStream final {
public:
    explicit ResultStream(std::uint64_t outageEvery) : outageEvery_(outageEvery)
    {
        result_.address = "127.0.0.1";
        result_.startedAt = system_clock::now();
        result_.startedMonotonic = steady_clock::now().time_since_epoch();
        std::uint64_t x = 88172645463325252u; // xorshift: cheap, fixed
        for (auto &elapsed : elapsed_) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            elapsed = microseconds(200 + x % 200000);
        }
    }

    const CheckResult &Next()
    {
        ++count_;
        result_.startedAt += seconds(1);
        result_.startedMonotonic += seconds(1);
        result_.elapsed = elapsed_[count_ % elapsed_.size()];
        result_.ok = count_ % outageEvery_ != 0;
        result_.reason = result_.ok ? FailureReason::None : kFailureReasons[count_ % std::size(kFailureReasons)];
        return result_;
    }

private:
    std::uint64_t outageEvery_;
    std::uint64_t count_ = 0;
    CheckResult result_;
    std::array<nanoseconds, 4096> elapsed_{};
};

void RecordOne(benchmark::State &state)
{
    SessionRecord record;
    ResultStream stream(std::uint64_t(state.range(0)));
    for (auto _ : state)
        record.Record(stream.Next());
    benchmark::DoNotOptimize(record.Sent());
}

// All figures but the outage list, from a record that has seen 10^5 checks.
void SummaryFigures(benchmark::State &state)
{
    SessionRecord record;
    ResultStream stream(1000);
    for (int i = 0; i < 100000; ++i)
        record.Record(stream.Next());
    for (auto _ : state)
        benchmark::DoNotOptimize(record.Summary(0));
}

// The console report, plus the ratios of the median times.
class SessionReporter final : public RatioReporter {
    void Summary() override
    {
        if (!Measured({"ClientProbe", "RecordOne/1000", "RecordOne/10"})) {
            std::printf("record/probe ratio: not measured\n");
            return;
        }
        const double ratio = MedianRatio("RecordOne/1000", "ClientProbe");
        std::printf("record/probe ratio: %.5f (%.3f %%; goal <= 1 %%)\n", ratio, 100 * ratio);
        std::printf("  with an outage every 10 checks: %.5f\n", MedianRatio("RecordOne/10", "ClientProbe"));
        std::printf("  median per call: record %.1f ns, probe %.1f ns, summary without outages %.1f ns\n",
                    MedianTime("RecordOne/1000"), MedianTime("ClientProbe"), MedianTime("SummaryFigures"));
        // Time on the benchmark thread's processor, which other programs'
        // load on the machine disturbs far less than the wall clock.
        std::printf("  the same by processor time: record/probe %.5f\n",
                    MedianRatio("RecordOne/1000", "ClientProbe", Clock::Processor));
    }
};

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void MemoryRun()
{
    constexpr std::uint64_t kChecks = 10'000'000;
    constexpr std::uint64_t kFirst = 1'000'000;
    // Keep every block in the main arena, so the heap figure counts bytes
    // asked for (plus the allocator's small per-block overhead) rather than
    // whole pages of separately mapped blocks.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    std::printf("\nmemory run: %llu results, an outage every 1000 checks\n", static_cast<unsigned long long>(kChecks));
    const std::size_t before = HeapInUse();
    auto record = std::make_unique<SessionRecord>();
    ResultStream stream(1000);
    for (std::uint64_t i = 1; i <= kChecks; ++i) {
        record->Record(stream.Next());
        if (i == kFirst || i == kChecks) {
            const std::size_t heap = HeapInUse() - before;
            std::printf("  after %8llu: footprint beyond outages %zu B (computed); heap %zu B - outage list %zu B"
                        " = %zu B (mallinfo2); outages kept %zu, dropped %llu\n",
                        static_cast<unsigned long long>(i), record->FootprintBeyondOutages(), heap,
                        record->OutageListBytes(), heap - record->OutageListBytes(), record->OutagesKept(),
                        static_cast<unsigned long long>(record->Summary(0).outagesDropped));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    for (int round = 0; round < kRounds; ++round) {
        benchmark::RegisterBenchmark("ClientProbe", ClientProbe, listener.Port())
            ->Iterations(kProbeIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("RecordOne", RecordOne)
            ->Arg(1000)->Arg(10)->Iterations(kRecordIterations)->UseRealTime()->Unit(benchmark::kNanosecond);
    }
    benchmark::RegisterBenchmark("SummaryFigures", SummaryFigures)->UseRealTime()->Unit(benchmark::kNanosecond);
    SessionReporter reporter;
    const int status = RunBenchmarks(argc, argv, reporter);
    if (status == 0)
        MemoryRun();
    return status;
}
