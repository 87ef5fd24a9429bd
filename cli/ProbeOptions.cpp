// SPDX-License-Identifier: MIT
#include "cli/ProbeOptions.h"

#include "base/CommandLineScan.h"
#include "base/ShownText.h"
#include "cli/DecimalSeconds.h"
#include "monitor/ConnectivityProbe.h"
#include "net/TIdStack.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <vector>

namespace {

using Refusal = std::optional<QString>;

QString BadValue(const QString &what, const QString &value, const QString &expected)
{
    return BadValueProblem(what, value, expected);
}

// Decimal digits only, no sign, at most `highest`.
std::optional<std::uint64_t> WholeNumber(const QString &text, std::uint64_t highest)
{
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const QByteArray bytes = text.toLatin1();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (error != std::errc() || end != bytes.constData() + bytes.size() || value > highest)
        return std::nullopt;
    return value;
}

Refusal ReadCount(const QString &value, ProbeOptions &options)
{
    const auto count = WholeNumber(value, std::numeric_limits<std::int64_t>::max());
    if (!count || *count == 0)
        return QStringLiteral("expected a whole number of at least 1");
    options.count = *count;
    return std::nullopt;
}

Refusal ReadInterval(const QString &value, ProbeOptions &options)
{
    const auto seconds = DecimalSeconds::Read(value);
    if (!seconds)
        return QStringLiteral("expected seconds, such as 1 or 0.5");
    if (seconds->Below(kMinIntervalNs))
        return QStringLiteral("the shortest interval is 0.01 seconds");
    if (seconds->Above(kMaxSecondsNs))
        return QStringLiteral("the longest interval is 86400 seconds");
    options.interval = std::chrono::nanoseconds(seconds->CeilNanoseconds());
    return std::nullopt;
}

Refusal ReadTimeout(const QString &value, ProbeOptions &options)
{
    const auto seconds = DecimalSeconds::Read(value);
    if (!seconds || (!seconds->IsZero() && (seconds->Below(kMinTimeoutNs) || seconds->Above(kMaxSecondsNs))))
        return QStringLiteral("expected 0 (the client's own limit) or seconds from 0.001 to 86400");
    options.timeoutMs = static_cast<std::int32_t>(seconds->CeilMilliseconds());
    return std::nullopt;
}

// `value` as one of `names`, which stand in the order of the enumeration.
template <typename Enumeration, std::size_t N>
Refusal ReadChoice(const QString &value, const std::array<const char *, N> &names, Enumeration &into)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (value == QLatin1String(names[i])) {
            into = static_cast<Enumeration>(i);
            return std::nullopt;
        }
    }
    QStringList quoted;
    for (const char *name : names)
        quoted << QLatin1String(name);
    const QString last = quoted.takeLast();
    return QStringLiteral("expected %1 or %2").arg(quoted.join(QStringLiteral(", ")), last);
}

Refusal ReadFormat(const QString &value, ProbeOptions &options)
{
    return ReadOutputFormat(value, options.format);
}

Refusal ReadColor(const QString &value, ProbeOptions &options)
{
    return ReadChoice(value, std::array{"auto", "always", "never"}, options.color);
}

Refusal ReadPrometheus(const QString &value, ProbeOptions &options)
{
    if (value.isEmpty())
        return QStringLiteral("expected a file name");
    options.prometheusFile = value;
    return std::nullopt;
}

Refusal ReadHistory(const QString &value, ProbeOptions &options)
{
    options.history = true;
    options.historyFile = value;
    return std::nullopt;
}

Refusal SetIPv4(const QString &, ProbeOptions &options)
{
    options.family = FamilyChoice::IPv4Only;
    return std::nullopt;
}

Refusal SetIPv6(const QString &, ProbeOptions &options)
{
    options.family = FamilyChoice::IPv6Only;
    return std::nullopt;
}

Refusal SetResolveOnce(const QString &, ProbeOptions &options)
{
    options.resolveOnce = true;
    return std::nullopt;
}

Refusal SetTimestamp(const QString &, ProbeOptions &options)
{
    options.timestamp = true;
    return std::nullopt;
}

