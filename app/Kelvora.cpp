// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The program's entry: start-up, event loop, shutdown.

#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/Program.h"
#include "app/StartupMessages.h"
#include "app/TApplication.h"
#include "app/TerminationSignals.h"
#include "base/Language.h"
#include "base/ProgramVoice.h"
#include "history/HistoryPaths.h"
#include "ui/AutostartEntry.h"
#include "ui/TForm1.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

// What the command line said, for the window made below.
HistoryStart historyStart;
bool trayRun = false;

HistoryStart HistoryStartOf(const StartOptions &start)
{
    HistoryStart history;
    switch (start.history) {
    case HistoryOption::Unset:
        history.mode = HistoryStart::Mode::FollowFile;
        history.file = DefaultHistoryFile();
        break;
    case HistoryOption::Default:
        history.mode = HistoryStart::Mode::Record;
        history.file = DefaultHistoryFile();
        break;
    case HistoryOption::File:
        history.mode = HistoryStart::Mode::Record;
        history.file = start.historyFile.toLocal8Bit().toStdString();
        history.createFolders = false;
        break;
    case HistoryOption::Off:
        history.mode = HistoryStart::Mode::Never;
        break;
    }
    return history;
}

std::unique_ptr<QWidget> CreateForm1()
{
    Form1Services services;
    services.history = historyStart;
    services.autostartFile = AutostartFile();
    services.trayRun = trayRun;
    return std::make_unique<TForm1>(std::move(services));
}

} // namespace

int main(int argc, char **argv)
{
    // Until the handler is in place, a stop request waits instead of
    // killing the process.
    TerminationSignals::BlockSignals();
#ifdef KELVORA_ANNOUNCE_MAIN
    // Start-up tests send signals at moments counted from here.
    std::fputs("kelvora: main\n", stderr);
    std::fflush(stderr);
#endif
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.exit) {
        const std::string text = commandLine.exit->text.toStdString();
        if (!commandLine.exit->toStandardError)
            return PrintOrFail(u"kelvora", text, commandLine.exit->exitCode);
        WriteWhole(STDERR_FILENO, text);
        return commandLine.exit->exitCode;
    }
    if (const auto message = MissingDisplayMessage(CurrentDisplayEnvironment(argc, argv))) {
        std::fprintf(stderr, "%s\n", message->c_str());
        return 1;
    }
    historyStart = HistoryStartOf(commandLine.start);
    trayRun = commandLine.start.tray;
    std::optional<StartupMessageGuard> startup(std::in_place);
    TApplication application(argc, argv);
    startup.reset();
    // The desktop's language is in force since the application object
    // exists; --language replaces it before the first window is built.
    if (commandLine.start.language)
        (void)UseLanguage(*commandLine.start.language);
    // --tray starts minimized, without the focus; the tray run then hides it.
    application.SetStartState(commandLine.start.maximized, commandLine.start.minimized || commandLine.start.tray);
    TerminationSignals terminationSignals(application);
    return RunProgram(application, CreateForm1);
}
