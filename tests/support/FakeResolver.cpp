// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/FakeResolver.h"

#include "support/PrivateNetwork.h"

#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char *kResolvConf = "/etc/resolv.conf";
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypeAAAA = 28;
constexpr std::uint8_t kNoSuchName = 3;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

QString FakeConfPath()
{
    return QDir::tempPath() + QStringLiteral("/kelvora-resolv-%1.conf").arg(::getpid());
}

} // namespace

FakeResolver::FakeResolver()
{
    if (!InPrivateNetwork()) {
        error_ = QStringLiteral("needs a private network namespace");
        return;
    }
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::pipe2(wake_, O_CLOEXEC) != 0) {
        error_ = QStringLiteral("DNS server on 127.0.0.1:53: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    QFile conf(FakeConfPath());
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || conf.write("nameserver 127.0.0.1\noptions timeout:1 attempts:1\n") < 0) {
        error_ = QStringLiteral("writing the resolver configuration: ") + conf.errorString();
        return;
    }
    conf.close();
    if (::mount(FakeConfPath().toLocal8Bit().constData(), kResolvConf, nullptr, MS_BIND, nullptr) != 0) {
        error_ = QStringLiteral("mounting over /etc/resolv.conf: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
    thread_ = std::thread([this] { Serve(); });
}

FakeResolver::~FakeResolver()
{
    if (thread_.joinable()) {
        const char stop = 's';
        [[maybe_unused]] const auto written = ::write(wake_[1], &stop, 1);
        thread_.join();
    }
    if (mounted_)
        ::umount2(kResolvConf, MNT_DETACH);
    QFile::remove(FakeConfPath());
    for (const int fd : {socket_, wake_[0], wake_[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void FakeResolver::Answer(const std::string &name, const std::string &address)
{
    const std::lock_guard lock(mutex_);
    Addresses &addresses = answers_[Lower(name)];
    (address.find(':') != std::string::npos ? addresses.v6 : addresses.v4) = address;
}

std::vector<std::string> FakeResolver::Asked() const
{
    const std::lock_guard lock(mutex_);
    return asked_;
}

std::vector<std::string> FakeResolver::AskedNames() const
{
    std::vector<std::string> names;
    for (const std::string &name : Asked()) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

void FakeResolver::Serve()
{
    pollfd watched[2] = {{wake_[0], POLLIN, 0}, {socket_, POLLIN, 0}};
    while (true) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[0].revents != 0)
            return;
        unsigned char query[512];
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t got = ::recvfrom(socket_, query, sizeof query, 0,
                                       reinterpret_cast<sockaddr *>(&peer), &peerLength);
        if (got <= 0)
            continue;
        const std::vector<unsigned char> reply = Reply(query, std::size_t(got));
        if (!reply.empty())
            ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&peer), peerLength);
    }
}

// The answer to one query: the header and question echoed, with one A or
// AAAA record for a known name asked for an address of a family it has.
std::vector<unsigned char> FakeResolver::Reply(const unsigned char *query, std::size_t length)
{
    constexpr std::size_t kHeader = 12;
    if (length < kHeader + 5)
        return {};
    std::string name;
    std::size_t at = kHeader;
    while (at < length && query[at] != 0) {
        const std::size_t label = query[at++];
        if (label > 63 || at + label > length)
            return {};
        if (!name.empty())
            name += '.';
        name.append(reinterpret_cast<const char *>(query + at), label);
        at += label;
    }
    if (at + 5 > length)
        return {};
    const std::size_t questionEnd = at + 5; // the root label, type and class
    const std::uint16_t type = std::uint16_t(query[at + 1] << 8 | query[at + 2]);

    bool known = false;
    std::string address;
    {
        const std::lock_guard lock(mutex_);
        asked_.push_back(name);
        if (const auto found = answers_.find(Lower(name)); found != answers_.end()) {
            known = true;
            address = type == kTypeA ? found->second.v4 : type == kTypeAAAA ? found->second.v6 : std::string();
        }
    }
    std::vector<unsigned char> reply(query, query + questionEnd);
    reply[2] = 0x81; // a response, recursion desired
    reply[3] = known ? 0x80 : (0x80 | kNoSuchName); // recursion available
    reply[6] = reply[7] = reply[8] = reply[9] = reply[10] = reply[11] = 0;
    unsigned char bytes[16] = {};
    const bool v6 = type == kTypeAAAA;
    if (!address.empty() && ::inet_pton(v6 ? AF_INET6 : AF_INET, address.c_str(), bytes) == 1) {
        const unsigned char size = v6 ? 16 : 4;
        reply[7] = 1; // one answer
        const unsigned char record[] = {0xC0, 0x0C, 0, static_cast<unsigned char>(type), 0, 1, 0, 0, 0, 60, 0, size};
        reply.insert(reply.end(), std::begin(record), std::end(record));
        reply.insert(reply.end(), bytes, bytes + size);
    }
    return reply;
}
