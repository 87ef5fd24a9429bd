// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/Pruning.h"

#include "history/Rollup.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

constexpr std::int64_t kRowsPerStep = 2000;
constexpr std::int64_t kDayMs = 86'400'000;

struct TargetMarks {
    std::int64_t id = 0;
    std::int64_t rolled = 0;
    std::int64_t pruned = 0;
};

// Counts removed checks in their runs (runs.pruned), so that a check's
// number in its run stays known.
class PrunedCounts final {
public:
    void Add(std::int64_t run) { ++counts_[run]; }
    void Write(SqliteDatabase &db) const
    {
        SqliteStatement update = db.Prepare("UPDATE runs SET pruned = pruned + ?2 WHERE id = ?1");
        for (const auto &[run, count] : counts_) {
            update.Bind(1, run).Bind(2, count);
            update.Run();
            update.Reset();
        }
    }

private:
    std::map<std::int64_t, std::int64_t> counts_;
};

std::vector<TargetMarks> Targets(SqliteDatabase &db)
{
    std::vector<TargetMarks> targets;
    SqliteStatement select = db.Prepare("SELECT id, coalesce(rolled_ms, 0), coalesce(pruned_ms, 0) FROM targets");
    while (select.Step())
        targets.push_back({select.Int(0), select.Int(1), select.Int(2)});
    return targets;
}

// The raw checks from pruned_ms to `cutoff`: those of minutes with an
// aggregate removed, those of sparser minutes moved to sparse_checks. True
// when more is waiting.
bool PruneDenseRaw(SqliteDatabase &db, const TargetMarks &target, std::int64_t cutoff)
{
    if (target.pruned >= cutoff)
        return false;
    SqliteStatement select = db.Prepare("SELECT time_ms, run FROM checks WHERE time_ms >= ?1 AND time_ms < ?2"
                                        " AND run IN (SELECT id FROM runs WHERE target = ?3) ORDER BY time_ms LIMIT ?4");
    select.Bind(1, target.pruned).Bind(2, cutoff).Bind(3, target.id).Bind(4, kRowsPerStep);
    std::vector<std::int64_t> times;
    std::vector<std::int64_t> runs;
    while (select.Step()) {
        times.push_back(select.Int(0));
        runs.push_back(select.Int(1));
    }
    const bool more = static_cast<std::int64_t>(times.size()) == kRowsPerStep;
    if (!times.empty()) {
        std::set<std::int64_t> dense;
        SqliteStatement minutes = db.Prepare(
            "SELECT start_ms FROM minutes WHERE target = ?1 AND start_ms >= ?2 AND start_ms <= ?3");
        minutes.Bind(1, target.id).Bind(2, times.front() - times.front() % kMinuteMs).Bind(3, times.back());
        while (minutes.Step())
            dense.insert(minutes.Int(0));
        // A sparse minute's checks stand in for its aggregate: kept, slim.
        SqliteStatement keep = db.Prepare("INSERT INTO sparse_checks(time_ms, run, elapsed_ns, address, failure)"
                                          " SELECT time_ms, run, elapsed_ns, address, failure FROM checks WHERE time_ms = ?1");
        SqliteStatement remove = db.Prepare("DELETE FROM checks WHERE time_ms = ?1");
        PrunedCounts pruned;
        for (std::size_t i = 0; i < times.size(); ++i) {
            if (dense.count(times[i] - times[i] % kMinuteMs) == 0) {
                keep.Bind(1, times[i]);
                keep.Run();
                keep.Reset();
            } else {
                pruned.Add(runs[i]);
            }
            remove.Bind(1, times[i]);
            remove.Run();
            remove.Reset();
        }
        pruned.Write(db);
    }
    SqliteStatement mark = db.Prepare("UPDATE targets SET pruned_ms = ?2 WHERE id = ?1");
    mark.Bind(1, target.id).Bind(2, more ? times.back() + 1 : cutoff);
    mark.Run();
    return more;
}

// Removes the oldest rows of a statement's choosing; true when it removed
// a full step's worth. A statement that returns the run of each removed
// check has them counted.
bool RemoveOldest(SqliteDatabase &db, const char *sql, std::int64_t target, std::int64_t cutoff)
{
    SqliteStatement remove = db.Prepare(sql);
    remove.Bind(1, target).Bind(2, cutoff).Bind(3, kRowsPerStep);
    PrunedCounts pruned;
    std::int64_t removed = 0;
    while (remove.Step()) {
        pruned.Add(remove.Int(0));
        ++removed;
    }
    removed = std::max<std::int64_t>(removed, db.Changes());
    pruned.Write(db);
    return removed == kRowsPerStep;
}

