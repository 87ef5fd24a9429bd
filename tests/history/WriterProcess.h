// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

// tests/history/history_writer run as a child process, its report lines
// read as they come.
class WriterProcess final {
public:
    explicit WriterProcess(const QStringList &arguments);
    ~WriterProcess();

    qint64 Pid() const { return process_->processId(); }
    // Reads what has come; the newest figures of the report.
    void Read();
    std::uint64_t Recorded() const { return recorded_; }
    std::uint64_t Committed() const { return committed_; }
    // The start time of check `n` (1-based) as the writer reported it.
    std::optional<std::int64_t> TimeOf(std::uint64_t n) const;
    // Set by "done run=R checks=N".
    std::int64_t Run() const { return run_; }
    std::uint64_t Done() const { return done_; }
    QByteArray Failure() const { return failure_; }

    void Kill();
    bool Finish(int timeoutMs);
    int ExitCode() const { return process_->exitCode(); }
    bool Crashed() const { return process_->exitStatus() != QProcess::NormalExit; }

private:
    std::unique_ptr<QProcess> process_;
    QByteArray pending_;
    QList<std::int64_t> times_;
    std::uint64_t recorded_ = 0;
    std::uint64_t committed_ = 0;
    std::int64_t run_ = 0;
    std::uint64_t done_ = 0;
    QByteArray failure_;
};

QString WriterProgram();
