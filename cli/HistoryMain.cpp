// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kelvora-history: reads the history that kelvora and kelvora-probe record.
//
//   kelvora-history [options] report|outages|checks|days|targets|prune|vacuum
//
// Exit status: 0 done, 1 the file could not be used, 2 bad usage, 3 when
// standard output could not be written.

#include "base/ProgramVoice.h"
#include "cli/HistoryCommands.h"
#include "cli/HistoryOptions.h"
#include "cli/OutputStream.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>

namespace {

constexpr int kUsageStatus = 2;
constexpr char16_t kProgram[] = u"kelvora-history";

// The command's status, or 3 with one line when its output was lost to
// anything but a reader that went away (a closed pipe ends it quietly).
int Finished(const OutputStream &out, OutputStream &err, int status)
{
    if (out.Error() == 0 || out.Error() == EPIPE)
        return status;
    err.Write(OutputFailedLine(kProgram, out.Error()).toStdString());
    return kOutputFailedStatus;
}

} // namespace

int main(int argc, char **argv)
{
    // A closed pipe (| head) ends the output quietly instead of the program.
    std::signal(SIGPIPE, SIG_IGN);
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    const auto now = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
    const ParsedHistoryCommandLine parsed = ParseHistoryOptions(arguments, now.count());
    OutputStream out(STDOUT_FILENO);
    OutputStream err(STDERR_FILENO);
    switch (parsed.action) {
    case ParsedHistoryCommandLine::Action::Help:
        out.Write(HistoryHelpText().toStdString());
        return Finished(out, err, 0);
    case ParsedHistoryCommandLine::Action::Version:
        out.Write(HistoryVersionText().toStdString());
        return Finished(out, err, 0);
    case ParsedHistoryCommandLine::Action::UsageError:
        err.Write(HistoryUsageErrorLine(parsed.error).toStdString());
        return kUsageStatus;
    case ParsedHistoryCommandLine::Action::Run:
        break;
    }
    const int status = RunHistoryCommand(parsed.options, out, err);
    return Finished(out, err, status);
}
