// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// A recording program for the tests that run several at once or kill them:
// it records made-up checks through HistoryRecorder, as kelvora and
// kelvora-probe do, and says on standard output what it has done:
//   "r N T"   check N (1, 2, ...) recorded, started at T (ms since the epoch)
//   "c N"     checks 1..N committed
//   "done run=R checks=N"   the run ended and its checks are in the file
//   "failed: LINE"          the recorder gave up (exit status 1)
//
//   history_writer FILE HOST INTERVAL_MS SECONDS [each|batched] [SPEED [RAW_DAYS MINUTE_DAYS MAX_BYTES]]
//
// SPEED > 1 runs the recorder's clocks that many times faster than real
// time (so its upkeep and commits come sooner); the checks come every
// INTERVAL_MS of that time.
#include "history/HistoryRecorder.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

using namespace std::chrono;

namespace {

void Say(const std::string &line)
{
    const std::string text = line + "\n";
    [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, text.data(), text.size());
}

// Real time since the start, `speed` times faster.
struct FastClock {
    steady_clock::time_point realStart = steady_clock::now();
    system_clock::time_point wallStart = system_clock::now();
    nanoseconds monotonicStart = SteadyClockNow();
    nanoseconds bootStart = BootTimeNow();
    double speed = 1;

    nanoseconds Passed() const
    {
        return duration_cast<nanoseconds>((steady_clock::now() - realStart) * speed);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: history_writer FILE HOST INTERVAL_MS SECONDS [each|batched] [SPEED ...]\n");
        return 2;
    }
    const milliseconds interval(std::atoll(argv[3]));
    const seconds lasting(std::atoll(argv[4]));
    const bool batched = argc > 5 && std::string(argv[5]) == "batched";
    auto clock = std::make_shared<FastClock>();
    clock->speed = argc > 6 ? std::atof(argv[6]) : 1.0;

    RecorderSettings settings;
    settings.file = argv[1];
    settings.program = batched ? "kelvora-probe" : "kelvora";
    settings.commit = batched ? CommitMode::Batched : CommitMode::EachCheck;
    settings.clocks.monotonic = [clock] { return clock->monotonicStart + clock->Passed(); };
    settings.clocks.boottime = [clock] { return clock->bootStart + clock->Passed(); };
    settings.wall = [clock] { return clock->wallStart + duration_cast<system_clock::duration>(clock->Passed()); };
    if (argc > 9) {
        settings.retention.raw = days(std::atoi(argv[7]));
        settings.retention.minutes = days(std::atoi(argv[8]));
        settings.retention.maxBytes = std::strtoull(argv[9], nullptr, 10);
    }
    settings.onFailure = [](const std::string &line) { Say("failed: " + line); };
    try {
        HistoryRecorder recorder(settings);
        recorder.Watch(argv[2], 80, interval);
        const std::int64_t run = recorder.CurrentRun();
        std::mt19937_64 random(static_cast<std::uint64_t>(::getpid()));
        std::uniform_int_distribution<std::int64_t> elapsed(100'000, 50'000'000);
        const auto realInterval = duration_cast<nanoseconds>(interval / clock->speed);
        const auto end = steady_clock::now() + lasting;
        std::uint64_t recorded = 0;
        std::uint64_t committed = 0;
        for (auto next = steady_clock::now(); next < end && !recorder.Failed(); next += realInterval) {
            std::this_thread::sleep_until(next);
            CheckResult result;
            result.startedAt = settings.wall();
            result.startedMonotonic = settings.clocks.monotonic();
            result.elapsed = nanoseconds(elapsed(random));
            result.ok = random() % 20 != 0;
            result.address = "127.0.0.1";
            result.family = AddressFamily::IPv4;
            if (!result.ok) {
                result.reason = FailureReason::Refused;
                result.errorCode = 10061;
                result.errorMessage = "Connection refused.";
            }
            recorder.Record(result);
            recorder.Tick();
            ++recorded;
            Say("r " + std::to_string(recorded) + " "
                + std::to_string(duration_cast<milliseconds>(result.startedAt.time_since_epoch()).count()));
            if (!recorder.Failed() && recorder.Waiting() == 0 && committed != recorded) {
                committed = recorded;
                Say("c " + std::to_string(committed));
            }
        }
        if (recorder.Failed())
            return 1;
        recorder.EndRun(RunEnd::Exit);
        // The last checks wait for the others' locks as long as they need on
        // a loaded machine (each try waits up to the busy time-out); only a
        // lock held for half a minute gives up.
        const auto flushEnd = steady_clock::now() + seconds(30);
        while (recorder.Waiting() != 0 && !recorder.Failed() && steady_clock::now() < flushEnd)
            recorder.Flush();
        if (recorder.Failed())
            return 1;
        if (recorder.Waiting() != 0) {
            Say("failed: " + std::to_string(recorder.Waiting()) + " changes still wait for the file's lock");
            return 1;
        }
        Say("done run=" + std::to_string(run) + " checks=" + std::to_string(recorded));
    } catch (const std::exception &error) {
        Say(std::string("failed: ") + error.what());
        return 1;
    }
    return 0;
}
