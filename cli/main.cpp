// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kelvora-probe: the window's connectivity check on a terminal.
//
//   kelvora-probe [options] TARGET...
//   kelvora-probe [options] HOST PORT
//
// Exit status: 0 when at least one check succeeded, 1 when none did, 2 for
// bad usage, 3 when standard output could not be written.

#include "base/ProgramVoice.h"
#include "base/ShownText.h"
#include "cli/CheckPool.h"
#include "cli/MetricsExporter.h"
#include "cli/MetricsFile.h"
#include "cli/OutputQueue.h"
#include "cli/ProbeHelp.h"
#include "cli/ProbeOptions.h"
#include "cli/ProbeFleet.h"
#include "cli/RunLoop.h"
#include "cli/SignalPipe.h"
#include "cli/Terminal.h"
#include "history/HistoryPaths.h"
#include "history/HistoryRecorder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <vector>

namespace {

constexpr int kUsageStatus = 2;

// What a stop leaves to the output, counted from the request (a hung check
// has been given RunLoop's 40 ms by then), so that the run ends within the
// 100 ms a stop may take: the lines still queued, then the note of those not
// written. (Only text that its descriptor would take at once, waiting for the
// writing thread on a loaded machine, is waited for longer.)
constexpr std::chrono::milliseconds kOutputAfterStop{75};
constexpr std::chrono::milliseconds kNoteAfterStop{90};

int RefuseUsage(const QString &problem)
{
    WriteWhole(STDERR_FILENO, UsageErrorLine(kProbeName, problem).toStdString());
    return kUsageStatus;
}

RunLoop::Settings LoopSettings(const ProbeOptions &options)
{
    RunLoop::Settings settings;
    settings.interval = options.interval;
    settings.count = options.count;
    settings.keyboard = ::isatty(STDIN_FILENO) == 1 ? STDIN_FILENO : -1;
    if (options.history)
        settings.tick = ProbeSession::kTickPeriod;
    return settings;
}

// The recorder of --history, opened before any check so that a file it
// cannot use ends the program first, untouched. Throws HistoryFileError.
std::unique_ptr<HistoryRecorder> OpenHistory(const ProbeOptions &options)
{
    RecorderSettings settings;
    if (options.historyFile.isEmpty()) {
        settings.file = DefaultHistoryFile();
        if (settings.file.empty())
            throw HistoryFileError(HistoryProblem::MissingFolder,
                                   "no home folder for the default file; name one with --history=FILE");
        // Asking for the default file on the command line is asking to
        // create it, with its folders.
        settings.open = HistoryOpenMode::WriteCreatingFolder;
    } else {
        settings.file = std::filesystem::path(options.historyFile.toStdString());
        settings.open = HistoryOpenMode::Write;
    }
    settings.program = "kelvora-probe";
    settings.commit = CommitMode::Batched;
    return std::make_unique<HistoryRecorder>(std::move(settings));
}

// Lets the output finish, and says what became of it: the status of the
// run, or 3 when standard output could not be written.
int EndOutput(RunLoop &loop, OutputQueue &out, OutputQueue &err, int status)
{
    loop.WaitForOutput({&out, &err}, kOutputAfterStop);
    const std::uint64_t notWritten = out.Abandon();
    if (out.Error() != 0 && out.Error() != EPIPE) {
        err.Write(OutputFailedLine(kProbeName, out.Error()).toStdString());
        status = kOutputFailedStatus;
    } else if (notWritten > 0 && out.Error() == 0) {
        err.Write(QStringLiteral("kelvora-probe: %1 %2 not written\n")
                      .arg(notWritten)
                      .arg(notWritten == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
                      .toStdString());
    }
    loop.WaitForOutput({&err}, kNoteAfterStop);
    err.Abandon();
    return status;
}

// Every check at once holds a socket and its thread's cancellation pipe;
// many targets may need more descriptors than the usual soft limit.
void RaiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int Run(const ProbeOptions &options, const std::vector<HistoryRecorder *> &histories)
{
    SignalPipe signalPipe;
    OutputQueue out(STDOUT_FILENO);
    OutputQueue err(STDERR_FILENO);
    ProbeFleet fleet(options, SessionOutput{out, err, ColorWanted(options.color, STDOUT_FILENO),
                                            ColorWanted(options.color, STDERR_FILENO)},
                     {}, histories);
    CheckPool pool(std::min(options.parallel, fleet.Size()),
                   [&fleet](std::size_t target, const CancelToken &cancellation) {
                       return fleet.Probe(target, cancellation);
                   });
    RunLoop loop(fleet, pool, signalPipe, out, LoopSettings(options));
    std::unique_ptr<MetricsExporter> exporter;
    if (!options.listen.empty()) {
        std::string problem;
        exporter = MetricsExporter::Start(*ReadListenAddress(options.listen), fleet.Metrics().Registry(), &problem);
        if (!exporter) {
            // Not a usage error, but the same status: the run cannot begin.
            WriteWhole(STDERR_FILENO, "kelvora-probe: --listen " + options.listen + ": " + problem + "\n");
            return kUsageStatus;
        }
        err.Write("kelvora-probe: serving the metrics on " + exporter->MetricsUrl() + "\n");
    }

    fleet.Begin();
    const RunLoop::End end = loop.Run();
    fleet.EndHistory();
    fleet.PrintSummary();
    const int status = EndOutput(loop, out, err, fleet.ExitStatus());
    if (exporter) {
        // Everything is written; civetweb would take over a second to join
        // its threads, so the process ends without waiting for them (the
        // system closes the listening socket and any connection with it).
        ::_exit(status);
    }
    if (end == RunLoop::End::CheckAbandoned) {
        // A check that is still running (a resolver that does not answer)
        // uses its session; end here, without destroying anything under it.
        pool.Abandon();
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
        return RefuseUsage(parsed.error);
    case ParsedCommandLine::Action::Run:
        break;
    }
    ProbeOptions options = parsed.options;
    if (const auto problem = CompleteTargets(options))
        return RefuseUsage(*problem);
    if (!options.prometheusFile.isEmpty()) {
        if (const auto problem = MetricsFile::Unwritable(options.prometheusFile.toStdString()))
            return RefuseUsage(QStringLiteral("--prometheus: ") + ShownText(QString::fromStdString(*problem), -1));
    }
    // One recorder a target: each target's checks are a run of their own.
    std::vector<std::unique_ptr<HistoryRecorder>> recorders;
    std::vector<HistoryRecorder *> histories;
    if (options.history) {
        try {
            for (std::size_t i = 0; i < std::max<std::size_t>(1, options.targets.size()); ++i) {
                recorders.push_back(OpenHistory(options));
                histories.push_back(recorders.back().get());
            }
        } catch (const HistoryFileError &error) {
            return RefuseUsage(QStringLiteral("--history: ") + ShownText(QString::fromStdString(error.what()), -1));
        }
    }
    RaiseDescriptorLimit();    try {
        return Run(options, histories);
    } catch (const std::exception &error) {
        WriteWhole(STDERR_FILENO, QStringLiteral("kelvora-probe: %1\n").arg(QString::fromUtf8(error.what())).toStdString());
        return 1;
    }
}
