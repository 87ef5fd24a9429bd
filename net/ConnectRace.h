// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/CancelToken.h"
#include "net/ConnectReport.h"
#include "net/TIdSocketHandle.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// How every socket of a connect is bound and set up before it connects
// (see TIdSocketHandle for the local address, port and range).
struct SocketBinding {
    std::string ip;
    std::int32_t port = 0;
    std::int32_t portMin = 0;
    std::int32_t portMax = 0;
    bool noDelay = false;
};

// Opens `handle` as a socket of `family`, set up and bound as `binding`
// says. Raises as AllocateHandle, BindLocal and the no-delay option do.
void OpenBoundSocket(TIdSocketHandle &handle, int family, const SocketBinding &binding);

// AF_INET6 for the text of an IPv6 address, else AF_INET.
int FamilyOfAddress(const std::string &address);

// The order in which to try addresses (RFC 8305, section 4): the first
// address as the resolver put it, then the first of the other family, then
// the two families in turn, each in the resolver's order.
std::vector<std::string> InterleaveFamilies(const std::vector<std::string> &addresses);

// Connection racing over several addresses (RFC 8305, section 5): the first
// attempt starts at once, each next one when the one before has not
// connected within kAttemptDelay, or at once when every attempt running has
// failed. The first that connects wins; the others are closed. The time
// limit covers the whole race; a cancellation of the check or the
// process-wide interrupt ends every attempt at once.
class ConnectRace final {
public:
    static constexpr std::chrono::milliseconds kAttemptDelay{250};

    // `addresses` in the order to try them, at least one.
    ConnectRace(std::vector<std::string> addresses, std::int32_t port, SocketBinding binding);

    // Runs the race and leaves the winner, connected and its addresses read
    // back, in `endpoint`. An open socket already in `endpoint` (bound as
    // the binding says) serves the first attempt of its family. When every
    // attempt fails, raises EIdSocketError with the reason of the address
    // tried first (10060 when it was still going at the limit, 10004 when
    // the race was stopped) and a text that lists every address with its
    // reason; `endpoint` then holds no socket and names the first address.
    void Run(TIdSocketHandle &endpoint, std::int32_t timeLimitMs, const CancelToken &cancel);

    // The attempts started, in order, as they ended.
    const std::vector<ConnectAttemptReport> &Attempts() const noexcept { return reports_; }
    std::vector<ConnectAttemptReport> TakeAttempts() noexcept { return std::move(reports_); }

private:
    using Clock = std::chrono::steady_clock;
    struct Running {
        std::size_t report;
        TIdSocketHandle handle;
    };

    bool StartNext(TIdSocketHandle &endpoint, const CancelToken &cancel);
    bool Await(Clock::time_point until, const CancelToken &cancel);
    bool Complete(std::size_t runningIndex);
    void Fail(std::size_t report, std::int32_t code);
    void EndUnfinished(std::int32_t code);
    [[noreturn]] void Lose(TIdSocketHandle &endpoint, std::int32_t stopCode);

    std::vector<std::string> addresses_;
    std::int32_t port_;
    SocketBinding binding_;
    std::size_t next_ = 0;
    Clock::time_point nextStart_;
    std::vector<Running> running_;
    std::vector<int> sockets_; // of running_, for the wait
    std::vector<Clock::time_point> startedAt_;
    std::vector<ConnectAttemptReport> reports_;
    TIdSocketHandle winner_;
    bool won_ = false;
};
