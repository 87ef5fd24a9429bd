// SPDX-License-Identifier: MIT
#include "cli/ProbeOptions.h"

#include "monitor/ConnectivityProbe.h"
#include "net/TIdStack.h"

#include <QCommandLineParser>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#ifndef KELVORA_VERSION
#error "KELVORA_VERSION must come from the build (the project's version)"
#endif

namespace {

constexpr int kShownValueLength = 40;

// A value as a message may show it: control characters escaped, long texts
// cut short, so that the message stays one readable line.
QString Shown(const QString &value)
{
    QString shown;
    for (const QChar c : value) {
        if (shown.size() >= kShownValueLength) {
            shown += QStringLiteral("...");
            break;
        }
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

// Bytes that are not valid UTF-8: ASCII as it is, every other byte as \xNN.
QString ShownBytes(const QByteArray &bytes)
{
    QString shown;
    for (const char byte : bytes) {
        if (shown.size() >= kShownValueLength) {
            shown += QStringLiteral("...");
            break;
        }
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || code >= 0x7f)
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else
            shown += QLatin1Char(byte);
    }
    return shown;
}

QString BadValue(const QString &what, const QString &value, const QString &expected)
{
    return QStringLiteral("%1: bad value '%2': %3").arg(what, Shown(value), expected);
}

// Decimal digits only, no sign, at most `highest`.
std::optional<std::uint64_t> WholeNumber(const QString &text, std::uint64_t highest)
{
    const QByteArray bytes = text.toLatin1();
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; }))
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (error != std::errc() || end != bytes.constData() + bytes.size() || value > highest)
        return std::nullopt;
    return value;
}

// Seconds as plain decimals: "1", "0.5", ".25", "2."; no sign, exponent,
// hexadecimal, infinity or NaN. Read the same whatever the locale.
std::optional<double> DecimalSeconds(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    const bool digitsOnly = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() >= '0' && c.unicode() <= '9') || c.unicode() == '.';
    });
    const auto dots = text.count(QLatin1Char('.'));
    if (!digitsOnly || dots > 1 || text.size() - dots == 0 || text.size() > 64)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != bytes.constData() + bytes.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString FormatSeconds(double seconds)
{
    return QString::number(seconds, 'g', 10);
}

struct OptionSet {
    QCommandLineOption count{{QStringLiteral("c"), QStringLiteral("count")}, QString(), QStringLiteral("N")};
    QCommandLineOption interval{{QStringLiteral("i"), QStringLiteral("interval")}, QString(), QStringLiteral("SECONDS")};
    QCommandLineOption timeout{{QStringLiteral("w"), QStringLiteral("timeout")}, QString(), QStringLiteral("SECONDS")};
    QCommandLineOption format{{QStringLiteral("f"), QStringLiteral("format")}, QString(), QStringLiteral("FORMAT")};
    QCommandLineOption timestamp{{QStringLiteral("D"), QStringLiteral("timestamp")}, QString()};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}, QString()};
    QCommandLineOption color{QStringList{QStringLiteral("color")}, QString(), QStringLiteral("WHEN")};
    QCommandLineOption prometheus{QStringList{QStringLiteral("prometheus")}, QString(), QStringLiteral("FILE")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption version{{QStringLiteral("V"), QStringLiteral("version")}, QString()};

    QList<QCommandLineOption> All() const
    {
        return {count, interval, timeout, format, timestamp, quiet, color, prometheus, help, version};
    }
};

bool TakesValue(QChar shortName)
{
    return shortName == QLatin1Char('c') || shortName == QLatin1Char('i') || shortName == QLatin1Char('w')
           || shortName == QLatin1Char('f');
}

bool TakesValue(const QString &longName)
{
    static const QStringList names{QStringLiteral("count"), QStringLiteral("interval"), QStringLiteral("timeout"),
                                   QStringLiteral("format"), QStringLiteral("color"), QStringLiteral("prometheus")};
    return names.contains(longName);
}

// Whether the argument after `argument` is that option's value.
bool ConsumesNext(const QString &argument)
{
    if (argument.startsWith(QLatin1String("--")))
        return !argument.contains(QLatin1Char('=')) && TakesValue(argument.mid(2));
    // Compacted short options: a value option takes the rest of the word,
    // or the next word when it is the word's last letter.
    for (qsizetype i = 1; i < argument.size(); ++i) {
        if (TakesValue(argument[i]))
            return i == argument.size() - 1;
    }
    return false;
}

