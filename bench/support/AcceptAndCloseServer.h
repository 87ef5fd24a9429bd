// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <thread>

// Accepts every connection on 127.0.0.1, or on ::1 for AF_INET6 (on a port
// the kernel picks), and
// closes it as soon as the peer has closed its side, with a reset: neither
// side then keeps the connection in TIME_WAIT, so a benchmark cannot use up
// the loopback ports that other programs on the machine need. (Resetting
// before the peer's close would make the peer's reading back of the addresses
// fail.) Serves on a thread of its own until destroyed; throws
// std::runtime_error when it cannot listen.
class AcceptAndCloseServer final {
public:
    explicit AcceptAndCloseServer(int family = AF_INET);
    ~AcceptAndCloseServer();
    AcceptAndCloseServer(const AcceptAndCloseServer &) = delete;
    AcceptAndCloseServer &operator=(const AcceptAndCloseServer &) = delete;

    std::uint16_t Port() const { return port_; }

private:
    void Serve();

    int listen_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// 127.0.0.1:`port`, ready for bind or connect.
sockaddr_in LoopbackAddress(std::uint16_t port);
// [::1]:`port` likewise.
sockaddr_in6 LoopbackAddress6(std::uint16_t port);
