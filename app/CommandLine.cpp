// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/CommandLine.h"

#include "base/CommandLineScan.h"
#include "base/ProgramVoice.h"
#include "base/ShownText.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace {

constexpr char16_t kProgram[] = u"kelvora";

enum Option : std::size_t {
    kHelp, kHelpAll, kVersion, kVersionAlias, kMaximized, kMinimized, kHistory, kNoHistory, kTray, kLanguage,
    kFirstQtOption
};

// Qt's own options, which the toolkit consumes once it starts; accepted here
// so that they pass, and left out of the help.
constexpr const char *kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "name", "title", "qmljsdebugger", "fn", "font", "bg", "background", "fg", "foreground",
    "btn", "button", "visual", "ncols", "cmap",
};
constexpr const char *kQtOptionsAlone[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

const std::vector<OptionName> &OptionTable()
{
    static const std::vector<OptionName> table = [] {
        std::vector<OptionName> options{
            {QStringLiteral("help"), QLatin1Char('h'), false},
            {QStringLiteral("help-all"), QChar(), false},
            {QStringLiteral("version"), QLatin1Char('V'), false},
            {QString(), QLatin1Char('v'), false},
            {QStringLiteral("maximized"), QChar(), false},
            {QStringLiteral("minimized"), QChar(), false},
            // --history=FILE is taken out before the scan (HistoryFileWord),
            // so that a bare --history never swallows the next word.
            {QStringLiteral("history"), QChar(), false},
            {QStringLiteral("no-history"), QChar(), false},
            {QStringLiteral("tray"), QChar(), false},
            {QStringLiteral("language"), QChar(), true},
        };
        for (const char *name : kQtOptionsWithValue)
            options.push_back({QString::fromLatin1(name), QChar(), true});
        for (const char *name : kQtOptionsAlone)
            options.push_back({QString::fromLatin1(name), QChar(), false});
        return options;
    }();
    return table;
}

ImmediateExit BadUsage(const QString &problem)
{
    return {2, UsageErrorLine(kProgram, problem), true};
}

bool Given(const ScannedCommandLine &line, std::initializer_list<std::size_t> options)
{
    for (const ScannedOption &given : line.options) {
        if (std::find(options.begin(), options.end(), given.index) != options.end())
            return true;
    }
    return false;
}

// "--history=FILE" (or "-history=FILE"): the file; nullopt for another word.
std::optional<QString> HistoryFileWord(const QString &word)
{
    for (const QLatin1String prefix : {QLatin1String("--history="), QLatin1String("-history=")})
        if (word.startsWith(prefix))
            return word.mid(prefix.size());
    return std::nullopt;
}

// The history options in the order given; the last --history counts.
std::optional<QString> ReadHistory(const ScannedCommandLine &line, const std::vector<QString> &files,
                                   StartOptions &start)
{
    const bool off = Given(line, {kNoHistory});
    const bool on = Given(line, {kHistory}) || !files.empty();
    if (off && on)
        return QStringLiteral("options '--history' and '--no-history' exclude each other");
    for (const QString &file : files)
        if (file.isEmpty())
            return QStringLiteral("option '--history=' needs a file");
    if (off) {
        start.history = HistoryOption::Off;
    } else if (on) {
        // The scan keeps no positions across the words taken out, so a file
        // given anywhere wins over a bare --history.
        start.history = files.empty() ? HistoryOption::Default : HistoryOption::File;
        if (!files.empty())
            start.historyFile = files.back();
    }
    return std::nullopt;
}

// The last --language given, as written.
std::optional<QString> LanguageCodeGiven(const ScannedCommandLine &line)
{
    std::optional<QString> code;
    for (const ScannedOption &given : line.options) {
        if (given.index == kLanguage)
            code = given.value;
    }
    return code;
}

} // namespace

// The help is printed before the application object exists, so it is
// looked up in the translation itself rather than through tr().
QString HelpText(Language language)
{
    static const char *const kHelpSource = QT_TRANSLATE_NOOP(
        "CommandLine",
        "Usage: kelvora [options]\n"
        "Watches whether the internet can be reached: every N seconds (30 at start) it opens\n"
        "a TCP connection to port 80 of the host named in the window, closes it at once and\n"
        "shows how long that took. The window turns lime on success and red on failure.\n"
        "\n"
        "Options:\n"
        "  -h, --help       Show this help and exit.\n"
        "  -V, --version    Show the version and exit (-v does the same).\n"
        "  --maximized      Start with the window maximized.\n"
        "  --minimized      Start with the window minimized, without taking the focus.\n"
        "  --history        Record every check into the history file, creating it\n"
        "                   ($XDG_STATE_HOME/kelvora/history.sqlite).\n"
        "  --history=FILE   Record every check into FILE for this run.\n"
        "  --no-history     Record nothing for this run, even where the history file is.\n"
        "  --tray           Start hidden in the tray (minimized where there is none);\n"
        "                   minimizing then hides the window to the tray.\n"
        "  --language CODE  Show the window in this language: %1 (the desktop's by default).\n"
        "\n"
        "Qt's own options are honoured as well, for example -qwindowgeometry WxH+X+Y,\n"
        "-style NAME, -platform NAME and -display NAME.\n"
        "\n"
        "Exit status: 0 when the window was closed, 1 when it could not start,\n"
        "2 for a bad option, 3 when --help or --version could not be written.\n");
    QTranslator translator;
    QString text;
    if (LoadKelvoraTranslation(translator, language))
        text = translator.translate("CommandLine", kHelpSource);
    if (text.isEmpty())
        text = QString::fromUtf8(kHelpSource);
    return text.arg(LanguageCodes());
}

QString HelpText()
{
    return HelpText(SystemLanguage());
}

CommandLine ParseCommandLine(int argc, char **argv)
{
    QStringList words;
    std::vector<QString> historyFiles;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        endOfOptions = endOfOptions || word == QLatin1String("--");
        if (const std::optional<QString> file = HistoryFileWord(word); file && !endOfOptions)
            historyFiles.push_back(*file);
        else
            words << word;
    }

    CommandLine result;
    const ScannedCommandLine line = ScanCommandLine(words, OptionTable(), SingleDashWords::LongNames);
    if (!line.problem.isEmpty()) {
        result.exit = BadUsage(line.problem);
    } else if (const std::optional<QString> code = LanguageCodeGiven(line);
               code && !LanguageFromCode(*code)) {
        result.exit = BadUsage(QStringLiteral("unknown language '%1' (Kelvora has %2)")
                                   .arg(ShownText(*code), LanguageCodes()));
    } else if (Given(line, {kHelp, kHelpAll})) {
        result.exit = ImmediateExit{0, HelpText(code ? *LanguageFromCode(*code) : SystemLanguage()), false};
    } else if (Given(line, {kVersion, kVersionAlias})) {
        result.exit = ImmediateExit{0, VersionText(kProgram), false};
    } else if (!line.operands.empty()) {
        result.exit = BadUsage(QStringLiteral("unexpected argument '%1'").arg(ShownText(line.operands.front().text)));
    } else if (const std::optional<QString> problem = ReadHistory(line, historyFiles, result.start)) {
        result.exit = BadUsage(*problem);
    } else {
        result.start.maximized = Given(line, {kMaximized});
        result.start.minimized = Given(line, {kMinimized});
        result.start.tray = Given(line, {kTray});
        if (code)
            result.start.language = LanguageFromCode(*code);
    }
    return result;
}
