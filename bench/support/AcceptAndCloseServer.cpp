// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/AcceptAndCloseServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

AcceptAndCloseServer::AcceptAndCloseServer(int family)
{
    listen_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET6) {
        reinterpret_cast<sockaddr_in6 &>(address) = LoopbackAddress6(0);
        length = sizeof(sockaddr_in6);
    } else {
        reinterpret_cast<sockaddr_in &>(address) = LoopbackAddress(0);
        length = sizeof(sockaddr_in);
    }
    int wake[2];
    if (listen_ == -1 || ::bind(listen_, reinterpret_cast<sockaddr *>(&address), length) == -1
        || ::getsockname(listen_, reinterpret_cast<sockaddr *>(&address), &length) == -1
        || ::listen(listen_, SOMAXCONN) == -1 || ::pipe2(wake, O_CLOEXEC) == -1)
        throw std::runtime_error(family == AF_INET6 ? "cannot listen on ::1" : "cannot listen on 127.0.0.1");
    port_ = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(address).sin6_port
                                     : reinterpret_cast<sockaddr_in &>(address).sin_port);
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    thread_ = std::thread([this] { Serve(); });
}

AcceptAndCloseServer::~AcceptAndCloseServer()
{
    const char stop = 's';
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    ::close(listen_);
}

sockaddr_in LoopbackAddress(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

sockaddr_in6 LoopbackAddress6(std::uint16_t port)
{
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_loopback;
    return address;
}

void AcceptAndCloseServer::Serve()
{
    std::vector<pollfd> watched{{wakeRead_, POLLIN, 0}, {listen_, POLLIN, 0}};
    const linger abortive{1, 0};
    while (::poll(watched.data(), watched.size(), -1) >= 0 && watched[0].revents == 0) {
        if (watched[1].revents != 0) {
            const int peer = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer != -1)
                watched.push_back({peer, POLLIN, 0});
        }
        for (std::size_t i = 2; i < watched.size();) {
            char byte;
            if (watched[i].revents == 0 || ::read(watched[i].fd, &byte, 1) > 0) {
                ++i;
                continue;
            }
            ::setsockopt(watched[i].fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            ::close(watched[i].fd);
            watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (std::size_t i = 2; i < watched.size(); ++i)
        ::close(watched[i].fd);
}
