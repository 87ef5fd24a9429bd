// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/HistoryCommands.h"

#include "cli/HistoryLists.h"
#include "cli/HistoryReport.h"
#include "history/HistoryFile.h"
#include "history/HistoryMaintenance.h"
#include "history/HistoryReader.h"

#include <QString>

#include <filesystem>
#include <stdexcept>

namespace {

constexpr int kFailure = 1;

// A problem that ends the command with exit status 1.
class CommandError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::int64_t Ms(std::chrono::system_clock::time_point time)
{
    return std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::vector<HistoryTarget> Chosen(HistoryReader &reader, const HistoryOptions &options,
                                  const std::filesystem::path &file)
{
    std::vector<HistoryTarget> targets = reader.Targets();
    if (options.host.empty())
        return targets;
    std::erase_if(targets, [&](const HistoryTarget &t) {
        return t.host != options.host || (options.port && t.port != *options.port);
    });
    if (targets.empty()) {
        const std::string wanted = options.host + (options.port ? ":" + std::to_string(*options.port) : "");
        throw CommandError(file.string() + ": holds no target " + wanted);
    }
    return targets;
}

Span RangeOf(HistoryReader &reader, const HistoryOptions &options, std::int64_t target)
{
    const std::int64_t now = reader.NowMs();
    const std::int64_t until = options.untilMs.value_or(now);
    std::int64_t since = until;
    if (options.sinceMs)
        since = *options.sinceMs;
    else if (const auto extent = reader.Extent(target))
        since = std::min(extent->start, until);
    return {since, std::max(since, until)};
}

std::string Header(const HistoryOptions &options)
{
    if (options.format != OutputFormat::Csv)
        return {};
    switch (options.command) {
    case HistoryCommand::Report: return ReportCsvHeader();
    case HistoryCommand::Days: return DaysCsvHeader();
    case HistoryCommand::Outages: return OutageCsvHeader();
    case HistoryCommand::Checks: return CheckCsvHeader();
    case HistoryCommand::Targets: return TargetCsvHeader();
    default: return {};
    }
}

void PrintViews(HistoryReader &reader, const HistoryOptions &options, const std::vector<HistoryTarget> &targets,
                OutputStream &out)
{
    for (const HistoryTarget &target : targets) {
        const TargetView report{target, reader.View(target.id, RangeOf(reader, options, target.id))};
        const bool days = options.command == HistoryCommand::Days;
        std::string text;
        if (options.command == HistoryCommand::Outages) {
            for (const OutageSpan &outage : report.view.outages) {
                text += options.format == OutputFormat::Json  ? OutageJson(target, outage)
                        : options.format == OutputFormat::Csv ? OutageCsvRow(target, outage)
                                                              : OutageText(target, outage);
            }
        } else if (options.format == OutputFormat::Json) {
            text = days ? DaysJson(report) : ReportJson(report);
        } else if (options.format == OutputFormat::Csv) {
            text = days ? DaysCsvRows(report) : ReportCsvRow(report);
        } else {
            text = days ? DaysText(report) : ReportText(report);
        }
        if (!out.Write(text))
            return;
    }
}

void PrintChecks(HistoryReader &reader, const HistoryOptions &options, const std::vector<HistoryTarget> &targets,
                 OutputStream &out)
{
    const auto print = [&](const StoredCheck &check) {
        return out.Write(options.format == OutputFormat::Json  ? CheckJson(check)
                         : options.format == OutputFormat::Csv ? CheckCsvRow(check)
                                                               : CheckText(check));
    };
    if (options.host.empty()) {
        reader.ForEachCheck(0, RangeOf(reader, options, 0), print);
        return;
    }
    for (const HistoryTarget &target : targets)
        reader.ForEachCheck(target.id, RangeOf(reader, options, target.id), print);
}

int Read(const HistoryOptions &options, const std::filesystem::path &file, const HistorySurroundings &surroundings,
         OutputStream &out)
{
    ReaderSettings settings;
    settings.wall = surroundings.wall;
    HistoryReader reader(file, settings);
    const std::vector<HistoryTarget> targets = Chosen(reader, options, file);
    out.Write(Header(options));
    switch (options.command) {
    case HistoryCommand::Targets:
        for (const HistoryTarget &target : targets) {
            out.Write(options.format == OutputFormat::Json  ? TargetJson(target)
                      : options.format == OutputFormat::Csv ? TargetCsvRow(target)
                                                            : TargetLineText(target));
        }
        break;
    case HistoryCommand::Checks:
        PrintChecks(reader, options, targets, out);
        break;
    default:
        PrintViews(reader, options, targets, out);
        break;
    }
    return 0;
}

std::string Line(const char *type, const std::filesystem::path &file, std::uint64_t before, std::uint64_t after,
                 OutputFormat format)
{
    if (format == OutputFormat::Json)
        return std::string("{\"type\":\"") + type + "\",\"bytes_before\":" + std::to_string(before)
               + ",\"bytes_after\":" + std::to_string(after) + "}\n";
    if (format == OutputFormat::Csv)
        return "bytes_before,bytes_after\r\n" + std::to_string(before) + "," + std::to_string(after) + "\r\n";
    const char *done = std::string_view(type) == "prune" ? "pruned" : "vacuumed";
    return file.string() + ": " + done + ", " + std::to_string(before) + " bytes before, " + std::to_string(after)
           + " after\n";
}

int Write(const HistoryOptions &options, const std::filesystem::path &file, const HistorySurroundings &surroundings,
          OutputStream &out)
{
    if (!std::filesystem::exists(file))
        throw HistoryFileError(HistoryProblem::Missing, file.string() + ": no such file");
    const std::uint64_t before = HistoryFileBytes(file);
    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    try {
        if (options.command == HistoryCommand::Prune) {
            HistoryRetention retention;
            retention.maxBytes = options.maxBytes;
            for (bool more = true; more;) {
                SqliteTransaction transaction(db);
                more = MaintenanceStep(db, retention, ProcessLookup{}, Ms(surroundings.wall()), 60 * 60'000);
                transaction.Commit();
            }
            if (options.maxBytes)
                db.Execute("PRAGMA incremental_vacuum");
        } else {
            db.Execute("VACUUM");
        }
        db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const SqliteError &error) {
        throw HistoryErrorOf(file, error);
    }
    out.Write(Line(options.command == HistoryCommand::Prune ? "prune" : "vacuum", file, before, HistoryFileBytes(file),
                   options.format));
    return 0;
}

} // namespace

int RunHistoryCommand(const HistoryOptions &options, OutputStream &out, OutputStream &err,
                      const HistorySurroundings &surroundings)
{
    const std::filesystem::path file =
        options.file.isEmpty() ? DefaultHistoryFile(surroundings.environment) : std::filesystem::path(options.file.toStdString());
    try {
        if (file.empty())
            throw CommandError("no home folder for the history; name the file with --file");
        if (options.command == HistoryCommand::Prune || options.command == HistoryCommand::Vacuum)
            return Write(options, file, surroundings, out);
        return Read(options, file, surroundings, out);
    } catch (const SqliteError &error) {
        err.Write(std::string("kelvora-history: ") + HistoryErrorOf(file, error).what() + "\n");
    } catch (const std::exception &error) {
        err.Write(std::string("kelvora-history: ") + error.what() + "\n");
    }
    return kFailure;
}
