// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/PrivateNetwork.h"

#include "support/LoopbackListener.h"

#include "net/SocketErrors.h"
#include "net/TIdStackForwarding.h"

#include <QFile>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool inPrivateNetwork = false;

QString ErrnoText(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool BringLoopbackUp(QString *reason)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *reason = ErrnoText("socket");
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
        ok = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (!ok)
        *reason = ErrnoText("bringing up lo");
    ::close(fd);
    return ok;
}

// Every lookup fails as on a machine without a resolver, and is recorded.
class NoResolverStack final : public TIdStackForwarding {
public:
    explicit NoResolverStack(std::shared_ptr<ResolverRecord> record) : record_(std::move(record)) {}

    int SysLookupIPv4(const std::string &name, in_addr &) override
    {
        record_->names.push_back(name);
        return Fail(WSAHOST_NOT_FOUND);
    }
    int SysLookup(const std::string &name, IPFamilies, std::vector<IPAddress> &found) override
    {
        found.clear();
        in_addr unused{};
        return SysLookupIPv4(name, unused);
    }

private:
    std::shared_ptr<ResolverRecord> record_;
};

} // namespace

bool EnterPrivateNetwork(QString *reason)
{
    if (inPrivateNetwork)
        return true;
    // A mount namespace of its own as well, where one can be had, so that a
    // test may mount its own resolver configuration (FakeResolver).
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) == 0) {
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    } else if (::unshare(CLONE_NEWNET) != 0) {
        *reason = ErrnoText("unshare(CLONE_NEWNET)");
        return false;
    }
    inPrivateNetwork = BringLoopbackUp(reason);
    return inPrivateNetwork;
}

bool InPrivateNetwork()
{
    return inPrivateNetwork;
}

namespace {

constexpr const char *kLocalPortRange = "/proc/sys/net/ipv4/ip_local_port_range";

bool WriteSetting(const char *path, const QByteArray &value)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(value) == value.size();
}

} // namespace

ScopedLocalPortRange::ScopedLocalPortRange(std::uint16_t first, std::uint16_t last)
{
    if (!InPrivateNetwork())
        return;
    QFile current(QString::fromLatin1(kLocalPortRange));
    if (!current.open(QIODevice::ReadOnly))
        return;
    const QByteArray previous = current.readAll().simplified().replace(' ', '\t');
    if (WriteSetting(kLocalPortRange, QByteArray::number(first) + '\t' + QByteArray::number(last)))
        previous_ = previous;
}

ScopedLocalPortRange::~ScopedLocalPortRange()
{
    if (IsValid())
        WriteSetting(kLocalPortRange, previous_);
}

NamespaceListener::NamespaceListener(std::uint16_t port, bool listening)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        error_ = ErrnoText("socket");
        return;
    }
    const int yes = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = LoopbackAddress(port);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || (listening && ::listen(fd_, 64) != 0)) {
        error_ = ErrnoText("bind/listen");
        Close();
        return;
    }
    port_ = ntohs(address.sin_port);
    if (listening) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { AcceptPending(); });
    }
}

NamespaceListener::~NamespaceListener()
{
    Close();
}

int NamespaceListener::AcceptPending()
{
    while (fd_ >= 0) {
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            break;
        ::close(peer);
        ++accepted_;
    }
    return accepted_;
}

void NamespaceListener::Close()
{
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::unique_ptr<TIdStack> MakeNoResolverStack(std::shared_ptr<ResolverRecord> record)
{
    return std::make_unique<NoResolverStack>(std::move(record));
}
