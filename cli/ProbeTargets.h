// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The targets of kelvora-probe, as written on the command line or in a
// targets file, read into hosts and ports. Pure functions except
// ReadTargetsFile, which reads the file it is given.
//
// A target is one of
//   HOST         the default port (80, or --port)
//   HOST:PORT    one colon: the part after it is the port
//   [IPv6]:PORT  brackets around an IPv6 literal, then the port
//   [IPv6]       the default port
//   IPv6         two colons or more and no brackets: an IPv6 literal alone,
//                never split at a colon
// and the old form HOST PORT: exactly two arguments, the second a number
// (digits, perhaps with a sign, or nothing), is one host with that port.
//
// A refusal is one line that names the bad target, shown safely.

struct TargetSpec {
    // The host exactly as given (without brackets), and the form the
    // resolver is asked for: itself when pure ASCII, else its ACE form.
    QString host;
    std::string hostForResolver;
    std::uint16_t port = 80;

    bool operator==(const TargetSpec &) const = default;
};

// At most this many targets in one run.
inline constexpr std::size_t kMaxTargets = 4096;

// One target; nothing when it was put into `into`.
std::optional<QString> ReadTarget(const QString &text, std::uint16_t defaultPort, TargetSpec &into);

// The command line's targets (with the old HOST PORT form), appended to
// `into`. `first` tells whether the first operand came after "--" (only
// then may it begin with a dash).
struct TargetOperand {
    QString text;
    bool afterEndOfOptions = false;
};
std::optional<QString> ReadTargetOperands(const std::vector<TargetOperand> &operands, std::uint16_t defaultPort,
                                          std::vector<TargetSpec> &into);

// The lines of a targets file: one target per line, blank lines and
// everything from a '#' on ignored. A refusal names the line:
// "FILE:3: ...". At most kMaxTargets targets and 1 MiB of text.
std::optional<QString> ReadTargetLines(const QString &name, const QByteArray &text, std::uint16_t defaultPort,
                                       std::vector<TargetSpec> &into);
std::optional<QString> ReadTargetsFile(const QString &path, std::uint16_t defaultPort, std::vector<TargetSpec> &into);

// Refuses a target given twice (the same host and port): its metrics and
// its lines could not be told apart.
std::optional<QString> RefuseRepeatedTargets(const std::vector<TargetSpec> &targets);

// How a target is shown in the messages: HOST:PORT, [IPv6]:PORT.
QString TargetName(const TargetSpec &target);

// Decimal digits only, no sign, at most `highest`.
std::optional<std::uint64_t> WholeNumber(const QString &text, std::uint64_t highest);
