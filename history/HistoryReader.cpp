// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryReader.h"

#include "history/HistoryExport.h"
#include "history/HistorySchema.h"
#include "history/HistoryStore.h"
#include "history/RangeChecks.h"
#include "history/RangeState.h"
#include "history/ReasonTally.h"

#include <algorithm>
#include <map>

namespace {

// Checks read per transaction, so that a slow reader (a pager) does not
// hold one snapshot, and with it the file's write-ahead log, for long.
constexpr int kChecksPerRead = 5000;

std::optional<double> Percent(std::int64_t part, std::int64_t whole)
{
    if (whole <= 0)
        return std::nullopt;
    return 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::vector<HistoryDay> EmptyDays(Span range, std::int64_t cellMs)
{
    std::vector<HistoryDay> days;
    const std::vector<std::int64_t> midnights = LocalMidnights(range);
    for (std::size_t i = 0; i + 1 < midnights.size(); ++i) {
        HistoryDay day;
        day.day = LocalDayOf(midnights[i]);
        for (std::int64_t start = midnights[i]; start < midnights[i + 1]; start += cellMs) {
            HistoryCell cell;
            const std::int64_t end = std::min(start + cellMs, midnights[i + 1]);
            cell.span = {std::clamp(start, range.start, range.end), std::clamp(end, range.start, range.end)};
            day.cells.push_back(cell);
        }
        days.push_back(std::move(day));
    }
    return days;
}

void FillCells(std::vector<HistoryDay> &days, const std::vector<PeriodStats> &periods)
{
    std::size_t k = 0;
    for (HistoryDay &day : days) {
        for (HistoryCell &cell : day.cells) {
            const PeriodStats &period = periods[k++];
            cell.monitoredMs = period.monitoredMs;
            cell.upMs = period.upMs;
            cell.stats = period.stats;
            day.monitoredMs += cell.monitoredMs;
            day.upMs += cell.upMs;
            day.stats.Merge(cell.stats);
        }
    }
}

HistoryTotals TotalsOf(const HistoryView &view)
{
    HistoryTotals totals;
    for (const HistoryDay &day : view.days) {
        totals.monitoredMs += day.monitoredMs;
        totals.upMs += day.upMs;
        totals.stats.Merge(day.stats);
    }
    totals.downMs = totals.monitoredMs - totals.upMs;
    totals.notMonitoredMs = std::max<std::int64_t>(0, view.range.Length() - totals.monitoredMs);
    totals.availability = Percent(totals.upMs, totals.monitoredMs);
    totals.outages = view.outages.size();
    for (const OutageSpan &outage : view.outages) {
        const std::int64_t length = outage.end - outage.start;
        if (!totals.longestOutageMs || length > *totals.longestOutageMs)
            totals.longestOutageMs = length;
    }
    if (totals.outages > 0)
        totals.meanTimeBetweenOutagesMs = totals.upMs / static_cast<std::int64_t>(totals.outages);
    return totals;
}

CheckResult ResultOf(const SqliteStatement &row)
{
    CheckResult result;
    result.startedAt = std::chrono::system_clock::time_point(std::chrono::milliseconds(row.Int(0)));
    result.elapsed = std::chrono::nanoseconds(row.Int(2));
    result.address = row.Text(3);
    result.family = FamilyOfNumber(row.Int(4));
    result.ok = row.IsNull(5);
    if (!result.ok) {
        result.reason = ReasonOfKey(row.Text(5)).value_or(FailureReason::Other);
        result.errorCode = static_cast<std::int32_t>(row.Int(6));
        result.errorMessage = row.Text(7);
    }
    result.lookupElapsed = std::chrono::microseconds(row.Int(8));
    result.connectElapsed = std::chrono::microseconds(row.Int(9));
    return result;
}

} // namespace

std::optional<double> HistoryCell::FailedShare() const
{
    if (monitoredMs <= 0)
        return std::nullopt;
    return static_cast<double>(monitoredMs - upMs) / static_cast<double>(monitoredMs);
}

std::optional<double> HistoryDay::Availability() const
{
    return Percent(upMs, monitoredMs);
}

HistoryReader::HistoryReader(const std::filesystem::path &file, ReaderSettings settings)
    : file_(file)
    , settings_(std::move(settings))
    , db_(OpenHistoryFile(file, HistoryOpenMode::Read))
{
    if (!settings_.wall)
        settings_.wall = SystemClockNow;
    if (!settings_.processes.alive)
        settings_.processes.alive = ProcessAlive;
    try {
        StandInForLaterSchemas(db_, db_.QueryInt("PRAGMA user_version"));
    } catch (const SqliteError &error) {
        throw HistoryErrorOf(file, error);
    }
}

std::int64_t HistoryReader::NowMs() const
{
    return std::chrono::floor<std::chrono::milliseconds>(settings_.wall().time_since_epoch()).count();
}

std::int64_t HistoryReader::OpenRunEndOf(const RunRow &run, std::int64_t nowMs) const
{
    if (settings_.processes.alive(run.process))
        return std::max(nowMs, run.lastEndMs.value_or(run.startMs));
    return run.lastEndMs.value_or(run.startMs);
}

std::vector<HistoryTarget> HistoryReader::Targets()
{
    std::vector<HistoryTarget> targets;
    SqliteTransaction read(db_, SqliteTransaction::Kind::Read);
    SqliteStatement select = db_.Prepare(
        "SELECT t.id, t.host, t.port, min(r.first_ms), max(r.last_ms), coalesce(sum(r.checks), 0), count(r.id)"
        " FROM targets t LEFT JOIN runs r ON r.target = t.id GROUP BY t.id ORDER BY t.id");
    while (select.Step()) {
        HistoryTarget target;
        target.id = select.Int(0);
        target.host = select.Text(1);
        target.port = static_cast<std::uint16_t>(select.Int(2));
        if (!select.IsNull(3))
            target.firstMs = select.Int(3);
        if (!select.IsNull(4))
            target.lastMs = select.Int(4);
        target.checks = select.Int(5);
        target.runs = select.Int(6);
        targets.push_back(std::move(target));
    }
    return targets;
}

std::optional<std::int64_t> HistoryReader::FindTarget(const std::string &host, std::uint16_t port)
{
    SqliteStatement select = db_.Prepare("SELECT id FROM targets WHERE host = ?1 AND port = ?2");
    select.Bind(1, host).Bind(2, std::int64_t{port});
    if (select.Step())
        return select.Int(0);
    return std::nullopt;
}

std::optional<WatchedTarget> HistoryReader::LastWatched(const std::string &program)
{
    SqliteStatement select = db_.Prepare(
        "SELECT t.host, t.port, r.interval_ms, r.program FROM runs r JOIN targets t ON t.id = r.target"
        " WHERE ?1 = '' OR r.program = ?1 ORDER BY r.start_ms DESC, r.id DESC LIMIT 1");
    select.Bind(1, program);
    if (!select.Step())
        return std::nullopt;
    return WatchedTarget{select.Text(0), static_cast<std::uint16_t>(select.Int(1)),
                         std::chrono::milliseconds(select.Int(2)), select.Text(3)};
}

std::optional<Span> HistoryReader::Extent(std::int64_t target)
{
    SqliteStatement select = db_.Prepare("SELECT min(first_ms), max(last_end_ms) FROM runs WHERE ?1 = 0 OR target = ?1");
    select.Bind(1, target);
    if (!select.Step() || select.IsNull(0))
        return std::nullopt;
    return Span{select.Int(0), select.Int(1)};
}

HistoryView HistoryReader::View(std::int64_t target, Span range)
{
    HistoryView view;
    view.range = range;
    view.cellMs = range.Length() > kLongestFineRangeMs ? kCoarseCellMs : kFineCellMs;
    SqliteTransaction read(db_, SqliteTransaction::Kind::Read);
    const std::int64_t now = NowMs();
    const RangeState state =
        LoadRangeState(db_, target, range, [&](const RunRow &run) { return OpenRunEndOf(run, now); });

    view.days = EmptyDays(range, view.cellMs);
    std::vector<PeriodStats> periods;
    for (const HistoryDay &day : view.days) {
        for (const HistoryCell &cell : day.cells) {
            PeriodStats period;
            period.span = cell.span;
            periods.push_back(std::move(period));
        }
    }
    AddPieces(periods, state.pieces);
    AddRangeChecks(db_, target, state, periods, view.cellMs == kCoarseCellMs ? Detail::Hours : Detail::Minutes);
    FillCells(view.days, periods);

    for (const OutageSpan &outage : state.outages) {
        for (HistoryDay &day : view.days) {
            if (outage.start >= day.day.span.start && outage.start < day.day.span.end)
                ++day.outagesBegun;
        }
    }
    view.outages.assign(state.outages.rbegin(), state.outages.rend());
    view.totals = TotalsOf(view);
    return view;
}

void HistoryReader::ExportCsv(std::int64_t target, Span range, const std::function<bool(std::string_view)> &write)
{
    SqliteTransaction read(db_, SqliteTransaction::Kind::Read);
    ExportRangeCsv(db_, target, range, write);
}

void HistoryReader::ForEachCheck(std::int64_t target, Span range, const std::function<bool(const StoredCheck &)> &visit)
{
    std::map<std::int64_t, std::uint64_t> nextSeq;
    std::int64_t from = range.start;
    for (bool more = true; more;) {
        SqliteTransaction read(db_, SqliteTransaction::Kind::Read);
        SqliteStatement select = db_.Prepare(OverAllChecks(
            "SELECT c.time_ms, c.run, c.elapsed_ns, a.address, coalesce(a.family, 0), f.reason, f.code, f.message,"
            " {lookup}, {connect}, r.program, t.host, t.port, r.pruned, r.first_ms"
            " FROM {checks} c JOIN runs r ON r.id = c.run JOIN targets t ON t.id = r.target"
            " LEFT JOIN addresses a ON a.id = c.address LEFT JOIN failures f ON f.id = c.failure"
            " WHERE c.time_ms >= ?1 AND c.time_ms < ?2 AND (?3 = 0 OR r.target = ?3)",
            "ORDER BY 1 LIMIT ?4"));
        select.Bind(1, from).Bind(2, range.end).Bind(3, target).Bind(4, std::int64_t{kChecksPerRead});
        SqliteStatement earlier = db_.Prepare(
            "SELECT (SELECT count(*) FROM checks WHERE run = ?1 AND time_ms >= ?2 AND time_ms < ?3)"
            " + (SELECT count(*) FROM sparse_checks WHERE run = ?1 AND time_ms >= ?2 AND time_ms < ?3)");
        int rows = 0;
        while (select.Step()) {
            ++rows;
            StoredCheck check;
            check.run = select.Int(1);
            auto seq = nextSeq.find(check.run);
            if (seq == nextSeq.end()) {
                earlier.Bind(1, check.run).Bind(2, select.Int(14)).Bind(3, range.start);
                earlier.Step();
                const auto before = static_cast<std::uint64_t>(earlier.Int(0));
                earlier.Reset();
                seq = nextSeq.emplace(check.run, static_cast<std::uint64_t>(select.Int(13)) + before + 1).first;
            }
            check.seq = seq->second++;
            check.program = select.Text(10);
            check.host = select.Text(11);
            check.port = static_cast<std::uint16_t>(select.Int(12));
            check.result = ResultOf(select);
            from = select.Int(0) + 1;
            if (!visit(check))
                return;
        }
        more = rows == kChecksPerRead;
    }
}
