// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/LoopbackListener.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// A socket bound to 127.0.0.1 on `port` (0: one the kernel picks); returns
// it and stores the port.
int BoundLoopbackSocket(std::uint16_t &port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s == -1)
        Fail("socket");
    if (port != 0) {
        const int yes = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    }
    sockaddr_in address = LoopbackAddress(port);
    socklen_t length = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == -1
        || ::getsockname(s, reinterpret_cast<sockaddr *>(&address), &length) == -1) {
        ::close(s);
        Fail("bind");
    }
    port = ntohs(address.sin_port);
    return s;
}

} // namespace

sockaddr_in LoopbackAddress(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}


LoopbackListener::LoopbackListener()
{
    listenSocket_ = BoundLoopbackSocket(port_);
    int pipeEnds[2];
    if (::listen(listenSocket_, SOMAXCONN) == -1 || ::pipe2(pipeEnds, O_CLOEXEC) == -1) {
        ::close(listenSocket_);
        Fail("listen");
    }
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread([this] { Serve(); });
}

LoopbackListener::~LoopbackListener()
{
    const char stop = 's';
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    ::close(listenSocket_);
}

void LoopbackListener::Serve()
{
    std::vector<pollfd> watched{{wakeRead_, POLLIN, 0}, {listenSocket_, POLLIN, 0}};
    while (true) {
        if (::poll(watched.data(), watched.size(), -1) == -1) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents != 0)
            break;
        if (watched[1].revents & POLLIN) {
            const int peer = ::accept4(listenSocket_, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer != -1) {
                ++accepted_;
                watched.push_back({peer, POLLIN, 0});
            }
        }
        for (std::size_t i = 2; i < watched.size();) {
            if (watched[i].revents == 0) {
                ++i;
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got == -1 && errno == EINTR)
                continue;
            if (got > 0) {
                bytes_ += static_cast<std::size_t>(got);
                watched[i].revents = 0;
                ++i;
                continue;
            }
            ::close(watched[i].fd);
            ++ended_;
            watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (std::size_t i = 2; i < watched.size(); ++i)
        ::close(watched[i].fd);
}

SilentPort::SilentPort(std::uint16_t port) : port_(port)
{
    listener_ = BoundLoopbackSocket(port_);
    if (::listen(listener_, 0) == -1) {
        ::close(listener_);
        Fail("listen");
    }
    // A queue of length 0 still takes one connection and drops the SYNs of
    // the rest; two are made so that it is surely full.
    const sockaddr_in peer = LoopbackAddress(port_);
    for (int &filler : fillers_) {
        filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (filler == -1
            || (::connect(filler, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == -1
                && errno != EINPROGRESS)) {
            const int error = errno;
            Close();
            errno = error;
            Fail("filling the queue");
        }
    }
}

void SilentPort::MakeRoom()
{
    // The fillers go first, so that none of their SYNs takes the room.
    for (int &fd : fillers_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    ::fcntl(listener_, F_SETFL, ::fcntl(listener_, F_GETFL) | O_NONBLOCK);
    for (int queued; (queued = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
        ::close(queued);
}

SilentPort::~SilentPort()
{
    Close();
}

void SilentPort::Close() noexcept
{
    for (int &fd : fillers_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    if (listener_ >= 0)
        ::close(listener_);
    listener_ = -1;
}

RefusingPort::RefusingPort()
{
    socket_ = BoundLoopbackSocket(port_);
}

RefusingPort::~RefusingPort()
{
    ::close(socket_);
}

int OpenDescriptorCount()
{
    DIR *dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    int count = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1; // the directory stream's own descriptor
}
