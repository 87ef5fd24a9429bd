// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/FamilyChoice.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include "cli/ProbeTargets.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The command line of kelvora-probe, parsed without running anything:
//
//   kelvora-probe [options] TARGET...      (TARGET: HOST, HOST:PORT, [IPv6]:PORT)
//   kelvora-probe [options] HOST PORT
//
// One table of options (ProbeOptionTable) drives the parsing, --help and the
// option list of the manual page. ParseProbeOptions is pure: it reads only
// its argument list and writes nothing. A refusal comes back as one line
// naming the bad option or value, shown safely, for the caller to print with
// the pointer to --help (UsageErrorLine of base/ProgramVoice.h).

enum class OutputFormat { Text, Json, Csv };

// "text", "json" or "csv" into `format`; else the reason for refusal
// ("expected text, json or csv"). Both programs read --format so.
std::optional<QString> ReadOutputFormat(const QString &value, OutputFormat &format);
enum class ColorMode { Auto, Always, Never };
// When the internet counts as up: while at least one, all, or more than
// half of the targets' latest checks succeeded.
enum class InternetRule { Any, All, Quorum };

struct ProbeOptions {
    // The first target: the host exactly as given (valid UTF-8, checked to
    // be usable), the form the resolver is asked for (itself when pure
    // ASCII, else its ASCII-compatible form), and the port.
    QString host;
    std::string hostForResolver;
    std::uint16_t port = 80;
    // Every target of the command line, in the order given (the first is
    // the one above); the targets file's are added by the caller.
    std::vector<TargetSpec> targets;
    // --targets FILE: empty for none. Read by ReadTargetsFile, not here.
    QString targetsFile;
    // The port of a target that names none (--port).
    std::uint16_t defaultPort = 80;
    // At most this many checks at once, over all targets.
    std::size_t parallel = 16;
    InternetRule internet = InternetRule::Any;
    // --listen ADDRESS:PORT for the exporter; empty for none.
    std::string listen;
    // 0: run until interrupted.
    std::uint64_t count = 0;
    std::chrono::nanoseconds interval = std::chrono::seconds(1);
    // As the probe's SetTimeout takes it: 0 for the client's own limit
    // (about 21 s), else milliseconds.
    std::int32_t timeoutMs = 5000;
    // -4, -6: one address family only; both is bad usage.
    FamilyChoice family = FamilyChoice::Auto;
    // -r: the name looked up at the start and after a failure only.
    bool resolveOnce = false;
    OutputFormat format = OutputFormat::Text;
    bool timestamp = false;
    bool quiet = false;
    ColorMode color = ColorMode::Auto;
    // Empty: no metrics file.
    QString prometheusFile;
    // --history: record every check into a history file
    // (history/HistoryRecorder.h); `historyFile` empty for the default one.
    bool history = false;
    QString historyFile;
};

// One option: its names, its value, its help text and how it is read.
struct ProbeOption {
    // The value's reason for refusal ("expected auto, always or never"), or
    // nothing when it was taken into `options`. A switch gets an empty value.
    using Reader = std::optional<QString> (*)(const QString &value, ProbeOptions &options);

    QString longName;  // without the dashes
    QChar shortName;   // QChar() for none
    QString valueName; // "SECONDS"; empty for a switch
    // One paragraph, lower case first, without a full stop: the same words
    // in --help and in the manual page. The value name stands in it as it is.
    QString help;
    Reader read = nullptr; // nullptr for --help and --version
    // The value may be left out; given, it is attached: --history=FILE.
    bool optionalValue = false;
};

std::span<const ProbeOption> ProbeOptionTable();

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    ProbeOptions options; // meaningful for Run
    QString error;        // for UsageError: one line, no program name
};

// `arguments` without the program name, as the bytes the program was given;
// each must be valid UTF-8.
ParsedCommandLine ParseProbeOptions(const QList<QByteArray> &arguments);

// Adds the targets of options.targetsFile (when given) to options.targets,
// refuses a target given twice, and sets the first target's fields. The
// refusal is one line, as ParseProbeOptions gives it.
std::optional<QString> CompleteTargets(ProbeOptions &options);

inline constexpr char16_t kProbeName[] = u"kelvora-probe";

// Bounds, for the messages and the tests, in nanoseconds.
inline constexpr std::size_t kMaxParallel = 1024;
inline constexpr std::uint64_t kMinIntervalNs = 10'000'000;       // 0.01 s
inline constexpr std::uint64_t kMinTimeoutNs = 1'000'000;         // 0.001 s
inline constexpr std::uint64_t kMaxSecondsNs = 86'400'000'000'000; // a day: interval and time-out
