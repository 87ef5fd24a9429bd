// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/FailureReason.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

// Failed checks counted by reason, as the history stores them: a JSON object
// of the non-zero counts by reason key, {"refused":2,"timeout":1}, or NULL
// (an empty text here) when nothing failed.
class ReasonTally final {
public:
    // None counts as Other, like session/ReasonCounts.
    void Add(FailureReason reason, std::uint64_t times = 1) noexcept;
    void Merge(const ReasonTally &other) noexcept;

    std::uint64_t Count(FailureReason reason) const noexcept;
    std::uint64_t Total() const noexcept;
    bool Empty() const noexcept { return Total() == 0; }

    // The JSON object; "" when empty.
    std::string Json() const;
    // Reads what Json wrote; an unknown key counts as other. Nullopt for a
    // text that is no such object.
    static std::optional<ReasonTally> FromJson(std::string_view text);

    bool operator==(const ReasonTally &) const = default;

private:
    std::array<std::uint64_t, std::size(kFailureReasons)> counts_{};
};

// The reason of a key as ReasonKey gives it; nullopt for another text.
std::optional<FailureReason> ReasonOfKey(std::string_view key) noexcept;
