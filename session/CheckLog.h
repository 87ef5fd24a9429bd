// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "session/SessionCsv.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The newest checks of a session, up to a fixed number, each kept as the
// fields its csv row shows (the target, the same for every row of a session,
// is the session's and not kept here). Once full, each new check takes the
// place of the oldest, which is counted as dropped.
//
// The address and the error message are shared between neighbouring rows
// that have the same text, so a text repeated by every check of an outage
// costs its length once, not once per check. Storage grows with the checks
// up to the cap and is then reused.
class CheckLog final {
public:
    static constexpr std::size_t kDefaultCapacity = 100000;

    struct Entry {
        std::chrono::system_clock::time_point startedAt;
        std::chrono::nanoseconds elapsed{0};
        std::uint64_t seq = 0;
        std::shared_ptr<const std::string> address; // null when empty
        std::shared_ptr<const std::string> message; // null when empty
        // As reported: None, 0 and no message after a success.
        std::int32_t errorCode = 0;
        FailureReason reason = FailureReason::None;
        bool ok = false;

        // The entry's csv row for a check made against `target`; borrows
        // from both.
        CsvCheckRow Row(const ProbeTarget &target) const noexcept;
    };

    explicit CheckLog(std::size_t capacity = kDefaultCapacity);

    // Adds the check numbered `seq`.
    void Push(const CheckResult &result, std::uint64_t seq);

    std::size_t Size() const noexcept { return items_.size(); }
    std::size_t Capacity() const noexcept { return capacity_; }
    std::uint64_t Dropped() const noexcept { return dropped_; }

    // 0 is the oldest kept; index must be below Size().
    const Entry &Oldest(std::size_t index) const noexcept;

    // The memory the kept rows take: the slots, the texts beyond the slots
    // (each shared text once) and the object.
    std::size_t Bytes() const noexcept;

private:
    static std::shared_ptr<const std::string> Shared(std::shared_ptr<const std::string> &last,
                                                     const std::string &text);

    std::vector<Entry> items_;
    std::size_t capacity_;
    std::size_t oldest_ = 0;
    std::uint64_t dropped_ = 0;
    std::shared_ptr<const std::string> lastAddress_;
    std::shared_ptr<const std::string> lastMessage_;
};
