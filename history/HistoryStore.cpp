// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

std::int64_t CeilMs(std::int64_t ns)
{
    return ns <= 0 ? 0 : (ns + 999'999) / 1'000'000;
}

} // namespace

int FamilyNumber(AddressFamily family) noexcept
{
    switch (family) {
    case AddressFamily::IPv4: return 4;
    case AddressFamily::IPv6: return 6;
    case AddressFamily::Unknown: break;
    }
    return 0;
}

AddressFamily FamilyOfNumber(std::int64_t number) noexcept
{
    return number == 4 ? AddressFamily::IPv4 : number == 6 ? AddressFamily::IPv6 : AddressFamily::Unknown;
}

HistoryStore::HistoryStore(SqliteDatabase &db)
    : db_(db)
    , findTarget_(db.Prepare("SELECT id FROM targets WHERE host = ?1 AND port = ?2"))
    , addTarget_(db.Prepare("INSERT INTO targets(host, port) VALUES(?1, ?2)"))
    , rolledOf_(db.Prepare("SELECT coalesce(rolled_ms, 0) FROM targets WHERE id = ?1"))
    , addRun_(db.Prepare("INSERT INTO runs(target, program, interval_ms, start_ms, pid, pid_start, boot_id)"
                         " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)"))
    , setInterval_(db.Prepare("UPDATE runs SET interval_ms = ?2 WHERE id = ?1"))
    , endRun_(db.Prepare("UPDATE runs SET end_ms = max(?2, coalesce(last_end_ms, ?2), start_ms), ended = ?3"
                         " WHERE id = ?1 AND end_ms IS NULL"))
    , addCheck_(db.Prepare("INSERT INTO checks(time_ms, run, elapsed_ns, address, failure, lookup_us, connect_us)"
                           " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)"))
    , nextFree_(db.Prepare("SELECT c.time_ms + 1 FROM checks c WHERE c.time_ms >= ?1 AND NOT EXISTS"
                           " (SELECT 1 FROM checks n WHERE n.time_ms = c.time_ms + 1) ORDER BY c.time_ms LIMIT 1"))
    , countCheck_(db.Prepare("UPDATE runs SET first_ms = coalesce(first_ms, ?2), last_ms = ?2,"
                             " last_end_ms = max(coalesce(last_end_ms, ?3), ?3), checks = checks + 1 WHERE id = ?1"))
    , addGap_(db.Prepare("INSERT OR REPLACE INTO gaps(run, start_ms, end_ms, kind) VALUES(?1, ?2, ?3, ?4)"))
    , addAddress_(db.Prepare("INSERT OR IGNORE INTO addresses(address, family) VALUES(?1, ?2)"))
    , findAddress_(db.Prepare("SELECT id FROM addresses WHERE address = ?1 AND family = ?2"))
    , addFailure_(db.Prepare("INSERT OR IGNORE INTO failures(reason, code, message) VALUES(?1, ?2, ?3)"))
    , findFailure_(db.Prepare("SELECT id FROM failures WHERE reason = ?1 AND code = ?2 AND message = ?3"))
{
}

std::int64_t HistoryStore::Target(const std::string &host, std::uint16_t port)
{
    findTarget_.Bind(1, host).Bind(2, std::int64_t{port});
    const bool found = findTarget_.Step();
    const std::int64_t id = found ? findTarget_.Int(0) : 0;
    findTarget_.Reset();
    if (found)
        return id;
    addTarget_.Bind(1, host).Bind(2, std::int64_t{port});
    addTarget_.Run();
    addTarget_.Reset();
    return db_.LastInsertRowId();
}

std::int64_t HistoryStore::StartRun(const NewRun &run)
{
    addRun_.Bind(1, run.target).Bind(2, run.program).Bind(3, run.intervalMs).Bind(4, run.startMs);
    addRun_.Bind(5, run.process.pid).Bind(6, run.process.startTicks).Bind(7, run.process.bootId);
    addRun_.Run();
    addRun_.Reset();
    return db_.LastInsertRowId();
}

