// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/HistoryMaintenance.h"

#include "history/Rollup.h"

#include <vector>

int CloseLostRuns(SqliteDatabase &db, const ProcessLookup &processes)
{
    struct Open {
        std::int64_t id;
        ProcessIdentity process;
    };
    std::vector<Open> open;
    SqliteStatement select = db.Prepare("SELECT id, coalesce(pid, 0), coalesce(pid_start, 0), coalesce(boot_id, '')"
                                        " FROM runs WHERE end_ms IS NULL");
    while (select.Step())
        open.push_back({select.Int(0), {select.Int(1), select.Int(2), select.Text(3)}});
    SqliteStatement close = db.Prepare("UPDATE runs SET end_ms = coalesce(last_end_ms, start_ms), ended = 'lost'"
                                       " WHERE id = ?1 AND end_ms IS NULL");
    int closed = 0;
    for (const Open &run : open) {
        if (processes.alive(run.process))
            continue;
        close.Bind(1, run.id);
        close.Run();
        close.Reset();
        ++closed;
    }
    return closed;
}

bool MaintenanceStep(SqliteDatabase &db, const HistoryRetention &retention, const ProcessLookup &processes,
                     std::int64_t nowMs, std::int64_t rollupStepMs)
{
    CloseLostRuns(db, processes);
    std::vector<std::int64_t> targets;
    SqliteStatement select = db.Prepare("SELECT id FROM targets ORDER BY id");
    while (select.Step())
        targets.push_back(select.Int(0));
    bool more = false;
    for (const std::int64_t target : targets)
        more = RollUpStep(db, target, nowMs, rollupStepMs) || more;
    return PruneStep(db, retention, nowMs) || more;
}