Refusal SetQuiet(const QString &, ProbeOptions &options)
{
    options.quiet = true;
    return std::nullopt;
}

const std::array<ProbeOption, 14> kTable{{
    {QStringLiteral("count"), QLatin1Char('c'), QStringLiteral("N"),
     QStringLiteral("stop after N checks, at least 1 (default: run until stopped by a signal)"), ReadCount},
    {QStringLiteral("interval"), QLatin1Char('i'), QStringLiteral("SECONDS"),
     QStringLiteral("start a check every SECONDS, from 0.01 to 86400, decimals allowed (default: 1); "
                    "a check that takes longer is followed by the next one at once"),
     ReadInterval},
    {QStringLiteral("timeout"), QLatin1Char('w'), QStringLiteral("SECONDS"),
     QStringLiteral("the time a connection attempt may take, from 0.001 to 86400 seconds, rounded up to "
                    "whole milliseconds (default: 5); 0 leaves it to the client's own limit of about 21 s; "
                    "the name lookup is not covered"),
     ReadTimeout},
    {QStringLiteral("ipv4"), QLatin1Char('4'), QString(),
     QStringLiteral("connect over IPv4 only (default: over either family, as the host's addresses and the "
                    "network allow, IPv6 and IPv4 raced where both are there)"),
     SetIPv4},
    {QStringLiteral("ipv6"), QLatin1Char('6'), QString(), QStringLiteral("connect over IPv6 only"), SetIPv6},
    {QStringLiteral("resolve-once"), QLatin1Char('r'), QString(),
     QStringLiteral("look the name up at the start, and again only after a check failed (default: at every check)"),
     SetResolveOnce},
    {QStringLiteral("format"), QLatin1Char('f'), QStringLiteral("FORMAT"),
     QStringLiteral("text (the default), json (JSON Lines) or csv"), ReadFormat},
    {QStringLiteral("timestamp"), QLatin1Char('D'), QString(),
     QStringLiteral("put the local time in brackets at the start of each text line"), SetTimestamp},
    {QStringLiteral("quiet"), QLatin1Char('q'), QString(),
     QStringLiteral("print no header and no line per check, only the summary"), SetQuiet},
    {QStringLiteral("color"), QChar(), QStringLiteral("WHEN"),
     QStringLiteral("colour the text output: auto (on a terminal, unless NO_COLOR is set or TERM is dumb), "
                    "always or never (default: auto)"),
     ReadColor},
    {QStringLiteral("prometheus"), QChar(), QStringLiteral("FILE"),
     QStringLiteral("after every check, replace FILE with the metrics in Prometheus' text format, for "
                    "node_exporter's textfile collector; FILE must be a regular file or not exist yet"),
     ReadPrometheus},
    {QStringLiteral("history"), QChar(), QStringLiteral("FILE"),
     QStringLiteral("record every check into the history that kelvora-history reads: the default file "
                    "$XDG_STATE_HOME/kelvora/history.sqlite (created with its folder when missing), or FILE, "
                    "whose folder must exist; a file that cannot be used ends the program before the first check"),
     ReadHistory, true},
    {QStringLiteral("help"), QLatin1Char('h'), QString(), QStringLiteral("print a short help and exit"), nullptr},
    {QStringLiteral("version"), QLatin1Char('V'), QString(), QStringLiteral("print the version, the copyright and the licence, and exit"), nullptr},
}};

// The place of an option in the table.
std::size_t Index(QStringView longName)
{
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (kTable[i].longName == longName)
            return i;
    }
    return kTable.size();
}

