// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "session/Outage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The newest outages, up to a fixed number, read newest first. Its storage
// grows with the first outages (never beyond the cap) and is then reused in a
// ring: once full, each new outage takes the place of the oldest, which is
// counted as dropped.
class OutageLog final {
public:
    explicit OutageLog(std::size_t capacity);

    // Appends an outage; with a capacity of 0 it is dropped at once.
    void Push(const Outage &outage);

    std::size_t Size() const noexcept { return items_.size(); }
    std::size_t Capacity() const noexcept { return capacity_; }
    std::uint64_t Dropped() const noexcept { return dropped_; }

    // 0 is the newest; index must be below Size().
    const Outage &Newest(std::size_t index) const noexcept;

    // The heap memory the kept outages take.
    std::size_t StorageBytes() const noexcept;

private:
    std::vector<Outage> items_;
    std::size_t capacity_;
    // Once full: the position of the oldest, which the next Push replaces.
    std::size_t oldest_ = 0;
    std::uint64_t dropped_ = 0;
};
