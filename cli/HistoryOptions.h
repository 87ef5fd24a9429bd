// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/ProbeOptions.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

// The command line of kelvora-history, parsed without running anything:
//
//   kelvora-history [--file FILE] [--target HOST[:PORT]] [--since DATE]
//                   [--until DATE] [--format text|json|csv] [--max-size SIZE]
//                   report|outages|checks|days|targets|prune|vacuum
//
// Options may come before or after the command. Dates take the forms of
// cli/HistoryDates.h and are resolved against `nowMs`. Pure: reads only its
// arguments, writes nothing.

enum class HistoryCommand { Report, Outages, Checks, Days, Targets, Prune, Vacuum };

struct HistoryOptions {
    HistoryCommand command = HistoryCommand::Report;
    // Empty: the default file (history/HistoryPaths.h).
    QString file;
    // Empty host: every target of the file. No port: any port of the host.
    std::string host;
    std::optional<std::uint16_t> port;
    std::optional<std::int64_t> sinceMs;
    std::optional<std::int64_t> untilMs;
    OutputFormat format = OutputFormat::Text;
    // prune only: the size cap in bytes.
    std::optional<std::uint64_t> maxBytes;
};

struct ParsedHistoryCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    HistoryOptions options;
    QString error; // one line, no program name
};

ParsedHistoryCommandLine ParseHistoryOptions(const QList<QByteArray> &arguments, std::int64_t nowMs);

// "kelvora-history: <error>. Try 'kelvora-history --help'." and a line break.
QString HistoryUsageErrorLine(const QString &error);
QString HistoryHelpText();
// The program, its version, the copyright and the licence, one a line.
QString HistoryVersionText();
