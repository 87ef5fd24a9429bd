// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/ConnectRace.h"

#include "net/IdException.h"
#include "net/IPAddress.h"
#include "net/SocketErrors.h"
#include "net/TIdStack.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

#include <algorithm>
#include <utility>

namespace {

TIdStack &Stack()
{
    TIdStack *stack = GStack();
    if (stack == nullptr)
        throw EIdStackError(MsgNoSocketStack);
    return *stack;
}

void SetNoDelay(TIdSocketHandle &handle, const SocketBinding &binding)
{
    if (!binding.noDelay)
        return;
    TIdStack &stack = Stack();
    stack.CheckSocketResult(stack.SysSetSockOpt(handle.OsSocket(), IPPROTO_TCP, TCP_NODELAY, 1));
}

// "[2001:db8::1]" or "192.0.2.1": the address as it stands before a colon.
std::string Bracketed(const std::string &address)
{
    if (FamilyOfAddress(address) != AF_INET6)
        return address;
    std::string bracketed;
    bracketed.reserve(address.size() + 2);
    bracketed += '[';
    bracketed += address;
    bracketed += ']';
    return bracketed;
}

} // namespace

void OpenBoundSocket(TIdSocketHandle &handle, int family, const SocketBinding &binding)
{
    handle.AllocateHandle(family);
    handle.SetIP(binding.ip);
    handle.SetPort(binding.port);
    handle.SetClientPortMin(binding.portMin);
    handle.SetClientPortMax(binding.portMax);
    handle.BindLocal();
    SetNoDelay(handle, binding);
}

int FamilyOfAddress(const std::string &address)
{
    return address.find(':') != std::string::npos ? AF_INET6 : AF_INET;
}

std::vector<std::string> InterleaveFamilies(const std::vector<std::string> &addresses)
{
    if (addresses.empty())
        return {};
    const int firstFamily = FamilyOfAddress(addresses.front());
    std::vector<std::string> first;
    std::vector<std::string> other;
    for (const std::string &address : addresses)
        (FamilyOfAddress(address) == firstFamily ? first : other).push_back(address);
    std::vector<std::string> ordered;
    ordered.reserve(addresses.size());
    for (std::size_t i = 0; i < std::max(first.size(), other.size()); ++i) {
        if (i < first.size())
            ordered.push_back(first[i]);
        if (i < other.size())
            ordered.push_back(other[i]);
    }
    return ordered;
}

ConnectRace::ConnectRace(std::vector<std::string> addresses, std::int32_t port, SocketBinding binding)
    : addresses_(std::move(addresses)), port_(port), binding_(std::move(binding))
{
    reports_.reserve(addresses_.size());
    startedAt_.reserve(addresses_.size());
}

void ConnectRace::Run(TIdSocketHandle &endpoint, std::int32_t timeLimitMs, const CancelToken &cancel)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs);
    nextStart_ = Clock::now();
    while (!won_) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline && next_ > 0)
            Lose(endpoint, 0); // what is still going has timed out
        if (next_ < addresses_.size() && (now >= nextStart_ || running_.empty())) {
            if (!StartNext(endpoint, cancel))
                Lose(endpoint, WSAEINTR);
            continue;
        }
        if (running_.empty())
            Lose(endpoint, 0); // every address failed
        const Clock::time_point until = next_ < addresses_.size() ? std::min(deadline, nextStart_) : deadline;
        if (!Await(until, cancel))
            Lose(endpoint, WSAEINTR);
    }
    // The attempts still going are not needed: their sockets close here.
    const Clock::time_point end = Clock::now();
    for (const Running &running : running_)
        reports_[running.report].elapsed = end - startedAt_[running.report];
    running_.clear();
    endpoint = std::move(winner_);
}

