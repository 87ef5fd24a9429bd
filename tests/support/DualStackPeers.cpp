// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/DualStackPeers.h"

#include "support/PrivateNetwork.h"

#include <QProcess>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool RunIp(const QStringList &arguments, QString *reason)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForFinished(5000) || ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0) {
        *reason = QStringLiteral("ip %1: %2").arg(arguments.join(QLatin1Char(' ')),
                                                  QString::fromLocal8Bit(ip.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

// The socket address of `address` (dotted, or IPv6 text with a zone where
// it needs one) and `port`.
bool MakeAddress(const std::string &address, std::uint16_t port, sockaddr_storage &storage, socklen_t &length)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    storage = {};
    std::memcpy(&storage, found->ai_addr, found->ai_addrlen);
    length = found->ai_addrlen;
    ::freeaddrinfo(found);
    return true;
}

QString ErrnoText(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// True once a TCP connection to `address` is accepted. An IPv6 address
// added with nodad can be bound at once, and its prefix route (which serves
// a datagram connect) is there at once too; but the local route that
// delivers packets to it is put in place by the kernel's address work
// queue, which all namespaces share and which waits behind their set-up and
// teardown on a loaded machine. A SYN sent before then is dropped, and its
// retransmission a second later fails with "network unreachable". Only a
// connection that completes proves the address can be reached; a short wait
// per try keeps a dropped SYN from costing its one-second retransmission.
bool Reachable(const std::string &address)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (!MakeAddress(address, 0, storage, length))
        return false;
    const int listener = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int client = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    auto *generic = reinterpret_cast<sockaddr *>(&storage);
    bool reached = listener >= 0 && client >= 0 && ::bind(listener, generic, length) == 0
                && ::listen(listener, 1) == 0 && ::getsockname(listener, generic, &length) == 0;
    if (reached && ::connect(client, generic, length) != 0) {
        pollfd connecting{client, POLLOUT, 0};
        int error = 0;
        socklen_t errorLength = sizeof error;
        reached = errno == EINPROGRESS && ::poll(&connecting, 1, 50) == 1
               && ::getsockopt(client, SOL_SOCKET, SO_ERROR, &error, &errorLength) == 0 && error == 0;
    }
    for (const int fd : {client, listener}) {
        if (fd >= 0)
            ::close(fd);
    }
    return reached;
}

bool WaitUntilReachable(const std::vector<std::string> &addresses, QString *reason)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (const std::string &address : addresses) {
        while (!Reachable(address)) {
            if (std::chrono::steady_clock::now() > deadline) {
                *reason = QStringLiteral("the test address %1 accepted no connection within 10 s")
                              .arg(QString::fromStdString(address));
                return false;
            }
            ::usleep(10 * 1000);
        }
    }
    return true;
}

} // namespace

bool AddTestAddresses(QString *reason)
{
    static bool added = false;
    static QString failure;
    if (added || !failure.isEmpty()) {
        *reason = failure;
        return added;
    }
    if (!InPrivateNetwork()) {
        failure = *reason = QStringLiteral("needs a private network namespace");
        return false;
    }
    added = RunIp({"addr", "add", QString::fromLatin1(kTestIPv4) + "/32", "dev", "lo"}, &failure)
         && RunIp({"-6", "addr", "add", QString::fromLatin1(kTestIPv6) + "/128", "dev", "lo", "nodad"}, &failure)
         && RunIp({"-6", "addr", "add", QString::fromLatin1(kSecondTestIPv6) + "/128", "dev", "lo", "nodad"},
                  &failure)
         && RunIp({"-6", "addr", "add", QString::fromLatin1(kLinkLocalTestIPv6) + "/64", "dev", "lo", "nodad"},
                  &failure)
         && WaitUntilReachable({kTestIPv4, kTestIPv6, kSecondTestIPv6, std::string(kLinkLocalTestIPv6) + "%lo"},
                              &failure);
    *reason = failure;
    return added;
}

PeerSocket::PeerSocket(const std::string &address, std::uint16_t port, Kind kind) : port_(port)
{
    if (!Open(address, kind)) {
        if (error_.isEmpty())
            error_ = ErrnoText("peer socket");
        error_ += QStringLiteral(" (%1)").arg(QString::fromStdString(address));
    }
}

PeerSocket::~PeerSocket()
{
    for (const int fd : fillers_)
        ::close(fd);
    if (socket_ >= 0)
        ::close(socket_);
}

bool PeerSocket::Open(const std::string &address, Kind kind)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (!MakeAddress(address, port_, storage, length)) {
        error_ = QStringLiteral("no address");
        return false;
    }
    socket_ = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    if (socket_ < 0 || ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        return false;
    if (storage.ss_family == AF_INET6 && ::setsockopt(socket_, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on) != 0)
        return false;
    if (::bind(socket_, reinterpret_cast<sockaddr *>(&storage), length) != 0
        || ::getsockname(socket_, reinterpret_cast<sockaddr *>(&storage), &length) != 0)
        return false;
    port_ = ntohs(storage.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(storage).sin6_port
                                                : reinterpret_cast<sockaddr_in &>(storage).sin_port);
    switch (kind) {
    case Kind::Refusing: return true;
    case Kind::Accepting: return ::listen(socket_, 64) == 0;
    case Kind::Silent: return ::listen(socket_, 0) == 0 && Fill(address);
    }
    return false;
}

// A queue of length 0 still takes one connection and drops the SYNs of the
// rest; two are made so that it is surely full.
bool PeerSocket::Fill(const std::string &address)
{
    sockaddr_storage peer{};
    socklen_t length = 0;
    MakeAddress(address, port_, peer, length);
    for (int i = 0; i < 2; ++i) {
        const int filler = ::socket(peer.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (filler < 0)
            return false;
        fillers_.push_back(filler);
        if (::connect(filler, reinterpret_cast<sockaddr *>(&peer), length) != 0 && errno != EINPROGRESS)
            return false;
    }
    return true;
}

int PeerSocket::AcceptPending()
{
    for (int queued; (queued = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(queued);
        ++accepted_;
    }
    return accepted_;
}
