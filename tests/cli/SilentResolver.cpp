// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SilentResolver.h"

#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

SilentResolver::SilentResolver()
    : confPath_(QDir::tempPath() + QStringLiteral("/kelvora-silent-resolv-%1.conf").arg(::getpid()))
{
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        error_ = QStringLiteral("DNS server on 127.0.0.1:53: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    QFile conf(confPath_);
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || conf.write("nameserver 127.0.0.1\noptions timeout:5 attempts:1\n") < 0) {
        error_ = QStringLiteral("writing the resolver configuration: ") + conf.errorString();
        return;
    }
    conf.close();
    if (::mount(confPath_.toLocal8Bit().constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        error_ = QStringLiteral("mounting over /etc/resolv.conf: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

SilentResolver::~SilentResolver()
{
    if (mounted_)
        ::umount2("/etc/resolv.conf", MNT_DETACH);
    QFile::remove(confPath_);
    if (socket_ >= 0)
        ::close(socket_);
}

bool SilentResolver::QueryWaiting() const
{
    pollfd waiting{socket_, POLLIN, 0};
    return socket_ >= 0 && ::poll(&waiting, 1, 0) == 1;
}
