// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeOptions.h"

#include "base/CommandLineScan.h"
#include "base/ShownText.h"
#include "cli/DecimalSeconds.h"
#include "cli/ListenAddress.h"

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

Refusal ReadDefaultPort(const QString &value, ProbeOptions &options)
{
    const auto port = WholeNumber(value, 65535);
    if (!port)
        return QStringLiteral("expected a number from 0 to 65535");
    options.defaultPort = static_cast<std::uint16_t>(*port);
    return std::nullopt;
}

Refusal ReadTargetsFileName(const QString &value, ProbeOptions &options)
{
    if (value.isEmpty())
        return QStringLiteral("expected a file name");
    options.targetsFile = value;
    return std::nullopt;
}

Refusal ReadParallel(const QString &value, ProbeOptions &options)
{
    const auto parallel = WholeNumber(value, kMaxParallel);
    if (!parallel || *parallel == 0)
        return QStringLiteral("expected a whole number from 1 to %1").arg(kMaxParallel);
    options.parallel = static_cast<std::size_t>(*parallel);
    return std::nullopt;
}

Refusal ReadInternet(const QString &value, ProbeOptions &options)
{
    return ReadChoice(value, std::array{"any", "all", "quorum"}, options.internet);
}

Refusal ReadListen(const QString &value, ProbeOptions &options)
{
    if (!ListenAddressValid(value.toStdString()))
        return QStringLiteral("expected ADDRESS:PORT with a numeric address and a port from 0 to 65535, "
                              "such as 127.0.0.1:9374, [::1]:9374 or :9374");
    options.listen = value.toStdString();
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

const std::array<ProbeOption, 19> kTable{{
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
    {QStringLiteral("port"), QLatin1Char('p'), QStringLiteral("PORT"),
     QStringLiteral("the port of every target that names none (default: 80)"), ReadDefaultPort},
    {QStringLiteral("targets"), QChar(), QStringLiteral("FILE"),
     QStringLiteral("read further targets from FILE, one a line, as on the command line; blank lines and "
                    "everything after a # are ignored"),
     ReadTargetsFileName},
    {QStringLiteral("parallel"), QChar(), QStringLiteral("N"),
     QStringLiteral("check at most N targets at once, from 1 to 1024 (default: 16); a target whose check is "
                    "due waits for a free place"),
     ReadParallel},
    {QStringLiteral("internet"), QChar(), QStringLiteral("RULE"),
     QStringLiteral("count the internet as up while any (the default), all or a quorum (more than half) of "
                    "the targets' latest checks succeeded"),
     ReadInternet},
    {QStringLiteral("listen"), QChar(), QStringLiteral("ADDRESS:PORT"),
     QStringLiteral("serve the metrics over HTTP at ADDRESS:PORT, on /metrics for Prometheus and / for a "
                    "browser; :PORT listens on every address of the machine, open to anyone who can reach it, "
                    "so prefer 127.0.0.1:PORT behind a firewall"),
     ReadListen},
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

Refusal ReadOperands(const std::vector<ScannedOperand> &operands, ProbeOptions &options)
{
    if (operands.empty())
        return options.targetsFile.isEmpty() ? std::optional<QString>(QStringLiteral("missing HOST")) : std::nullopt;
    std::vector<TargetOperand> given;
    for (const ScannedOperand &operand : operands)
        given.push_back({operand.text, operand.afterEndOfOptions});
    return ReadTargetOperands(given, options.defaultPort, options.targets);
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

void SetFirstTarget(ProbeOptions &options)
{
    options.host = options.targets.front().host;
    options.hostForResolver = options.targets.front().hostForResolver;
    options.port = options.targets.front().port;
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
    if (!parsed.options.targets.empty()) {
        if (const Refusal refusal = RefuseRepeatedTargets(parsed.options.targets))
            return Refused(*refusal);
        SetFirstTarget(parsed.options);
    }
    parsed.action = ParsedCommandLine::Action::Run;
    return parsed;
}

std::optional<QString> CompleteTargets(ProbeOptions &options)
{
    if (!options.targetsFile.isEmpty()) {
        if (auto problem = ReadTargetsFile(options.targetsFile, options.defaultPort, options.targets))
            return QStringLiteral("--targets: ") + *problem;
        if (options.targets.empty())
            return QStringLiteral("--targets: %1 names no target").arg(ShownText(options.targetsFile));
        if (options.targets.size() > kMaxTargets)
            return QStringLiteral("too many targets: at most %1").arg(kMaxTargets);
    }
    if (auto problem = RefuseRepeatedTargets(options.targets))
        return problem;
    SetFirstTarget(options);
    return std::nullopt;
}
