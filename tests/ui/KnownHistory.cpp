// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "KnownHistory.h"

using namespace std::chrono_literals;

namespace {

template <typename OkOf>
void Checks(HistoryRecorder &recorder, FakeTime &time, int count, OkOf okOf)
{
    for (int i = 0; i < count; ++i) {
        recorder.Record(time.Check(okOf(i), 20ms, FailureReason::Refused));
        time.Advance(30s);
    }
}

} // namespace

KnownHistory::KnownHistory(const std::filesystem::path &path) : file(path)
{
    const ProcessIdentity window = processes.Spawn();
    HistoryRecorder recorder(RigSettings(file, time, processes.As(window), "kelvora"));
    recorder.Watch("other.host", 80, 30s);
    Checks(recorder, time, 5, [](int) { return true; });
    recorder.EndRun(RunEnd::Switch);
    time.Advance(std::chrono::milliseconds(kDayMs - time.WallMs()));
    recorder.Watch("known.host", 80, 30s);
    Checks(recorder, time, 20, [](int) { return true; });
    Checks(recorder, time, 20, [](int i) { return i % 2 == 0; });
    Checks(recorder, time, 20, [](int) { return false; });
    time.Sleep(1h);
    Checks(recorder, time, 20, [](int) { return true; });
    recorder.EndRun(RunEnd::Exit);
    time.Advance(std::chrono::milliseconds(kNowMs - time.WallMs()));
    reader = processes.As(processes.Spawn());
}