Refusal CheckHost(const QString &host, std::string &forResolver)
{
    const QString what = QStringLiteral("HOST");
    if (host.isEmpty())
        return QStringLiteral("HOST is empty");
    if (HoldsNonPrinting(host))
        return BadValue(what, host, QStringLiteral("a host name cannot hold a control character"));
    if (std::any_of(host.cbegin(), host.cend(), [](QChar c) { return c.isSpace(); }))
        return BadValue(what, host, QStringLiteral("a host name cannot hold a space"));
    forResolver = ConnectivityProbe::HostForClient(host);
    const bool ascii = std::all_of(forResolver.cbegin(), forResolver.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return BadValue(what, host, QStringLiteral("not a valid international name"));
    if (!TIdStack::CanBeHostName(forResolver))
        return BadValue(what, host, QStringLiteral("a host name has at most 253 bytes, each label at most 63"));
    return std::nullopt;
}

QString Unexpected(const QString &argument)
{
    return QStringLiteral("unexpected argument '%1'").arg(ShownText(argument));
}

Refusal ReadOperands(const std::vector<ScannedOperand> &operands, ProbeOptions &options)
{
    if (operands.empty())
        return QStringLiteral("missing HOST");
    if (operands.size() > 2)
        return Unexpected(operands[2].text);
    // A negative number in the host's place; a host that begins with a dash
    // comes after "--".
    if (operands[0].text.startsWith(QLatin1Char('-')) && !operands[0].afterEndOfOptions)
        return Unexpected(operands[0].text);
    options.host = operands[0].text;
    if (auto problem = CheckHost(options.host, options.hostForResolver))
        return problem;
    if (operands.size() == 2) {
        const auto port = WholeNumber(operands[1].text, 65535);
        if (!port)
            return BadValue(QStringLiteral("PORT"), operands[1].text, QStringLiteral("expected a number from 0 to 65535"));
        options.port = static_cast<std::uint16_t>(*port);
    }
    return std::nullopt;
}

ParsedCommandLine Refused(const QString &error)
{
    ParsedCommandLine parsed;
    parsed.action = ParsedCommandLine::Action::UsageError;
    parsed.error = error;
    return parsed;
}

ScannedCommandLine Scan(const QStringList &words)
{
    static const std::vector<OptionName> names = [] {
        std::vector<OptionName> shapes;
        for (const ProbeOption &option : kTable)
            shapes.push_back({option.longName, option.shortName, !option.valueName.isEmpty() && !option.optionalValue,
                              option.optionalValue});
        return shapes;
    }();
    return ScanCommandLine(words, names, SingleDashWords::ShortLetters);
}

bool Given(const ScannedCommandLine &line, std::size_t index)
{
    return std::any_of(line.options.cbegin(), line.options.cend(),
                       [index](const ScannedOption &option) { return option.index == index; });
}

} // namespace

std::optional<QString> ReadOutputFormat(const QString &value, OutputFormat &format)
{
    return ReadChoice(value, std::array{"text", "json", "csv"}, format);
}

std::span<const ProbeOption> ProbeOptionTable()
{
    return kTable;
}

ParsedCommandLine ParseProbeOptions(const QList<QByteArray> &arguments)
{
    QString error;
    const std::optional<QStringList> words = DecodedArguments(arguments, &error);
    if (!words)
        return Refused(error);
    const ScannedCommandLine line = Scan(*words);
    if (!line.problem.isEmpty())
        return Refused(line.problem);

    ParsedCommandLine parsed;
    const bool help = Given(line, Index(u"help"));
    if (help || Given(line, Index(u"version"))) {
        parsed.action = help ? ParsedCommandLine::Action::Help : ParsedCommandLine::Action::Version;
        return parsed;
    }
    if (Given(line, Index(u"ipv4")) && Given(line, Index(u"ipv6")))
        return Refused(QStringLiteral("--ipv4 and --ipv6 exclude each other: give one family or neither"));
    for (const ScannedOption &given : line.options) {
        const ProbeOption &option = kTable[given.index];
        if (option.optionalValue && given.valueGiven && given.value.isEmpty())
            return Refused(BadValue(QStringLiteral("--") + option.longName, given.value,
                                    QStringLiteral("expected a file name after '='")));
        if (const Refusal refusal = option.read(given.value, parsed.options))
            return Refused(BadValue(QStringLiteral("--") + option.longName, given.value, *refusal));
    }
    if (const Refusal refusal = ReadOperands(line.operands, parsed.options))
        return Refused(*refusal);
    parsed.action = ParsedCommandLine::Action::Run;
    return parsed;
}
