// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QStringList>

namespace {

// Qt's own options, which the toolkit consumes once it starts; accepted here
// so that they pass, and left out of the help's option list.
constexpr const char *kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "name", "title", "qmljsdebugger", "fn", "font", "bg", "background", "fg", "foreground",
    "btn", "button", "visual", "ncols", "cmap",
};
constexpr const char *kQtOptionsAlone[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

void AddQtOptions(QCommandLineParser &parser)
{
    for (const char *name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kQtOptionsAlone) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

ImmediateExit BadUsage(const QString &problem)
{
    return {2, QStringLiteral("kelvora: %1 Try 'kelvora --help'.\n").arg(problem), true};
}

} // namespace

QString HelpText()
{
    return QStringLiteral(
        "Usage: kelvora [options]\n"
        "Watches whether the internet can be reached: every N seconds (30 at start) it opens\n"
        "a TCP connection to port 80 of the host named in the window, closes it at once and\n"
        "shows how long that took. The window turns lime on success and red on failure.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help and exit.\n"
        "  -v, --version  Show the version and exit.\n"
        "  --maximized    Start with the window maximized.\n"
        "  --minimized    Start with the window minimized, without taking the focus.\n"
        "\n"
        "Qt's own options are honoured as well, for example -qwindowgeometry WxH+X+Y,\n"
        "-style NAME, -platform NAME and -display NAME.\n"
        "\n"
        "Exit status: 0 when the window was closed, 1 when it could not start,\n"
        "2 for a bad option.\n");
}

CommandLine ParseCommandLine(int argc, char **argv, const QString &version)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.isEmpty())
        arguments << QStringLiteral("kelvora");

    QCommandLineParser parser;
    // Qt's options are single-dash words ("-style fusion").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("help-all")});
    const QCommandLineOption showVersion(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption maximized(QStringLiteral("maximized"));
    const QCommandLineOption minimized(QStringLiteral("minimized"));
    parser.addOptions({help, showVersion, maximized, minimized});
    AddQtOptions(parser);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.exit = BadUsage(parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.exit = ImmediateExit{0, HelpText(), false};
        return result;
    }
    if (parser.isSet(showVersion)) {
        result.exit = ImmediateExit{0, QStringLiteral("Kelvora %1\n").arg(version), false};
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.exit = BadUsage(QStringLiteral("unexpected argument '%1'.")
                                   .arg(parser.positionalArguments().constFirst()));
        return result;
    }
    result.start.maximized = parser.isSet(maximized);
    result.start.minimized = parser.isSet(minimized);
    return result;
}
