// SPDX-License-Identifier: MIT
// Cost of one connectivity probe through the client's layers, as a ratio to
// the bare platform calls, both against the same loopback listener in the
// same run. Prints "probe ratio (client/raw)" at the end.

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/ProbeLoops.h"
#include "support/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int kIterations = 2000;
// Rounds alternate the variants, so a change of the machine's load hits all
// of them; the ratio is the median of the ratios within each round.
constexpr int kRounds = 9;

// The same platform calls that the client makes for one probe, without its
// layers: the floor under the client's cost.
void RawSameCalls(benchmark::State &state, std::uint16_t port)
{
    const sockaddr_in peer = LoopbackAddress(port);
    for (auto _ : state) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(s, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        socklen_t length = sizeof local;
        ::bind(s, reinterpret_cast<const sockaddr *>(&local), sizeof local);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&local), &length);
        const int connected = ::connect(s, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
        const int failure = errno;
        sockaddr_in back{};
        length = sizeof back;
        ::getsockname(s, reinterpret_cast<sockaddr *>(&back), &length);
        length = sizeof back;
        ::getpeername(s, reinterpret_cast<sockaddr *>(&back), &length);
        ::shutdown(s, SHUT_WR);
        ::close(s);
        if (s == -1 || connected == -1) {
            state.SkipWithError((std::string("raw connect failed: ") + std::strerror(failure)).c_str());
            break;
        }
    }
}

// The console report, plus the ratio of the median times per probe.
class ProbeReporter final : public RatioReporter {
    void Summary() override
    {
        if (!Measured({"ClientProbe", "RawProbe", "RawSameCalls"})) {
            std::printf("probe ratio (client/raw): not measured\n");
            return;
        }
        std::printf("probe ratio (client/raw): %.3f\n", MedianRatio("ClientProbe", "RawProbe"));
        std::printf("  client over the same platform calls made directly: %.3f\n",
                    MedianRatio("ClientProbe", "RawSameCalls"));
        std::printf("  those calls over the raw probe: %.3f\n", MedianRatio("RawSameCalls", "RawProbe"));
        std::printf("  median per probe: client %.2f us, raw %.2f us\n", MedianTime("ClientProbe") / 1e3,
                    MedianTime("RawProbe") / 1e3);
        // Time on the probing thread's processor, which other programs' load
        // on the machine disturbs far less than the wall clock.
        std::printf("  the same by processor time: client/raw %.3f, client/same calls %.3f\n",
                    MedianRatio("ClientProbe", "RawProbe", Clock::Processor),
                    MedianRatio("ClientProbe", "RawSameCalls", Clock::Processor));
    }
};

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    const std::uint16_t port = listener.Port();
    for (int round = 0; round < kRounds; ++round) {
        using Variant = std::pair<const char *, void (*)(benchmark::State &, std::uint16_t)>;
        for (const Variant &variant : {Variant{"ClientProbe", ClientProbe}, Variant{"RawProbe", RawProbe},
                                       Variant{"RawSameCalls", RawSameCalls}})
            benchmark::RegisterBenchmark(variant.first, variant.second, port)
                ->Iterations(kIterations)
                ->UseRealTime()
                ->Unit(benchmark::kMicrosecond);
    }
    ProbeReporter reporter;
    return RunBenchmarks(argc, argv, reporter);
}
