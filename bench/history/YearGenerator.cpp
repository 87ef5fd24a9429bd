// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "YearGenerator.h"

#include "history/HistoryFile.h"
#include "history/HistoryMaintenance.h"
#include "history/HistoryStore.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace {

constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kDayMs = 24 * kHourMs;

// The made-up line: a check's figures at a time.
class Line final {
public:
    NewCheck At(std::int64_t t)
    {
        NewCheck check;
        check.timeMs = t;
        check.address = "192.0.2.80";
        check.family = AddressFamily::IPv4;
        const bool inOutage = t % (2 * kDayMs) < outageLength_;
        check.ok = !inOutage && uniform_(random_) > 0.001;
        const double ms = latency_(random_);
        check.elapsedNs = static_cast<std::int64_t>(ms * 1e6);
        if (check.ok) {
            check.lookupUs = static_cast<std::int64_t>(300 + uniform_(random_) * 1500);
            check.connectUs = std::max<std::int64_t>(0, check.elapsedNs / 1000 - check.lookupUs - 50);
        } else {
            check.reason = inOutage ? FailureReason::Timeout : FailureReason::Refused;
            check.code = inOutage ? 10060 : 10061;
            check.message = inOutage ? "Connection timed out." : "Connection refused.";
            check.lookupUs = 900;
        }
        if (t % (2 * kDayMs) == 0)
            outageLength_ = static_cast<std::int64_t>(60'000 + uniform_(random_) * 540'000);
        return check;
    }

private:
    std::mt19937_64 random_{20260101};
    std::uniform_real_distribution<double> uniform_{0, 1};
    std::lognormal_distribution<double> latency_{std::log(18.0), 0.25};
    std::int64_t outageLength_ = 300'000;
};

} // namespace

GeneratedYear GenerateHistory(const std::filesystem::path &file, std::chrono::milliseconds interval, int days,
                              std::int64_t endMs)
{
    const auto started = std::chrono::steady_clock::now();
    std::filesystem::remove(file);
    SqliteDatabase db = OpenHistoryFile(file, HistoryOpenMode::Write);
    HistoryStore store(db);
    const ProcessIdentity me{1, 1, "generator"};
    ProcessLookup processes;
    processes.current = [me] { return me; };
    processes.alive = [](const ProcessIdentity &p) { return p.bootId == "generator"; };
    const HistoryRetention retention;
    Line line;
    GeneratedYear year;
    const std::int64_t start = endMs - days * kDayMs;
    std::int64_t target = 0;
    std::int64_t run = 0;
    std::int64_t runStart = 0;
    for (std::int64_t hour = start; hour < endMs; hour += kHourMs) {
        SqliteTransaction transaction(db);
        if (run == 0 || hour - runStart >= 7 * kDayMs) {
            if (run != 0)
                store.EndRun(run, hour, "exit");
            target = store.Target("example.org", 80);
            run = store.StartRun({target, "kelvora", interval.count(), hour, me});
            runStart = hour;
        }
        for (std::int64_t t = hour; t < hour + kHourMs; t += interval.count()) {
            NewCheck check = line.At(t);
            check.run = run;
            store.AddCheck(check, target, t);
            ++year.checks;
        }
        transaction.Commit();
        for (bool more = true; more;) {
            SqliteTransaction upkeep(db);
            more = MaintenanceStep(db, retention, processes, hour + kHourMs, kHourMs);
            upkeep.Commit();
        }
    }
    {
        SqliteTransaction transaction(db);
        store.EndRun(run, endMs, "exit");
        transaction.Commit();
    }
    db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
    year.usedBytes = UsedBytes(db);
    year.fileBytes = HistoryFileBytes(file);
    year.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return year;
}
