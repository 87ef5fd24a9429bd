// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "history/ProcessIdentity.h"
#include "history/SqliteDatabase.h"
#include "history/Timeline.h"
#include "monitor/CheckResult.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

// The writes of a recording program to an open history file (schema in
// history/HistorySchema.h), each as one statement or a few. The caller holds
// the transaction; every failure throws SqliteError. Address and failure
// ids are remembered; after a transaction was rolled back, Forget() drops
// what it may have taught.

struct NewRun {
    std::int64_t target = 0;
    std::string program;
    std::int64_t intervalMs = 0;
    std::int64_t startMs = 0;
    ProcessIdentity process;
};

struct NewCheck {
    std::int64_t run = 0;
    std::int64_t timeMs = 0;
    std::int64_t elapsedNs = 0;
    bool ok = false;
    FailureReason reason = FailureReason::None; // Other when a failure names none
    std::int32_t code = 0;
    std::string message;
    std::string address;
    AddressFamily family = AddressFamily::Unknown;
    std::int64_t lookupUs = 0;
    std::int64_t connectUs = 0;
};

// The number a family is stored as: 0, 4 or 6.
int FamilyNumber(AddressFamily family) noexcept;
AddressFamily FamilyOfNumber(std::int64_t number) noexcept;

class HistoryStore final {
public:
    explicit HistoryStore(SqliteDatabase &db);

    // The target's id, adding it when new.
    std::int64_t Target(const std::string &host, std::uint16_t port);
    std::int64_t StartRun(const NewRun &run);
    void SetInterval(std::int64_t run, std::int64_t intervalMs);
    // Closes the run at `endMs`, or at its last check's end when that is
    // later. `ended` is one of the words the schema lists.
    void EndRun(std::int64_t run, std::int64_t endMs, std::string_view ended);
    // Stores the check and counts it in its run. It is kept at its time or
    // later: not before `notBefore`, not before the target's rolled-up part
    // (whose aggregates are final), and at the first free millisecond when
    // another check is stored at that time. Returns the time it was stored at.
    std::int64_t AddCheck(const NewCheck &check, std::int64_t target, std::int64_t notBefore);
    void AddGap(std::int64_t run, Span gap, std::string_view kind);

    void Forget();

private:
    std::int64_t AddressId(const std::string &address, AddressFamily family);
    std::int64_t FailureId(FailureReason reason, std::int32_t code, const std::string &message);

    SqliteDatabase &db_;
    SqliteStatement findTarget_;
    SqliteStatement addTarget_;
    SqliteStatement rolledOf_;
    SqliteStatement addRun_;
    SqliteStatement setInterval_;
    SqliteStatement endRun_;
    SqliteStatement addCheck_;
    SqliteStatement nextFree_;
    SqliteStatement countCheck_;
    SqliteStatement addGap_;
    SqliteStatement addAddress_;
    SqliteStatement findAddress_;
    SqliteStatement addFailure_;
    SqliteStatement findFailure_;
    std::map<std::pair<std::string, int>, std::int64_t> addresses_;
    std::map<std::tuple<int, std::int32_t, std::string>, std::int64_t> failures_;
};
