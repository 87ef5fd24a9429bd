// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "HistoryRig.h"

#include "history/HistoryFile.h"
#include "history/HistorySchema.h"

#include <QFile>

FakeTime::FakeTime(std::int64_t startWallMs)
    : state_(std::make_shared<State>())
{
    state_->wallMs = startWallMs;
    state_->monotonicMs = 5'000'000;
    state_->boottimeMs = 5'000'000;
}

void FakeTime::Advance(std::chrono::milliseconds awake)
{
    state_->wallMs += awake.count();
    state_->monotonicMs += awake.count();
    state_->boottimeMs += awake.count();
}

void FakeTime::Sleep(std::chrono::milliseconds asleep)
{
    state_->wallMs += asleep.count();
    state_->boottimeMs += asleep.count();
}

void FakeTime::JumpWall(std::chrono::milliseconds ahead)
{
    state_->wallMs += ahead.count();
}

SuspendClock FakeTime::Clocks() const
{
    const auto state = state_;
    SuspendClock clocks;
    clocks.monotonic = [state] { return std::chrono::nanoseconds(std::chrono::milliseconds(state->monotonicMs)); };
    clocks.boottime = [state] { return std::chrono::nanoseconds(std::chrono::milliseconds(state->boottimeMs)); };
    return clocks;
}

WallClock FakeTime::Wall() const
{
    const auto state = state_;
    return [state] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(state->wallMs)); };
}

CheckResult FakeTime::Check(bool ok, std::chrono::nanoseconds elapsed, FailureReason reason) const
{
    CheckResult result;
    result.startedAt = std::chrono::system_clock::time_point(std::chrono::milliseconds(state_->wallMs));
    result.startedMonotonic = std::chrono::milliseconds(state_->monotonicMs);
    result.elapsed = elapsed;
    result.ok = ok;
    result.address = "192.0.2.7";
    result.family = AddressFamily::IPv4;
    if (!ok) {
        result.reason = reason;
        result.errorCode = 10061;
        result.errorMessage = "Connection refused.";
    }
    return result;
}

FakeProcesses::FakeProcesses()
    : state_(std::make_shared<State>())
{
}

ProcessIdentity FakeProcesses::Spawn()
{
    ProcessIdentity process{state_->nextPid++, 77, "fake-boot"};
    state_->alive.insert(process.pid);
    return process;
}

void FakeProcesses::Kill(const ProcessIdentity &process)
{
    state_->alive.erase(process.pid);
}

ProcessLookup FakeProcesses::As(const ProcessIdentity &process) const
{
    const auto state = state_;
    ProcessLookup lookup;
    lookup.current = [process] { return process; };
    lookup.alive = [state](const ProcessIdentity &other) {
        return other.bootId == "fake-boot" && state->alive.count(other.pid) > 0;
    };
    return lookup;
}

RecorderSettings RigSettings(const std::filesystem::path &file, const FakeTime &time, const ProcessLookup &processes,
                             const std::string &program)
{
    RecorderSettings settings;
    settings.file = file;
    settings.program = program;
    settings.commit = CommitMode::EachCheck;
    settings.clocks = time.Clocks();
    settings.wall = time.Wall();
    settings.processes = processes;
    return settings;
}

ReaderSettings RigReader(const FakeTime &time, const ProcessLookup &processes)
{
    ReaderSettings settings;
    settings.wall = time.Wall();
    settings.processes = processes;
    return settings;
}

std::filesystem::path PathIn(const QTemporaryDir &dir, const char *name)
{
    return std::filesystem::path(dir.path().toStdString()) / name;
}

namespace {

bool WriteBytes(const std::filesystem::path &file, const QByteArray &bytes)
{
    QFile out(QString::fromStdString(file.string()));
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}

} // namespace

QByteArray FileBytes(const std::filesystem::path &file)
{
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void MakeHistory(const std::filesystem::path &file)
{
    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    db.Execute("INSERT INTO targets(host, port) VALUES('example.org', 80)");
}

bool PlantFile(PlantedFile kind, const std::filesystem::path &file)
{
    switch (kind) {
    case PlantedFile::Text:
        return WriteBytes(file, "host=example.org\ninterval=30\n");
    case PlantedFile::Foreign: {
        SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadWriteCreate);
        db.Execute("CREATE TABLE notes(text TEXT); INSERT INTO notes VALUES('mine')");
        return true;
    }
    case PlantedFile::Newer: {
        MakeHistory(file);
        SqliteDatabase db(file.string(), SqliteDatabase::Access::ReadWrite);
        db.Execute("PRAGMA user_version = " + std::to_string(kHistorySchemaVersion + 1));
        return true;
    }
    case PlantedFile::DamagedSchema: {
        MakeHistory(file);
        QByteArray bytes = FileBytes(file);
        // Page 1 past the 100-byte header holds the schema's table.
        for (int i = 100; i < 1024 && i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(0xa5);
        return WriteBytes(file, bytes);
    }
    case PlantedFile::Truncated:
        MakeHistory(file);
        return WriteBytes(file, FileBytes(file).left(4096 + 512));
    case PlantedFile::Directory:
        return std::filesystem::create_directory(file);
    case PlantedFile::Empty:
        return WriteBytes(file, {});
    }
    return false;
}
