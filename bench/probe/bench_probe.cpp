// SPDX-License-Identifier: MIT
// Cost of one connectivity probe through the client's layers, as a ratio to
// the bare platform calls, both against the same loopback listener in the
// same run. Prints "probe ratio (client/raw)" at the end.

#include "support/AcceptAndCloseServer.h"

#include "net/IdException.h"
#include "net/TIdHTTP.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kIterations = 2000;
// Rounds alternate the variants, so a change of the machine's load hits all
// of them; the ratio is the median of the ratios within each round.
constexpr int kRounds = 9;

AcceptAndCloseServer *server = nullptr;

void ClientProbe(benchmark::State &state)
{
    TIdHTTP client; // lives across probes, as the window's client does
    client.SetHost("127.0.0.1");
    client.SetPort(server->Port());
    for (auto _ : state) {
        try {
            client.OpenConnection(-1);
            client.CloseConnection();
        } catch (const EIdException &error) {
            state.SkipWithError(error.what());
            break;
        }
    }
}

// The benchmark server's address on 127.0.0.1.
sockaddr_in ServerAddress()
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(server->Port());
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return peer;
}

void RawProbe(benchmark::State &state)
{
    const sockaddr_in peer = ServerAddress();
    for (auto _ : state) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int connected = ::connect(s, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
        const int failure = errno;
        ::close(s);
        errno = failure;
        if (s == -1 || connected == -1) {
            state.SkipWithError((std::string("raw connect failed: ") + std::strerror(errno)).c_str());
            break;
        }
    }
}

// The same platform calls that the client makes for one probe, without its
// layers: the floor under the client's cost.
void RawSameCalls(benchmark::State &state)
{
    const sockaddr_in peer = ServerAddress();
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
            errno = failure;
            state.SkipWithError((std::string("raw connect failed: ") + std::strerror(errno)).c_str());
            break;
        }
    }
}

// The console report, plus the ratio of the median times per probe.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                times_[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
                cpuTimes_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const std::vector<double> &client = times_["ClientProbe"];
        const std::vector<double> &raw = times_["RawProbe"];
        const std::vector<double> &same = times_["RawSameCalls"];
        if (client.empty() || client.size() != raw.size() || client.size() != same.size()) {
            std::printf("probe ratio (client/raw): not measured\n");
            return;
        }
        std::printf("probe ratio (client/raw): %.3f\n", MedianRatio(client, raw));
        std::printf("  client over the same platform calls made directly: %.3f\n", MedianRatio(client, same));
        std::printf("  those calls over the raw probe: %.3f\n", MedianRatio(same, raw));
        std::printf("  median per probe: client %.2f us, raw %.2f us\n", Median(client), Median(raw));
        // Time on the probing thread's processor, which other programs' load
        // on the machine disturbs far less than the wall clock.
        std::printf("  the same by processor time: client/raw %.3f, client/same calls %.3f\n",
                    MedianRatio(cpuTimes_["ClientProbe"], cpuTimes_["RawProbe"]),
                    MedianRatio(cpuTimes_["ClientProbe"], cpuTimes_["RawSameCalls"]));
    }

private:
    static double Median(std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    static double MedianRatio(const std::vector<double> &numerator, const std::vector<double> &denominator)
    {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < numerator.size(); ++i)
            ratios.push_back(numerator[i] / denominator[i]);
        return Median(ratios);
    }

    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, std::vector<double>> cpuTimes_;
};

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    server = &listener;
    for (int round = 0; round < kRounds; ++round) {
        benchmark::RegisterBenchmark("ClientProbe", ClientProbe)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("RawProbe", RawProbe)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("RawSameCalls", RawSameCalls)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
