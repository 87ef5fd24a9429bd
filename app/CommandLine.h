// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/Language.h"

#include <QString>

#include <optional>

// What the command line asks of the window program. Besides Qt's own window
// options (-qwindowgeometry, -style, -platform, -display ... which the
// toolkit itself applies), it takes only these; anything else is refused.
// What the run does with the history file.
enum class HistoryOption {
    Unset,   // none given: record when the default file is there
    Default, // --history: record into the default file, creating it
    File,    // --history=FILE: record into FILE
    Off,     // --no-history: record nothing
};

struct StartOptions {
    bool maximized = false; // --maximized
    bool minimized = false; // --minimized: minimized and without taking the focus
    bool tray = false;      // --tray: minimized, and hidden in the tray where there is one
    HistoryOption history = HistoryOption::Unset;
    QString historyFile; // with HistoryOption::File
    std::optional<Language> language; // --language CODE; else the desktop's
};

// The program's answer when it ends right away instead of starting.
struct ImmediateExit {
    int exitCode = 0;      // 0 for --help and --version, 2 for bad usage
    QString text;          // what to print, ending in a newline
    bool toStandardError = false;
};

struct CommandLine {
    StartOptions start;
    std::optional<ImmediateExit> exit; // set when the program is not to start
};

// Reads the arguments (argv[0] is the program). Needs no display and no
// application object. Single-dash words are long options, as Qt's own
// are ("-style fusion"); -h, -V and -v are the short ones. A refusal is the
// usage error line both programs share, the word at fault shown safely.
// --history and --no-history exclude each other; of several --history the
// last one counts.
// A --language code Kelvora has no translation for is refused the same way;
// --help speaks the language --language names, else the desktop's.
CommandLine ParseCommandLine(int argc, char **argv);

// The text of --help, in the desktop's language or the one given.
QString HelpText();
QString HelpText(Language language);