constexpr const char *kRemoveOldRaw =
    "DELETE FROM checks WHERE time_ms IN (SELECT time_ms FROM checks WHERE time_ms < ?2"
    " AND run IN (SELECT id FROM runs WHERE target = ?1) ORDER BY time_ms LIMIT ?3) RETURNING run";
constexpr const char *kRemoveOldSparse =
    "DELETE FROM sparse_checks WHERE time_ms IN (SELECT time_ms FROM sparse_checks WHERE time_ms < ?2"
    " AND run IN (SELECT id FROM runs WHERE target = ?1) ORDER BY time_ms LIMIT ?3) RETURNING run";
constexpr const char *kRemoveOldMinutes =
    "DELETE FROM minutes WHERE target = ?1 AND start_ms IN (SELECT start_ms FROM minutes WHERE target = ?1"
    " AND start_ms < ?2 ORDER BY start_ms LIMIT ?3)";

bool PruneTarget(SqliteDatabase &db, const TargetMarks &target, const HistoryRetention &retention, std::int64_t nowMs)
{
    const std::int64_t rawCutoff = std::min(nowMs - retention.raw.count() * kDayMs, target.rolled);
    const std::int64_t minuteCutoff = std::min(nowMs - retention.minutes.count() * kDayMs, target.rolled);
    bool more = PruneDenseRaw(db, target, rawCutoff);
    more = RemoveOldest(db, kRemoveOldSparse, target.id, minuteCutoff) || more;
    more = RemoveOldest(db, kRemoveOldRaw, target.id, minuteCutoff) || more;
    more = RemoveOldest(db, kRemoveOldMinutes, target.id, minuteCutoff) || more;
    return more;
}

std::optional<std::int64_t> Oldest(SqliteDatabase &db, const char *sql, std::int64_t target, std::int64_t before)
{
    SqliteStatement select = db.Prepare(sql);
    select.Bind(1, target).Bind(2, before);
    if (select.Step() && !select.IsNull(0))
        return select.Int(0);
    return std::nullopt;
}

// Above the cap: the oldest detail of all targets goes first, a step at a
// time, raw checks before minute aggregates of the same age.
bool ThinForCap(SqliteDatabase &db, std::uint64_t maxBytes)
{
    if (UsedBytes(db) <= maxBytes)
        return false;
    std::optional<std::pair<std::int64_t, int>> oldest; // (time, 0 sparse / 1 raw / 2 minutes)
    std::int64_t owner = 0;
    for (const TargetMarks &target : Targets(db)) {
        const auto sparse = Oldest(db,
                                   "SELECT min(time_ms) FROM sparse_checks WHERE time_ms < ?2"
                                   " AND run IN (SELECT id FROM runs WHERE target = ?1)",
                                   target.id, target.rolled);
        const auto raw = Oldest(db,
                                "SELECT min(time_ms) FROM checks WHERE time_ms < ?2"
                                " AND run IN (SELECT id FROM runs WHERE target = ?1)",
                                target.id, target.rolled);
        const auto minute = Oldest(db, "SELECT min(start_ms) FROM minutes WHERE target = ?1 AND start_ms < ?2",
                                   target.id, target.rolled);
        for (const auto &candidate :
             {std::make_pair(sparse, 0), std::make_pair(raw, 1), std::make_pair(minute, 2)}) {
            if (candidate.first && (!oldest || std::make_pair(*candidate.first, candidate.second) < *oldest)) {
                oldest = std::make_pair(*candidate.first, candidate.second);
                owner = target.id;
            }
        }
    }
    if (!oldest)
        return false;
    const std::int64_t rolled = db.QueryInt("SELECT coalesce(rolled_ms, 0) FROM targets WHERE id = " + std::to_string(owner));
    static constexpr const char *kRemove[] = {kRemoveOldSparse, kRemoveOldRaw, kRemoveOldMinutes};
    RemoveOldest(db, kRemove[oldest->second], owner, rolled);
    db.Execute("PRAGMA incremental_vacuum(256)");
    return UsedBytes(db) > maxBytes;
}

} // namespace

std::uint64_t UsedBytes(SqliteDatabase &db)
{
    const auto pages = db.QueryInt("PRAGMA page_count") - db.QueryInt("PRAGMA freelist_count");
    return static_cast<std::uint64_t>(std::max<std::int64_t>(0, pages) * db.QueryInt("PRAGMA page_size"));
}

bool PruneStep(SqliteDatabase &db, const HistoryRetention &retention, std::int64_t nowMs)
{
    bool more = false;
    for (const TargetMarks &target : Targets(db))
        more = PruneTarget(db, target, retention, nowMs) || more;
    if (retention.maxBytes)
        more = ThinForCap(db, *retention.maxBytes) || more;
    return more;
}
