// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/HistoryOptions.h"

#include "base/CommandLineScan.h"
#include "base/ProgramVoice.h"
#include "base/ShownText.h"
#include "cli/HistoryDates.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr char16_t kProgram[] = u"kelvora-history";

QString BadValue(const QString &what, const QString &value, const QString &expected)
{
    return BadValueProblem(what, value, expected);
}

constexpr std::array<std::pair<const char *, HistoryCommand>, 7> kCommands{{
    {"report", HistoryCommand::Report}, {"outages", HistoryCommand::Outages}, {"checks", HistoryCommand::Checks},
    {"days", HistoryCommand::Days},     {"targets", HistoryCommand::Targets}, {"prune", HistoryCommand::Prune},
    {"vacuum", HistoryCommand::Vacuum},
}};

enum Option : std::size_t { kFile, kTarget, kSince, kUntil, kFormat, kMaxSize, kHelp, kVersion };

// In the order of Option.
const std::array<OptionName, 8> &OptionTable()
{
    static const std::array<OptionName, 8> table{{
        {QStringLiteral("file"), QChar(), true},
        {QStringLiteral("target"), QChar(), true},
        {QStringLiteral("since"), QChar(), true},
        {QStringLiteral("until"), QChar(), true},
        {QStringLiteral("format"), QLatin1Char('f'), true},
        {QStringLiteral("max-size"), QChar(), true},
        {QStringLiteral("help"), QLatin1Char('h'), false},
        {QStringLiteral("version"), QLatin1Char('V'), false},
    }};
    return table;
}

// "HOST", "HOST:PORT", "[IPV6]:PORT" or a bare IPv6 address.
std::optional<QString> ReadTarget(const QString &text, HistoryOptions &options)
{
    QString host = text;
    QString port;
    static const QRegularExpression bracketed(QStringLiteral("^\\[([^\\]]+)\\](?::(.*))?$"));
    if (const auto match = bracketed.match(text); match.hasMatch()) {
        host = match.captured(1);
        port = match.captured(2);
        if (match.hasCaptured(2) && port.isEmpty())
            return BadValue(QStringLiteral("--target"), text, QStringLiteral("expected HOST or HOST:PORT"));
    } else if (text.count(QLatin1Char(':')) == 1) {
        host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
        if (port.isEmpty())
            return BadValue(QStringLiteral("--target"), text, QStringLiteral("expected HOST or HOST:PORT"));
    }
    if (host.isEmpty())
        return BadValue(QStringLiteral("--target"), text, QStringLiteral("the host is empty"));
    if (!port.isEmpty()) {
        bool ok = false;
        const uint number = port.toUInt(&ok, 10);
        if (!ok || number > 65535 || !port.front().isDigit())
            return BadValue(QStringLiteral("--target"), text, QStringLiteral("expected a port from 0 to 65535"));
        options.port = static_cast<std::uint16_t>(number);
    }
    options.host = host.toStdString();
    return std::nullopt;
}

// Bytes with an optional K, M or G (powers of 1024).
std::optional<std::uint64_t> ReadSize(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,15})([KMG]?)$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::uint64_t number = match.captured(1).toULongLong();
    const int shift = match.captured(2).isEmpty() ? 0 : 10 * (1 + QStringLiteral("KMG").indexOf(match.captured(2)));
    return number << shift;
}

std::optional<QString> ReadDate(const ScannedOption &given, DateEdge edge, std::int64_t nowMs,
                                std::optional<std::int64_t> &into)
{
    into = ParseHistoryDate(given.value, edge, nowMs);
    if (into)
        return std::nullopt;
    return BadValue(QStringLiteral("--") + OptionTable()[given.index].longName, given.value,
                    QStringLiteral("expected an ISO 8601 date or time, today, yesterday, now or -7d"));
}