void HistoryStore::SetInterval(std::int64_t run, std::int64_t intervalMs)
{
    setInterval_.Bind(1, run).Bind(2, intervalMs);
    setInterval_.Run();
    setInterval_.Reset();
}

void HistoryStore::EndRun(std::int64_t run, std::int64_t endMs, std::string_view ended)
{
    endRun_.Bind(1, run).Bind(2, endMs).Bind(3, ended);
    endRun_.Run();
    endRun_.Reset();
}

std::int64_t HistoryStore::AddCheck(const NewCheck &check, std::int64_t target, std::int64_t notBefore)
{
    rolledOf_.Bind(1, target);
    const std::int64_t rolled = rolledOf_.Step() ? rolledOf_.Int(0) : 0;
    rolledOf_.Reset();
    std::int64_t time = std::max({check.timeMs, notBefore, rolled});
    const std::int64_t address = check.address.empty() && check.family == AddressFamily::Unknown
                                     ? 0
                                     : AddressId(check.address, check.family);
    const std::int64_t failure = check.ok ? 0 : FailureId(check.reason, check.code, check.message);
    for (bool stored = false; !stored;) {
        addCheck_.Bind(1, time).Bind(2, check.run).Bind(3, check.elapsedNs);
        address != 0 ? addCheck_.Bind(4, address) : addCheck_.BindNull(4);
        failure != 0 ? addCheck_.Bind(5, failure) : addCheck_.BindNull(5);
        addCheck_.Bind(6, check.lookupUs).Bind(7, check.connectUs);
        try {
            addCheck_.Run();
            stored = true;
        } catch (const SqliteError &error) {
            addCheck_.Reset();
            if (error.Code() != SQLITE_CONSTRAINT_PRIMARYKEY)
                throw;
            // The first free millisecond after the checks stored from here on.
            nextFree_.Bind(1, time);
            nextFree_.Step();
            time = nextFree_.Int(0);
            nextFree_.Reset();
        }
        addCheck_.Reset();
    }
    countCheck_.Bind(1, check.run).Bind(2, time).Bind(3, time + std::max<std::int64_t>(1, CeilMs(check.elapsedNs)));
    countCheck_.Run();
    countCheck_.Reset();
    return time;
}

void HistoryStore::AddGap(std::int64_t run, Span gap, std::string_view kind)
{
    addGap_.Bind(1, run).Bind(2, gap.start).Bind(3, gap.end).Bind(4, kind);
    addGap_.Run();
    addGap_.Reset();
}

void HistoryStore::Forget()
{
    addresses_.clear();
    failures_.clear();
}

std::int64_t HistoryStore::AddressId(const std::string &address, AddressFamily family)
{
    const auto key = std::make_pair(address, FamilyNumber(family));
    if (const auto it = addresses_.find(key); it != addresses_.end())
        return it->second;
    addAddress_.Bind(1, address).Bind(2, std::int64_t{key.second});
    addAddress_.Run();
    addAddress_.Reset();
    findAddress_.Bind(1, address).Bind(2, std::int64_t{key.second});
    findAddress_.Step();
    const std::int64_t id = findAddress_.Int(0);
    findAddress_.Reset();
    addresses_.emplace(key, id);
    return id;
}

std::int64_t HistoryStore::FailureId(FailureReason reason, std::int32_t code, const std::string &message)
{
    const FailureReason named = reason == FailureReason::None ? FailureReason::Other : reason;
    const auto key = std::make_tuple(static_cast<int>(named), code, message);
    if (const auto it = failures_.find(key); it != failures_.end())
        return it->second;
    const std::string reasonKey(ReasonKey(named));
    addFailure_.Bind(1, reasonKey).Bind(2, std::int64_t{code}).Bind(3, message);
    addFailure_.Run();
    addFailure_.Reset();
    findFailure_.Bind(1, reasonKey).Bind(2, std::int64_t{code}).Bind(3, message);
    findFailure_.Step();
    const std::int64_t id = findFailure_.Int(0);
    findFailure_.Reset();
    failures_.emplace(key, id);
    return id;
}