// Starts the next address's attempt; false when the race was stopped.
bool ConnectRace::StartNext(TIdSocketHandle &endpoint, const CancelToken &cancel)
{
    const std::size_t index = next_++;
    const std::string &address = addresses_[index];
    const int family = FamilyOfAddress(address);
    reports_.push_back({address, family == AF_INET6 ? IPVersion::IPv6 : IPVersion::IPv4, false, 0, {}, {}});
    startedAt_.push_back(Clock::now());
    nextStart_ = startedAt_.back() + kAttemptDelay;
    TIdSocketHandle handle;
    int result = -1;
    try {
        if (endpoint.SocketOpen() && endpoint.Family() == family) {
            handle = std::move(endpoint); // opened and bound for this family already
            SetNoDelay(handle, binding_);
        } else {
            OpenBoundSocket(handle, family, binding_);
        }
        handle.SetRemoteIP(address);
        handle.SetRemotePort(port_);
        result = handle.StartConnect(cancel);
    } catch (const EIdSocketError &error) {
        Fail(index, error.LastError());
        return true;
    }
    const int code = result == 0 ? 0 : Stack().SysLastError();
    if (result == 0 || code == WSAEINPROGRESS) {
        running_.push_back({index, std::move(handle)});
        if (result == 0)
            Complete(running_.size() - 1);
        return true;
    }
    if (code == WSAEINTR) {
        Fail(index, code);
        EndUnfinished(code);
        return false;
    }
    Fail(index, code);
    return true;
}

// Waits for an attempt to end until `until`; false when the race was
// stopped.
bool ConnectRace::Await(Clock::time_point until, const CancelToken &cancel)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0)
        return true;
    sockets_.clear();
    for (const Running &running : running_)
        sockets_.push_back(running.handle.OsSocket());
    TIdStack &stack = Stack();
    int ended = -1;
    const int result = stack.SysAwaitConnects(sockets_, int(left.count()), cancel, ended);
    if (result == 0 && ended >= 0) {
        Complete(std::size_t(ended));
        return true;
    }
    const int code = stack.SysLastError();
    if (ended >= 0) {
        Fail(running_[std::size_t(ended)].report, code);
        running_.erase(running_.begin() + ended);
        return true;
    }
    if (code == WSAETIMEDOUT)
        return true; // time for the next attempt, or the limit: the loop decides
    EndUnfinished(code);
    return false;
}

// The connect of running_[index] succeeded: it wins, unless reading its
// addresses back shows it failed after all.
bool ConnectRace::Complete(std::size_t index)
{
    Running &running = running_[index];
    try {
        running.handle.CompleteConnect();
    } catch (const EIdSocketError &error) {
        Fail(running.report, error.LastError());
        running_.erase(running_.begin() + std::ptrdiff_t(index));
        return false;
    }
    ConnectAttemptReport &report = reports_[running.report];
    report.connected = true;
    report.elapsed = Clock::now() - startedAt_[running.report];
    winner_ = std::move(running.handle);
    running_.erase(running_.begin() + std::ptrdiff_t(index));
    won_ = true;
    return true;
}

// An attempt failed: the next one need not wait.
void ConnectRace::Fail(std::size_t report, std::int32_t code)
{
    ConnectAttemptReport &attempt = reports_[report];
    attempt.errorCode = code;
    attempt.errorText = Stack().SocketErrorText(code);
    attempt.elapsed = Clock::now() - startedAt_[report];
    nextStart_ = Clock::now();
}

void ConnectRace::EndUnfinished(std::int32_t code)
{
    for (const Running &running : running_)
        Fail(running.report, code);
    running_.clear();
}

void ConnectRace::Lose(TIdSocketHandle &endpoint, std::int32_t stopCode)
{
    EndUnfinished(stopCode != 0 ? stopCode : WSAETIMEDOUT);
    const std::int32_t code = stopCode != 0 ? stopCode : reports_.front().errorCode;
    TIdStack &stack = Stack();
    std::string text = stack.SocketErrorText(code) + " Tried";
    for (std::size_t i = 0; i < reports_.size(); ++i)
        text += (i == 0 ? " " : "; ") + Bracketed(reports_[i].address) + ": " + reports_[i].errorText;
    endpoint.ReleaseHandle();
    endpoint.SetRemoteIP(addresses_.front());
    endpoint.SetRemotePort(port_);
    stack.RaiseSocketError(code, text);
}