bool LooksNegative(const QString &argument)
{
    return argument.size() >= 2 && argument[0] == QLatin1Char('-')
           && (argument[1].isDigit() || argument[1] == QLatin1Char('.'));
}

// QCommandLineParser would take "-1" where HOST or PORT stands for an
// option; such a word is a negative number given as HOST or PORT.
std::optional<QString> NegativePositional(const QStringList &arguments)
{
    int positional = 0;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--"))
            return std::nullopt;
        if (LooksNegative(argument)) {
            if (positional == 1)
                return BadValue(QStringLiteral("PORT"), argument, QStringLiteral("expected a number from 0 to 65535"));
            return QStringLiteral("unexpected argument '%1'").arg(Shown(argument));
        }
        if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (ConsumesNext(argument))
                ++i;
        } else {
            ++positional;
        }
    }
    return std::nullopt;
}

QString ParserError(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString &name = unknown.first();
        return QStringLiteral("unknown option '%1%2'").arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                                           Shown(name));
    }
    QString text = parser.errorText().trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

std::optional<QString> CheckHost(const QString &host, std::string &forResolver)
{
    const QString what = QStringLiteral("HOST");
    if (host.isEmpty())
        return QStringLiteral("HOST is empty");
    if (std::any_of(host.cbegin(), host.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }))
        return BadValue(what, host, QStringLiteral("a host name cannot hold a control character"));
    forResolver = ConnectivityProbe::HostForClient(host);
    const bool ascii = std::all_of(forResolver.cbegin(), forResolver.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return BadValue(what, host, QStringLiteral("not a valid international name"));
    if (!TIdStack::CanBeHostName(forResolver))
        return BadValue(what, host, QStringLiteral("a host name has at most 253 bytes, each label at most 63"));
    return std::nullopt;
}

std::optional<QString> ReadPositionals(const QStringList &positional, ProbeOptions &options)
{
    if (positional.isEmpty())
        return QStringLiteral("missing HOST");
    if (positional.size() > 2)
        return QStringLiteral("unexpected argument '%1'").arg(Shown(positional[2]));
    options.host = positional[0];
    if (auto problem = CheckHost(options.host, options.hostForResolver))
        return problem;
    if (positional.size() == 2) {
        const auto port = WholeNumber(positional[1], 65535);
        if (!port)
            return BadValue(QStringLiteral("PORT"), positional[1], QStringLiteral("expected a number from 0 to 65535"));
        options.port = static_cast<std::uint16_t>(*port);
    }
    return std::nullopt;
}

std::optional<QString> ReadTiming(const QCommandLineParser &parser, const OptionSet &set, ProbeOptions &options)
{
    if (parser.isSet(set.count)) {
        const auto count = WholeNumber(parser.value(set.count), std::numeric_limits<std::int64_t>::max());
        if (!count || *count == 0)
            return BadValue(QStringLiteral("--count"), parser.value(set.count),
                            QStringLiteral("expected a whole number of at least 1"));
        options.count = *count;
    }
    if (parser.isSet(set.interval)) {
        const QString text = parser.value(set.interval);
        const auto seconds = DecimalSeconds(text);
        if (!seconds)
            return BadValue(QStringLiteral("--interval"), text, QStringLiteral("expected seconds, such as 1 or 0.5"));
        if (*seconds < kMinIntervalSeconds)
            return BadValue(QStringLiteral("--interval"), text,
                            QStringLiteral("the shortest interval is %1 seconds").arg(FormatSeconds(kMinIntervalSeconds)));
        if (*seconds > kMaxSeconds)
            return BadValue(QStringLiteral("--interval"), text,
                            QStringLiteral("the longest interval is %1 seconds").arg(FormatSeconds(kMaxSeconds)));
        options.interval = std::chrono::nanoseconds(std::llround(*seconds * 1e9));
    }
    if (parser.isSet(set.timeout)) {
        const QString text = parser.value(set.timeout);
        const auto seconds = DecimalSeconds(text);
        const auto milliseconds = seconds ? std::llround(*seconds * 1000) : 0;
        if (!seconds || *seconds > kMaxSeconds || (*seconds > 0 && milliseconds == 0))
            return BadValue(QStringLiteral("--timeout"), text,
                            QStringLiteral("expected 0 (the client's own limit) or seconds from 0.001 to %1")
                                .arg(FormatSeconds(kMaxSeconds)));
        options.timeoutMs = static_cast<std::int32_t>(milliseconds);
    }
    return std::nullopt;
}

