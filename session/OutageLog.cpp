// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/OutageLog.h"

#include <algorithm>

namespace {

constexpr std::size_t kFirstReservation = 16;

} // namespace

OutageLog::OutageLog(std::size_t capacity)
    : capacity_(capacity)
{
}

void OutageLog::Push(const Outage &outage)
{
    if (capacity_ == 0) {
        ++dropped_;
        return;
    }
    if (items_.size() < capacity_) {
        // Grow by doubling as a vector does, but never past the cap, so the
        // full log holds exactly capacity_ outages and nothing more.
        if (items_.size() == items_.capacity())
            items_.reserve(std::min(capacity_, std::max(kFirstReservation, items_.size() * 2)));
        items_.push_back(outage);
        return;
    }
    items_[oldest_] = outage;
    oldest_ = (oldest_ + 1) % capacity_;
    ++dropped_;
}

const Outage &OutageLog::Newest(std::size_t index) const noexcept
{
    // While the log fills, oldest_ stays 0 and the newest is at the back.
    const std::size_t size = items_.size();
    return items_[(oldest_ + size - 1 - index) % size];
}

std::size_t OutageLog::StorageBytes() const noexcept
{
    return items_.capacity() * sizeof(Outage);
}
