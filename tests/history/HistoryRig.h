// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/HistoryRecorder.h"
#include "history/HistoryReader.h"
#include "history/ProcessIdentity.h"
#include "monitor/CheckResult.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

// What the history tests share: a clock the test moves (awake, asleep, or
// with the wall clock set ahead), a table of pretend processes that live
// or die as the test says, and a scratch folder for history files.

// Wall time, CLOCK_MONOTONIC and CLOCK_BOOTTIME of a pretend machine. The
// objects handed out read the shared state, so they follow every move.
class FakeTime final {
public:
    explicit FakeTime(std::int64_t startWallMs);

    void Advance(std::chrono::milliseconds awake); // all three clocks
    void Sleep(std::chrono::milliseconds asleep);  // wall and boottime only
    void JumpWall(std::chrono::milliseconds ahead); // the wall clock only

    std::int64_t WallMs() const { return state_->wallMs; }
    SuspendClock Clocks() const;
    WallClock Wall() const;
    // A check that starts now and took `elapsed`.
    CheckResult Check(bool ok, std::chrono::nanoseconds elapsed = std::chrono::milliseconds(20),
                      FailureReason reason = FailureReason::Refused) const;

private:
    struct State {
        std::int64_t wallMs = 0;
        std::int64_t monotonicMs = 0;
        std::int64_t boottimeMs = 0;
    };
    std::shared_ptr<State> state_;
};

// Pretend programs: each Spawn() is a process identity that lives until
// Kill(). Only identities handed out by this table live.
class FakeProcesses final {
public:
    FakeProcesses();
    ProcessIdentity Spawn();
    void Kill(const ProcessIdentity &process);
    // A lookup whose current() is `process`.
    ProcessLookup As(const ProcessIdentity &process) const;

private:
    struct State {
        std::int64_t nextPid = 1000;
        std::set<std::int64_t> alive;
    };
    std::shared_ptr<State> state_;
};

// The settings of a recorder of `program` on `file` that lives by the fake
// clocks and process table.
RecorderSettings RigSettings(const std::filesystem::path &file, const FakeTime &time, const ProcessLookup &processes,
                             const std::string &program = "kelvora-probe");
ReaderSettings RigReader(const FakeTime &time, const ProcessLookup &processes);

// 2026-03-02T00:00:00Z, a Monday.
inline constexpr std::int64_t kRigEpochMs = 1'772'409'600'000;

std::filesystem::path PathIn(const QTemporaryDir &dir, const char *name);

// Files that a program opening a history meets and must refuse untouched
// (or, Empty, take as a new history).
enum class PlantedFile { Text, Foreign, Newer, DamagedSchema, Truncated, Directory, Empty };

// A real history with one target row, closed (its log folded in).
void MakeHistory(const std::filesystem::path &file);
// Makes `file` of that kind; false when it could not be written.
bool PlantFile(PlantedFile kind, const std::filesystem::path &file);
// The file's bytes; empty when it cannot be read.
QByteArray FileBytes(const std::filesystem::path &file);
