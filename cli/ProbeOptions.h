// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>
#include <string>

// The command line of kelvora-probe, parsed without running anything:
//
//   kelvora-probe [options] HOST [PORT]
//
// ParseProbeOptions is pure: it reads only its argument list and writes
// nothing. A refusal comes back as one line naming the bad option or value,
// for the caller to print with the pointer to --help (UsageErrorLine).

enum class OutputFormat { Text, Json, Csv };
enum class ColorMode { Auto, Always, Never };

struct ProbeOptions {
    // The host exactly as given (valid UTF-8, checked to be usable), and the
    // form the resolver is asked for: itself when pure ASCII, else its
    // ASCII-compatible form.
    QString host;
    std::string hostForResolver;
    std::uint16_t port = 80;
    // 0: run until interrupted.
    std::uint64_t count = 0;
    std::chrono::nanoseconds interval = std::chrono::seconds(1);
    // As the probe's SetTimeout takes it: 0 for the client's own limit
    // (about 21 s), else milliseconds.
    std::int32_t timeoutMs = 5000;
    OutputFormat format = OutputFormat::Text;
    bool timestamp = false;
    bool quiet = false;
    ColorMode color = ColorMode::Auto;
    // Empty: no metrics file.
    QString prometheusFile;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    ProbeOptions options; // meaningful for Run
    QString error;        // for UsageError: one line, no program name
};

// `arguments` without the program name, as the bytes the program was given;
// each must be valid UTF-8.
ParsedCommandLine ParseProbeOptions(const QList<QByteArray> &arguments);

// "kelvora-probe: <error>. Try 'kelvora-probe --help'." with a line break.
QString UsageErrorLine(const QString &error);

// The --help text and the --version line, each ending in a line break.
QString HelpText();
QString VersionText();

// Bounds, for the messages and the tests.
inline constexpr double kMinIntervalSeconds = 0.01;
inline constexpr double kMaxSeconds = 86400.0; // interval and time-out