// One option's value into `options`; a later one of the same option wins.
std::optional<QString> ReadValue(const ScannedOption &given, std::int64_t nowMs, HistoryOptions &options)
{
    switch (given.index) {
    case kFile:
        options.file = given.value;
        if (options.file.isEmpty())
            return QStringLiteral("--file: the file name is empty");
        return std::nullopt;
    case kTarget:
        return ReadTarget(given.value, options);
    case kSince:
        return ReadDate(given, DateEdge::Since, nowMs, options.sinceMs);
    case kUntil:
        return ReadDate(given, DateEdge::Until, nowMs, options.untilMs);
    case kFormat:
        if (auto refusal = ReadOutputFormat(given.value, options.format))
            return BadValue(QStringLiteral("--format"), given.value, *refusal);
        return std::nullopt;
    case kMaxSize:
        options.maxBytes = ReadSize(given.value);
        if (!options.maxBytes)
            return BadValue(QStringLiteral("--max-size"), given.value,
                            QStringLiteral("expected bytes, such as 50000000 or 50M"));
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<QString> ReadValues(const ScannedCommandLine &line, std::int64_t nowMs, HistoryOptions &options)
{
    for (const ScannedOption &given : line.options) {
        if (auto problem = ReadValue(given, nowMs, options))
            return problem;
    }
    if (options.sinceMs && options.untilMs && *options.untilMs <= *options.sinceMs)
        return QStringLiteral("--until must be later than --since");
    return std::nullopt;
}

std::optional<QString> ReadCommand(const std::vector<ScannedOperand> &operands, HistoryOptions &options)
{
    if (operands.empty())
        return QStringLiteral("missing command (report, outages, checks, days, targets, prune or vacuum)");
    if (operands.size() > 1)
        return QStringLiteral("unexpected argument '%1'").arg(ShownText(operands[1].text));
    const QString &command = operands[0].text;
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const auto &entry) { return command == QLatin1String(entry.first); });
    if (found == kCommands.end())
        return QStringLiteral("unknown command '%1'").arg(ShownText(command));
    options.command = found->second;
    if (options.maxBytes && options.command != HistoryCommand::Prune)
        return QStringLiteral("--max-size belongs to prune");
    return std::nullopt;
}

bool Given(const ScannedCommandLine &line, Option option)
{
    return std::any_of(line.options.cbegin(), line.options.cend(),
                       [option](const ScannedOption &given) { return given.index == option; });
}

ParsedHistoryCommandLine Refusal(const QString &error)
{
    ParsedHistoryCommandLine parsed;
    parsed.error = error;
    return parsed;
}

} // namespace

ParsedHistoryCommandLine ParseHistoryOptions(const QList<QByteArray> &arguments, std::int64_t nowMs)
{
    QString problem;
    const std::optional<QStringList> words = DecodedArguments(arguments, &problem);
    if (!words)
        return Refusal(problem);
    const ScannedCommandLine line = ScanCommandLine(*words, OptionTable(), SingleDashWords::ShortLetters);
    if (!line.problem.isEmpty())
        return Refusal(line.problem);
    ParsedHistoryCommandLine parsed;
    if (Given(line, kHelp)) {
        parsed.action = ParsedHistoryCommandLine::Action::Help;
        return parsed;
    }
    if (Given(line, kVersion)) {
        parsed.action = ParsedHistoryCommandLine::Action::Version;
        return parsed;
    }
    if (auto refusal = ReadValues(line, nowMs, parsed.options))
        return Refusal(*refusal);
    if (auto refusal = ReadCommand(line.operands, parsed.options))
        return Refusal(*refusal);
    parsed.action = ParsedHistoryCommandLine::Action::Run;
    return parsed;
}

QString HistoryUsageErrorLine(const QString &error)
{
    return UsageErrorLine(kProgram, error);
}

QString HistoryVersionText()
{
    return VersionText(kProgram);
}

QString HistoryHelpText()
{
    return QStringLiteral(
        "Usage: kelvora-history [options] COMMAND\n"
        "Reads the history that kelvora and kelvora-probe record (with --history).\n"
        "\n"
        "Commands:\n"
        "  report    the range, the time monitored, the availability, the outages\n"
        "            and the daily availability: what to send to a provider\n"
        "  outages   the outages, newest first\n"
        "  checks    every check kept, oldest first\n"
        "  days      the availability of each day\n"
        "  targets   the hosts and ports the file holds\n"
        "  prune     roll up and prune now, as the recording programs do by and by\n"
        "  vacuum    rebuild the file to give free space back\n"
        "\n"
        "Options:\n"
        "      --file FILE         the history file (default:\n"
        "                          $XDG_STATE_HOME/kelvora/history.sqlite)\n"
        "      --target HOST[:PORT]  only this host (and port)\n"
        "      --since DATE        from DATE (default: the first check)\n"
        "      --until DATE        up to DATE (default: now)\n"
        "  -f, --format FORMAT     text (default), json (JSON Lines) or csv\n"
        "      --max-size SIZE     prune: also thin the oldest detail until the\n"
        "                          file's content fits SIZE bytes (K, M, G allowed)\n"
        "  -h, --help              show this help and exit\n"
        "  -V, --version           show the version and exit\n"
        "\n"
        "DATE is an ISO 8601 date (2026-12-09) or local time (2026-12-09T14:30,\n"
        "with Z or +01:00 for another offset), today, yesterday, now, or a time\n"
        "before now such as -7d, -12h, -30m, -2w. A day named without a time ends\n"
        "at its end for --until.\n"
        "\n"
        "Exit status: 0 on success, 1 when the file cannot be read or written, 2 for\n"
        "bad usage, 3 when the output could not be written.\n");
}
