// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "session/CheckLog.h"

#include "session/CheckEvent.h"

#include <set>

namespace {

std::string_view Text(const std::shared_ptr<const std::string> &text) noexcept
{
    return text ? std::string_view(*text) : std::string_view();
}

} // namespace

CsvCheckRow CheckLog::Entry::Row(const ProbeTarget &target) const noexcept
{
    return {startedAt, seq, target.host, Text(address), target.port, ok, elapsed, reason, errorCode, Text(message)};
}

CheckLog::CheckLog(std::size_t capacity) : capacity_(capacity) {}

std::shared_ptr<const std::string> CheckLog::Shared(std::shared_ptr<const std::string> &last, const std::string &text)
{
    if (text.empty())
        return nullptr;
    if (!last || *last != text)
        last = std::make_shared<const std::string>(text);
    return last;
}

void CheckLog::Push(const CheckResult &result, std::uint64_t seq)
{
    if (capacity_ == 0) {
        ++dropped_;
        return;
    }
    Entry entry;
    entry.startedAt = result.startedAt;
    entry.elapsed = result.elapsed;
    entry.seq = seq;
    entry.address = Shared(lastAddress_, result.address);
    if (!result.ok)
        entry.message = Shared(lastMessage_, result.errorMessage);
    entry.errorCode = result.ok ? 0 : result.errorCode;
    entry.reason = ReportedReason(result);
    entry.ok = result.ok;
    if (items_.size() < capacity_) {
        items_.push_back(std::move(entry));
        return;
    }
    items_[oldest_] = std::move(entry);
    oldest_ = (oldest_ + 1) % capacity_;
    ++dropped_;
}

const CheckLog::Entry &CheckLog::Oldest(std::size_t index) const noexcept
{
    return items_[(oldest_ + index) % items_.size()];
}

std::size_t CheckLog::Bytes() const noexcept
{
    std::size_t bytes = sizeof *this + items_.capacity() * sizeof(Entry);
    std::set<const std::string *> texts;
    for (const Entry &entry : items_)
        for (const auto *text : {entry.address.get(), entry.message.get()})
            if (text != nullptr && texts.insert(text).second)
                bytes += sizeof *text + (text->capacity() > 15 ? text->capacity() + 1 : 0);
    return bytes;
}
