// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

// A TCP server on 127.0.0.1 with a port the kernel chose. A thread of its own
// accepts every connection and reads each to its end, counting the bytes; a
// connection has ended when its peer closed the sending side (or reset it).
// Raises std::runtime_error when it cannot listen.
class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener &) = delete;
    LoopbackListener &operator=(const LoopbackListener &) = delete;

    std::uint16_t Port() const noexcept { return port_; }

    int Accepted() const noexcept { return accepted_.load(); } // connections so far
    int Ended() const noexcept { return ended_.load(); }       // of them, ended by the peer
    int Open() const noexcept { return Accepted() - Ended(); } // accepted, not yet ended
    std::size_t BytesReceived() const noexcept { return bytes_.load(); }

private:
    void Serve();

    int listenSocket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<int> ended_{0};
    std::atomic<std::size_t> bytes_{0};
    std::thread thread_;
};

// A port on 127.0.0.1 that refuses connections: a socket bound to it that
// never listens, held for the object's lifetime.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort &) = delete;
    RefusingPort &operator=(const RefusingPort &) = delete;

    std::uint16_t Port() const noexcept { return port_; }

private:
    int socket_ = -1;
    std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 that never answers: a listener with a queue of length
// 0 that never accepts, its queue filled by connections of its own, so the
// SYNs of every further connect are dropped. `port` 0: one the kernel picks.
class SilentPort {
public:
    explicit SilentPort(std::uint16_t port = 0);
    ~SilentPort();
    SilentPort(const SilentPort &) = delete;
    SilentPort &operator=(const SilentPort &) = delete;

    std::uint16_t Port() const noexcept { return port_; }

    // Makes room in the queue once: a connect that is waiting then completes
    // when its SYN is sent again, about a second after it began (the
    // kernel's first retransmission).
    void MakeRoom();

private:
    void Close() noexcept;

    int listener_ = -1;
    int fillers_[2] = {-1, -1};
    std::uint16_t port_ = 0;
};

// 127.0.0.1:`port` as a socket address.
sockaddr_in LoopbackAddress(std::uint16_t port);

// The number of open descriptors of this process.
int OpenDescriptorCount();
