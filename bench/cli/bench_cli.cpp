// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Cost of one check through kelvora-probe's loop (probe, record, format the
// line, hand it to the output queue whose thread writes it to a pipe that is
// drained), as a ratio to a bare
// socket/connect/close to the same loopback listener, both in the same run.
// Goal: at most 1.3.
//
// Also shown: the same with the json format; the probe alone, which is the
// client's share; and the check as the program really runs it, on the
// pool's thread with the hand-over through its completion pipe.

#include "support/AcceptAndCloseServer.h"
#include "support/BenchMain.h"
#include "support/ProbeLoops.h"
#include "support/RatioReporter.h"

#include "cli/CheckPool.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeOptions.h"
#include "cli/ProbeSession.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

namespace {

constexpr int kIterations = 2000;
// Rounds alternate the variants, so a change of the machine's load hits all
// of them; a ratio is the median of the ratios within each round.
constexpr int kRounds = 9;

AcceptAndCloseServer *server = nullptr;

// A pipe whose read end a thread of its own empties, as a terminal or the
// next program of a pipeline would.
class DrainedPipe final {
public:
    DrainedPipe()
    {
        if (::pipe2(fds_, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        thread_ = std::thread([this] {
            char buffer[65536];
            while (::read(fds_[0], buffer, sizeof buffer) > 0) {
            }
        });
    }
    ~DrainedPipe()
    {
        ::close(fds_[1]);
        thread_.join();
        ::close(fds_[0]);
    }
    int WriteEnd() const { return fds_[1]; }

private:
    int fds_[2] = {-1, -1};
    std::thread thread_;
};

// A pipe that the benchmark's own thread empties every so often (its cost
// is in the times): the write of each line is measured without the
// consumer's wake-up on the other processor, which belongs to the consumer
// and which the listener's thread also needs.
class SelfDrainedPipe final {
public:
    SelfDrainedPipe()
    {
        if (::pipe2(fds_, O_CLOEXEC) != 0 || ::fcntl(fds_[0], F_SETFL, O_NONBLOCK) != 0)
            throw std::runtime_error("pipe");
    }
    ~SelfDrainedPipe()
    {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int WriteEnd() const { return fds_[1]; }

    // Empties the pipe once every 256 calls; a line is well under 256 bytes
    // and the pipe holds 64 KiB.
    void Tick()
    {
        if (++ticks_ % 256 != 0)
            return;
        char buffer[65536];
        while (::read(fds_[0], buffer, sizeof buffer) > 0) {
        }
    }

private:
    int fds_[2] = {-1, -1};
    unsigned ticks_ = 0;
};

ProbeOptions Options(OutputFormat format)
{
    ParsedCommandLine parsed = ParseProbeOptions({"127.0.0.1", QByteArray::number(server->Port())});
    parsed.options.format = format;
    return parsed.options;
}

// Standard output and error of a session, both to `fd`, written by their
// queues' threads as in the program.
struct Outputs {
    explicit Outputs(int fd) : out(fd), err(fd) {}
    SessionOutput Session() { return SessionOutput{out, err, false, false}; }
    OutputQueue out;
    OutputQueue err;
};

bool AllSucceeded(benchmark::State &state, const ProbeSession &session, const Outputs &outputs)
{
    if (session.ExitStatus() != 0 || outputs.out.Error() != 0) {
        state.SkipWithError("a check failed or the output broke");
        return false;
    }
    return true;
}

void ProgramCheck(benchmark::State &state, OutputFormat format)
{
    SelfDrainedPipe pipe;
    Outputs outputs(pipe.WriteEnd());
    ProbeSession session(Options(format), outputs.Session());
    for (auto _ : state) {
        session.CheckOnce();
        pipe.Tick();
    }
    AllSucceeded(state, session, outputs);
}

// The same with a reader thread that takes each line as it comes, as a
// terminal or the next program of a pipeline does: each write then wakes
// that thread on the other processor.
void ProgramCheckToReader(benchmark::State &state)
{
    DrainedPipe pipe;
    Outputs outputs(pipe.WriteEnd());
    ProbeSession session(Options(OutputFormat::Text), outputs.Session());
    for (auto _ : state)
        session.CheckOnce();
    AllSucceeded(state, session, outputs);
}

void ProgramCheckText(benchmark::State &state)
{
    ProgramCheck(state, OutputFormat::Text);
}

void ProgramCheckJson(benchmark::State &state)
{
    ProgramCheck(state, OutputFormat::Json);
}

// The probe alone, without recording, formatting or writing: the client's
// share of a check.
void ProbeOnly(benchmark::State &state)
{
    Outputs outputs(-1); // nothing is written
    ProbeSession session(Options(OutputFormat::Text), outputs.Session());
    bool allOk = true;
    for (auto _ : state)
        allOk = session.Probe().ok && allOk;
    if (!allOk)
        state.SkipWithError("a check failed");
}

// As the run loop does it: the probe on the pool's thread, this thread
// waiting in poll for its completion, then recording and printing.
void ProgramCheckOnWorker(benchmark::State &state)
{
    DrainedPipe pipe;
    Outputs outputs(pipe.WriteEnd());
    ProbeSession session(Options(OutputFormat::Text), outputs.Session());
    CheckPool pool(1, [&session](std::size_t, const CancelToken &cancel) { return session.Probe(cancel); });
    for (auto _ : state) {
        pool.Start(0);
        pollfd done{pool.CompletionDescriptor(), POLLIN, 0};
        std::vector<std::pair<std::size_t, CheckResult>> results;
        while ((results = pool.TakeResults()).empty())
            ::poll(&done, 1, -1);
        session.Take(results.front().second);
    }
    AllSucceeded(state, session, outputs);
}

// The baseline: a bare socket/connect/close to the same listener.
void RawProbeToServer(benchmark::State &state)
{
    RawProbe(state, server->Port());
}

// The console report, plus the ratios of the median times.
class CheckReporter final : public RatioReporter {
    void Summary() override
    {
        if (!Measured({"ProgramCheckText", "RawProbe"})) {
            std::printf("check ratio (program loop/raw): not measured\n");
            return;
        }
        std::printf("check ratio (program loop/raw): %.3f (goal <= 1.3)\n",
                    MedianRatio("ProgramCheckText", "RawProbe"));
        std::printf("  json format: %.3f\n", MedianRatio("ProgramCheckJson", "RawProbe"));
        std::printf("  the probe alone (client and probe, nothing recorded or written): %.3f\n",
                    MedianRatio("ProbeOnly", "RawProbe"));
        std::printf("  with a reader thread woken by every line: %.3f\n",
                    MedianRatio("ProgramCheckToReader", "RawProbe"));
        std::printf("  on the worker thread, as the program runs it: %.3f\n",
                    MedianRatio("ProgramCheckOnWorker", "RawProbe"));
        std::printf("  median per check: program loop %.2f us, raw %.2f us\n", MedianTime("ProgramCheckText") / 1e3,
                    MedianTime("RawProbe") / 1e3);
        // Time on the benchmark thread's processor, which other programs'
        // load on the machine disturbs far less than the wall clock.
        std::printf("  the same by processor time: program loop/raw %.3f, probe alone/raw %.3f\n",
                    MedianRatio("ProgramCheckText", "RawProbe", Clock::Processor),
                    MedianRatio("ProbeOnly", "RawProbe", Clock::Processor));
    }
};

} // namespace

int main(int argc, char **argv)
{
    AcceptAndCloseServer listener;
    server = &listener;
    for (int round = 0; round < kRounds; ++round) {
        using Variant = std::pair<const char *, void (*)(benchmark::State &)>;
        for (const Variant &variant : {Variant{"ProgramCheckText", ProgramCheckText},
                                       Variant{"RawProbe", RawProbeToServer},
                                       Variant{"ProgramCheckJson", ProgramCheckJson},
                                       Variant{"ProgramCheckOnWorker", ProgramCheckOnWorker},
                                       Variant{"ProbeOnly", ProbeOnly},
                                       Variant{"ProgramCheckToReader", ProgramCheckToReader}})
            benchmark::RegisterBenchmark(variant.first, variant.second)
                ->Iterations(kIterations)
                ->UseRealTime()
                ->Unit(benchmark::kMicrosecond);
    }
    CheckReporter reporter;
    return RunBenchmarks(argc, argv, reporter);
}
