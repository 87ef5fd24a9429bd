// SPDX-License-Identifier: MIT
// kelvora-history: reads the history that kelvora and kelvora-probe record.
//
//   kelvora-history [options] report|outages|checks|days|targets|prune|vacuum
//
// Exit status: 0 done, 1 the file could not be used, 2 bad usage.

#include "cli/HistoryCommands.h"
#include "cli/HistoryOptions.h"
#include "cli/OutputStream.h"

#include <unistd.h>

#include <chrono>
#include <csignal>

namespace {

constexpr int kUsageStatus = 2;

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
        return 0;
    case ParsedHistoryCommandLine::Action::Version:
        out.Write(HistoryVersionText().toStdString());
        return 0;
    case ParsedHistoryCommandLine::Action::UsageError:
        err.Write(HistoryUsageErrorLine(parsed.error).toStdString());
        return kUsageStatus;
    case ParsedHistoryCommandLine::Action::Run:
        break;
    }
    return RunHistoryCommand(parsed.options, out, err);
}
