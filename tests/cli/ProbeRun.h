// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

// The built kelvora-probe (its path comes from the build) run as a child
// process with standard input closed, its output collected as it comes.
class ProbeRun final {
public:
    // `childSetup` runs in the child before the program starts (after its
    // standard channels are set up), for example to give it a terminal.
    explicit ProbeRun(const QStringList &arguments, std::function<void()> childSetup = {},
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~ProbeRun();

    QProcess &Process() { return *process_; }
    qint64 Pid() const { return process_->processId(); }

    // Everything written so far (reads what is waiting first).
    QByteArray Out();
    QByteArray Err();
    // The lines of standard output so far, without their line breaks; an
    // unfinished last line is left out.
    QList<QByteArray> OutLines();
    // Those lines parsed as JSON objects; a line that is no object fails
    // the test that calls it (an empty object stands in for it).
    QList<QJsonObject> JsonLines();

    void Signal(int number);
    // Waits for the end; false when it did not come within `timeoutMs`
    // (the process is then killed).
    bool Finish(int timeoutMs = 30000);
    int ExitCode() const { return process_->exitCode(); }
    bool Crashed() const { return process_->exitStatus() != QProcess::NormalExit; }

    // Runs to the end and returns the exit code (-1 when it did not end).
    static int RunToEnd(const QStringList &arguments, QByteArray *out, QByteArray *err, int timeoutMs = 30000);

private:
    std::unique_ptr<QProcess> process_;
    QByteArray out_;
    QByteArray err_;
};

// The path of the program under test.
QString ProbeProgram();

// The sockets of this network namespace that wait for the answer to their
// SYN (state SYN_SENT in /proc/net/tcp) to 127.0.0.1:`port`: connects that
// hang. SilentPort's own filler may be one of them.
int ConnectsPendingTo(std::uint16_t port);

// A JSON object from one line, or an empty one with `error` set.
QJsonObject JsonObjectOf(const QByteArray &line, QString *error);
