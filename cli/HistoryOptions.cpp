// SPDX-License-Identifier: MIT
#include "cli/HistoryOptions.h"

#include "cli/HistoryDates.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <utility>

#ifndef KELVORA_VERSION
#error "KELVORA_VERSION must come from the build (the project's version)"
#endif

namespace {

constexpr int kShownLength = 40;

QString Shown(const QString &value)
{
    QString shown;
    for (const QChar c : value) {
        if (shown.size() >= kShownLength)
            return shown + QStringLiteral("...");
        shown += c.unicode() < 0x20 || c.unicode() == 0x7f ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                                           : QString(c);
    }
    return shown;
}

QString BadValue(const QString &what, const QString &value, const QString &expected)
{
    return QStringLiteral("%1: bad value '%2': %3").arg(what, Shown(value), expected);
}

constexpr std::array<std::pair<const char *, HistoryCommand>, 7> kCommands{{
    {"report", HistoryCommand::Report}, {"outages", HistoryCommand::Outages}, {"checks", HistoryCommand::Checks},
    {"days", HistoryCommand::Days},     {"targets", HistoryCommand::Targets}, {"prune", HistoryCommand::Prune},
    {"vacuum", HistoryCommand::Vacuum},
}};

struct OptionSet {
    QCommandLineOption file{QStringList{QStringLiteral("file")}, QString(), QStringLiteral("FILE")};
    QCommandLineOption target{QStringList{QStringLiteral("target")}, QString(), QStringLiteral("HOST[:PORT]")};
    QCommandLineOption since{QStringList{QStringLiteral("since")}, QString(), QStringLiteral("DATE")};
    QCommandLineOption until{QStringList{QStringLiteral("until")}, QString(), QStringLiteral("DATE")};
    QCommandLineOption format{{QStringLiteral("f"), QStringLiteral("format")}, QString(), QStringLiteral("FORMAT")};
    QCommandLineOption maxSize{QStringList{QStringLiteral("max-size")}, QString(), QStringLiteral("SIZE")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption version{{QStringLiteral("V"), QStringLiteral("version")}, QString()};
};

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

std::optional<QString> ReadValues(const QCommandLineParser &parser, const OptionSet &set, std::int64_t nowMs,
                                  HistoryOptions &options)
{
    if (parser.isSet(set.file)) {
        options.file = parser.value(set.file);
        if (options.file.isEmpty())
            return QStringLiteral("--file: the file name is empty");
    }
    if (parser.isSet(set.target)) {
        if (auto problem = ReadTarget(parser.value(set.target), options))
            return problem;
    }
    const QString dateForms = QStringLiteral("expected an ISO 8601 date or time, today, yesterday, now or -7d");
    if (parser.isSet(set.since)) {
        options.sinceMs = ParseHistoryDate(parser.value(set.since), DateEdge::Since, nowMs);
        if (!options.sinceMs)
            return BadValue(QStringLiteral("--since"), parser.value(set.since), dateForms);
    }
    if (parser.isSet(set.until)) {
        options.untilMs = ParseHistoryDate(parser.value(set.until), DateEdge::Until, nowMs);
        if (!options.untilMs)
            return BadValue(QStringLiteral("--until"), parser.value(set.until), dateForms);
    }
    if (options.sinceMs && options.untilMs && *options.untilMs <= *options.sinceMs)
        return QStringLiteral("--until must be later than --since");
    if (parser.isSet(set.format)) {
        const QString format = parser.value(set.format);
        if (format == QLatin1String("text"))
            options.format = OutputFormat::Text;
        else if (format == QLatin1String("json"))
            options.format = OutputFormat::Json;
        else if (format == QLatin1String("csv"))
            options.format = OutputFormat::Csv;
        else
            return BadValue(QStringLiteral("--format"), format, QStringLiteral("expected text, json or csv"));
    }
    if (parser.isSet(set.maxSize)) {
        options.maxBytes = ReadSize(parser.value(set.maxSize));
        if (!options.maxBytes)
            return BadValue(QStringLiteral("--max-size"), parser.value(set.maxSize),
                            QStringLiteral("expected bytes, such as 50000000 or 50M"));
    }
    return std::nullopt;
}

std::optional<QString> ReadCommand(const QStringList &positional, HistoryOptions &options)
{
    if (positional.isEmpty())
        return QStringLiteral("missing command (report, outages, checks, days, targets, prune or vacuum)");
    if (positional.size() > 1)
        return QStringLiteral("unexpected argument '%1'").arg(Shown(positional[1]));
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const auto &entry) { return positional[0] == QLatin1String(entry.first); });
    if (found == kCommands.end())
        return QStringLiteral("unknown command '%1'").arg(Shown(positional[0]));
    options.command = found->second;
    if (options.maxBytes && options.command != HistoryCommand::Prune)
        return QStringLiteral("--max-size belongs to prune");
    return std::nullopt;
}

// The unknown option as it was written: "--x" stays "--x", "-x" "-x".
QString ParserError(const QCommandLineParser &parser, const QStringList &texts)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString &name = unknown.first();
        const bool longForm = name.size() > 1 || std::any_of(texts.cbegin(), texts.cend(), [&](const QString &text) {
            return text == QLatin1String("--") + name || text.startsWith(QLatin1String("--") + name + QLatin1Char('='));
        });
        return QStringLiteral("unknown option '%1%2'").arg(longForm ? QStringLiteral("--") : QStringLiteral("-"),
                                                           Shown(name));
    }
    QString text = parser.errorText().trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// QCommandLineParser would take "-7d" after --since for options of its own;
// a date before now is joined to its option instead.
QStringList JoinRelativeDates(QStringList texts)
{
    static const QRegularExpression relative(QStringLiteral("^-\\d"));
    for (qsizetype i = 1; i + 1 < texts.size(); ++i) {
        if ((texts[i] == QLatin1String("--since") || texts[i] == QLatin1String("--until"))
            && relative.match(texts[i + 1]).hasMatch()) {
            texts[i] += QLatin1Char('=') + texts[i + 1];
            texts.removeAt(i + 1);
        }
    }
    return texts;
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
    QStringList texts{QStringLiteral("kelvora-history")};
    for (const QByteArray &argument : arguments) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(argument);
        if (decoder.hasError())
            return Refusal(QStringLiteral("an argument is not valid UTF-8"));
        texts.append(std::move(text));
    }
    const OptionSet set;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions({set.file, set.target, set.since, set.until, set.format, set.maxSize, set.help, set.version});
    if (!parser.parse(JoinRelativeDates(texts)))
        return Refusal(ParserError(parser, texts));
    ParsedHistoryCommandLine parsed;
    if (parser.isSet(set.help)) {
        parsed.action = ParsedHistoryCommandLine::Action::Help;
        return parsed;
    }
    if (parser.isSet(set.version)) {
        parsed.action = ParsedHistoryCommandLine::Action::Version;
        return parsed;
    }
    if (auto problem = ReadValues(parser, set, nowMs, parsed.options))
        return Refusal(*problem);
    if (auto problem = ReadCommand(parser.positionalArguments(), parsed.options))
        return Refusal(*problem);
    parsed.action = ParsedHistoryCommandLine::Action::Run;
    return parsed;
}

QString HistoryUsageErrorLine(const QString &error)
{
    return QStringLiteral("kelvora-history: %1. Try 'kelvora-history --help'.\n").arg(error);
}

QString HistoryVersionText()
{
    return QStringLiteral("kelvora-history " KELVORA_VERSION "\n"
                          "Copyright (C) 2009-2026 Varnholt Studios\n"
                          "License: MIT\n");
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
        "bad usage.\n");
}