std::optional<QString> ReadOutput(const QCommandLineParser &parser, const OptionSet &set, ProbeOptions &options)
{
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
    if (parser.isSet(set.color)) {
        const QString color = parser.value(set.color);
        if (color == QLatin1String("auto"))
            options.color = ColorMode::Auto;
        else if (color == QLatin1String("always"))
            options.color = ColorMode::Always;
        else if (color == QLatin1String("never"))
            options.color = ColorMode::Never;
        else
            return BadValue(QStringLiteral("--color"), color, QStringLiteral("expected auto, always or never"));
    }
    if (parser.isSet(set.prometheus)) {
        options.prometheusFile = parser.value(set.prometheus);
        if (options.prometheusFile.isEmpty())
            return QStringLiteral("--prometheus: the file name is empty");
    }
    options.timestamp = parser.isSet(set.timestamp);
    options.quiet = parser.isSet(set.quiet);
    return std::nullopt;
}

ParsedCommandLine Refusal(const QString &error)
{
    ParsedCommandLine parsed;
    parsed.action = ParsedCommandLine::Action::UsageError;
    parsed.error = error;
    return parsed;
}

} // namespace

ParsedCommandLine ParseProbeOptions(const QList<QByteArray> &arguments)
{
    QStringList texts{QStringLiteral("kelvora-probe")};
    for (const QByteArray &argument : arguments) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(argument);
        if (decoder.hasError())
            return Refusal(QStringLiteral("argument '%1' is not valid UTF-8").arg(ShownBytes(argument)));
        texts.append(std::move(text));
    }
    if (auto negative = NegativePositional(texts.mid(1)))
        return Refusal(*negative);

    const OptionSet set;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions(set.All());
    if (!parser.parse(texts))
        return Refusal(ParserError(parser));

    ParsedCommandLine parsed;
    if (parser.isSet(set.help)) {
        parsed.action = ParsedCommandLine::Action::Help;
        return parsed;
    }
    if (parser.isSet(set.version)) {
        parsed.action = ParsedCommandLine::Action::Version;
        return parsed;
    }
    ProbeOptions &options = parsed.options;
    for (const auto &problem : {ReadTiming(parser, set, options), ReadOutput(parser, set, options),
                                ReadPositionals(parser.positionalArguments(), options)}) {
        if (problem)
            return Refusal(*problem);
    }
    parsed.action = ParsedCommandLine::Action::Run;
    return parsed;
}

QString UsageErrorLine(const QString &error)
{
    return QStringLiteral("kelvora-probe: %1. Try 'kelvora-probe --help'.\n").arg(error);
}

QString VersionText()
{
    return QStringLiteral("kelvora-probe " KELVORA_VERSION "\n");
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: kelvora-probe [options] HOST [PORT]\n"
        "Checks again and again that TCP port PORT (80 unless given) of HOST can be\n"
        "reached: opens a connection, closes it at once and reports how long that\n"
        "took. Nothing is sent over the connection. The name is resolved anew for\n"
        "each check.\n"
        "\n"
        "Options:\n"
        "  -c, --count N           stop after N checks (default: run until interrupted)\n"
        "  -i, --interval SECONDS  start a check every SECONDS, decimals allowed, at\n"
        "                          least 0.01 (default: 1); a check that takes longer\n"
        "                          is followed by the next one at once\n"
        "  -w, --timeout SECONDS   connect time-out of each check (default: 5); 0 is\n"
        "                          the client's own limit of about 21 s\n"
        "  -f, --format FORMAT     text (default), json (JSON Lines) or csv\n"
        "  -D, --timestamp         put the local time on each text line\n"
        "  -q, --quiet             print only the summary\n"
        "      --color WHEN        colours: auto (on a terminal, unless NO_COLOR is\n"
        "                          set), always or never (default: auto)\n"
        "      --prometheus FILE   after every check, replace FILE with the metrics in\n"
        "                          Prometheus' text format (for node_exporter's\n"
        "                          textfile collector)\n"
        "  -h, --help              show this help and exit\n"
        "  -V, --version           show the version and exit\n"
        "\n"
        "While it runs, SIGQUIT (Ctrl+\\) or, on a terminal, the Enter key prints the\n"
        "statistics so far to standard error. It ends after N checks, or on SIGINT\n"
        "(Ctrl+C) or SIGTERM, with a summary: on standard output for text and json,\n"
        "on standard error for csv.\n"
        "\n"
        "Exit status: 0 when at least one check succeeded, 1 when none did, 2 for bad\n"
        "usage.\n");
}
