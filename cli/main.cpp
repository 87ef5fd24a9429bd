// SPDX-License-Identifier: MIT
// kelvora-probe: the window's connectivity check on a terminal.
//
//   kelvora-probe [options] HOST [PORT]
//
// Exit status: 0 when at least one check succeeded, 1 when none did, 2 for
// bad usage.

#include "base/ProgramVoice.h"
#include "base/ShownText.h"
#include "cli/CheckWorker.h"
#include "cli/MetricsFile.h"
#include "cli/OutputStream.h"
#include "cli/ProbeHelp.h"
#include "cli/ProbeOptions.h"
#include "cli/ProbeSession.h"
#include "cli/RunLoop.h"
#include "cli/SignalPipe.h"
#include "cli/Terminal.h"

#include <unistd.h>

#include <csignal>
#include <exception>

namespace {

constexpr int kUsageStatus = 2;

void Print(int fd, const QString &text)
{
    OutputStream(fd).Write(text.toStdString());
}

int Run(const ProbeOptions &options)
{
    SignalPipe signalPipe;
    const SessionOutput output{STDOUT_FILENO, STDERR_FILENO, ColorWanted(options.color, STDOUT_FILENO),
                               ColorWanted(options.color, STDERR_FILENO)};
    ProbeSession session(options, output);
    CheckWorker worker([&session] { return session.Probe(); });
    RunLoop::Settings settings;
    settings.interval = options.interval;
    settings.count = options.count;
    settings.keyboard = ::isatty(STDIN_FILENO) == 1 ? STDIN_FILENO : -1;

    session.Begin();
    const RunLoop::End end = RunLoop(session, worker, signalPipe, settings).Run();
    session.PrintSummary();
    const int status = session.ExitStatus();
    if (end == RunLoop::End::CheckAbandoned) {
        // The check that is still running (a resolver that does not answer)
        // uses the session; end here, without destroying anything under it.
        worker.Abandon();
        ::_exit(status);
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    // Held back until the handlers are in place: a Ctrl+C during start-up
    // still ends the program through the summary.
    SignalPipe::BlockSignals();
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    const ParsedCommandLine parsed = ParseProbeOptions(arguments);
    switch (parsed.action) {
    case ParsedCommandLine::Action::Help:
        return PrintOrFail(kProbeName, HelpText().toStdString(), 0);
    case ParsedCommandLine::Action::Version:
        return PrintOrFail(kProbeName, VersionText(kProbeName).toStdString(), 0);
    case ParsedCommandLine::Action::UsageError:
        Print(STDERR_FILENO, UsageErrorLine(kProbeName, parsed.error));
        return kUsageStatus;
    case ParsedCommandLine::Action::Run:
        break;
    }
    const ProbeOptions &options = parsed.options;
    if (!options.prometheusFile.isEmpty()) {
        if (const auto problem = MetricsFile::Unwritable(options.prometheusFile.toStdString())) {
            Print(STDERR_FILENO, UsageErrorLine(kProbeName, QStringLiteral("--prometheus: ")
                                                                + ShownText(QString::fromStdString(*problem), -1)));
            return kUsageStatus;
        }
    }
    try {
        return Run(options);
    } catch (const std::exception &error) {
        Print(STDERR_FILENO, QStringLiteral("kelvora-probe: %1\n").arg(QString::fromUtf8(error.what())));
        return 1;
    }
}
