// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "HttpClient.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

int ConnectLoopback(std::uint16_t port, bool nonBlocking)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    const sockaddr_in peer = Loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray ReadToEnd(int fd, int timeoutMs)
{
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    char buffer[65536];
    while (clock.elapsed() < timeoutMs) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 100) <= 0)
            continue;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        answer.append(buffer, got);
    }
    return answer;
}

QByteArray HttpExchange(std::uint16_t port, const QByteArray &request, int timeoutMs)
{
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return {};
    [[maybe_unused]] const ssize_t sent = ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    QByteArray answer = ReadToEnd(fd, timeoutMs);
    ::close(fd);
    return answer;
}

QByteArray HttpGet(std::uint16_t port, const QByteArray &path, int timeoutMs)
{
    return HttpExchange(port, "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", timeoutMs);
}

int HttpStatus(const QByteArray &answer)
{
    if (!answer.startsWith("HTTP/1."))
        return 0;
    return answer.mid(9, 3).toInt();
}

QByteArray HttpBody(const QByteArray &answer)
{
    const qsizetype end = answer.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : answer.mid(end + 4);
}

std::uint16_t FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}
