// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Cost of one connectivity probe through the client's layers, as a ratio to
// the bare platform calls, both against the same loopback listener in the
// same run, over IPv4 and over IPv6. Prints "probe ratio (client/raw)" and
// "IPv6 probe ratio (client/raw)" at the end; then "race ratio
// (race/single)": a name of an IPv6 and an IPv4 address, the IPv6 one
// connecting at once, against a name of that IPv6 address alone.

#include "AnsweringStack.h"

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/ProbeLoops.h"
#include "support/RatioReporter.h"

#include "net/TIdStack.h"

#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
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

constexpr const char *kRaceName = "race.bench";
constexpr const char *kSingleName = "single.bench";

// Names for the answering stack: the IPv6 loopback first, as a resolver puts
// it; the race's IPv4 address never gets its turn.
AnsweringStack::Table Names()
{
    const IPAddress v6 = *IPAddress::ParseIPv6("::1");
    in_addr v4{};
    v4.s_addr = htonl(INADDR_LOOPBACK);
    return {{kRaceName, {v6, IPAddress::FromIPv4(v4)}}, {kSingleName, {v6}}};
}

// A probe of a name through the answering stack, the stack made for it.
void NameProbe(benchmark::State &state, const char *name, std::uint16_t port)
{
    SetStackClass([] { return std::make_unique<AnsweringStack>(Names()); });
    ClientProbeTo(state, name, port);
    SetStackClass({});
}

void RaceProbe(benchmark::State &state, std::uint16_t port)
{
    NameProbe(state, kRaceName, port);
}

void SingleNameProbe(benchmark::State &state, std::uint16_t port)
{
    NameProbe(state, kSingleName, port);
}

void ClientProbe6(benchmark::State &state, std::uint16_t port)
{
    ClientProbeTo(state, "::1", port);
}

// The console report, plus the ratio of the median times per probe.
class ProbeReporter final : public RatioReporter {
    void Summary() override
    {
        IPv4Summary();
        Pair("IPv6 probe ratio (client/raw)", "ClientProbe6", "RawProbe6");
        Pair("race ratio (race/single)", "RaceProbe", "SingleNameProbe");
    }

    void IPv4Summary()
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

    void Pair(const char *title, const char *numerator, const char *denominator)
    {
        if (!Measured({numerator, denominator})) {
            std::printf("%s: not measured\n", title);
            return;
        }
        std::printf("%s: %.3f\n", title, MedianRatio(numerator, denominator));
        std::printf("  median per probe: %s %.2f us, %s %.2f us; by processor time %.3f\n", numerator,
                    MedianTime(numerator) / 1e3, denominator, MedianTime(denominator) / 1e3,
                    MedianRatio(numerator, denominator, Clock::Processor));
    }
};

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    AcceptAndCloseServer listener6(AF_INET6);
    const std::uint16_t port = listener.Port();
    const std::uint16_t port6 = listener6.Port();
    for (int round = 0; round < kRounds; ++round) {
        using Variant = std::tuple<const char *, void (*)(benchmark::State &, std::uint16_t), std::uint16_t>;
        for (const Variant &variant :
             {Variant{"ClientProbe", ClientProbe, port}, Variant{"RawProbe", RawProbe, port},
              Variant{"RawSameCalls", RawSameCalls, port}, Variant{"ClientProbe6", ClientProbe6, port6},
              Variant{"RawProbe6", RawProbe6, port6}, Variant{"RaceProbe", RaceProbe, port6},
              Variant{"SingleNameProbe", SingleNameProbe, port6}})
            benchmark::RegisterBenchmark(std::get<0>(variant), std::get<1>(variant), std::get<2>(variant))
                ->Iterations(kIterations)
                ->UseRealTime()
                ->Unit(benchmark::kMicrosecond);
    }
    ProbeReporter reporter;
    return RunBenchmarks(argc, argv, reporter);
}
