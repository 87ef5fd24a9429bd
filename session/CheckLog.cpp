// SPDX-License-Identifier: MIT
#include "session/CheckLog.h"

#include <set>

CheckResult CheckLog::Entry::Result() const
{
    CheckResult result;
    result.startedAt = startedAt;
    result.elapsed = elapsed;
    result.ok = ok;
    result.address = address;
    result.reason = reason;
    result.errorCode = errorCode;
    if (message)
        result.errorMessage = *message;
    return result;
}

CheckLog::CheckLog(std::size_t capacity) : capacity_(capacity) {}

std::shared_ptr<const std::string> CheckLog::Shared(std::shared_ptr<const std::string> &last, const std::string &text)
{
    if (!last || *last != text)
        last = std::make_shared<const std::string>(text);
    return last;
}

void CheckLog::Push(const CheckResult &result, std::uint64_t seq, const std::string &host, std::uint16_t port)
{
    if (capacity_ == 0) {
        ++dropped_;
        return;
    }
    Entry entry;
    entry.startedAt = result.startedAt;
    entry.elapsed = result.elapsed;
    entry.seq = seq;
    entry.host = Shared(lastHost_, host);
    if (!result.ok && !result.errorMessage.empty())
        entry.message = Shared(lastMessage_, result.errorMessage);
    entry.address = result.address;
    entry.errorCode = result.ok ? 0 : result.errorCode;
    entry.reason = result.ok ? FailureReason::None : result.reason;
    entry.ok = result.ok;
    entry.port = port;
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
    for (const Entry &entry : items_) {
        for (const auto *text : {entry.host.get(), entry.message.get()})
            if (text != nullptr && texts.insert(text).second)
                bytes += sizeof *text + (text->capacity() > 15 ? text->capacity() + 1 : 0);
        if (entry.address.capacity() > 15)
            bytes += entry.address.capacity() + 1;
    }
    return bytes;
}
