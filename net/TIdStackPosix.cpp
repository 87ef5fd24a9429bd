// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdStackPosix.h"

#include "net/ConnectInterrupt.h"
#include "net/SocketErrors.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <utility>
#include <vector>

namespace {

thread_local int lastError = 0;

// Passes a call's result through, noting the failure code when it failed.
int Checked(int result) noexcept
{
    if (result == -1)
        lastError = WsaCodeFromErrno(errno);
    return result;
}

const sockaddr *AsGeneric(const sockaddr_in &address) noexcept
{
    return reinterpret_cast<const sockaddr *>(&address);
}

sockaddr *AsGeneric(sockaddr_in &address) noexcept
{
    return reinterpret_cast<sockaddr *>(&address);
}

int Failed(int wsaCode) noexcept
{
    lastError = wsaCode;
    return -1;
}

// Puts a descriptor into non-blocking mode for the lifetime of the guard and
// back as it was afterwards; sockets of this stack are non-blocking already.
class NonBlockingScope final {
public:
    explicit NonBlockingScope(int fd) noexcept : fd_(fd), flags_(::fcntl(fd, F_GETFL))
    {
        if (flags_ != -1 && !(flags_ & O_NONBLOCK))
            ::fcntl(fd_, F_SETFL, flags_ | O_NONBLOCK);
    }
    ~NonBlockingScope()
    {
        if (flags_ != -1 && !(flags_ & O_NONBLOCK))
            ::fcntl(fd_, F_SETFL, flags_);
    }
    NonBlockingScope(const NonBlockingScope &) = delete;
    NonBlockingScope &operator=(const NonBlockingScope &) = delete;

private:
    int fd_;
    int flags_;
};

bool Cancelled(const CancelToken &cancel) noexcept
{
    return ConnectsInterrupted() || cancel.Cancelled();
}

// How a connect that poll reported on has ended: connected, or failed for
// the reason the socket holds.
int ConnectOutcome(int socket, short revents) noexcept
{
    // Writable without an error condition: connected.
    if (!(revents & (POLLERR | POLLHUP)))
        return 0;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return Failed(WsaCodeFromErrno(errno));
    if (error != 0)
        return Failed(WsaCodeFromErrno(error));
    return 0;
}

// Waits for the first of the connects in progress on `sockets` to end (its
// index goes to `ended`), a time-out after `timeoutMs`, or a cancellation
// (of the check or of every connect). Signals that arrive meanwhile do not
// end the wait early.
int AwaitFirstConnect(const int *sockets, std::size_t count, int timeoutMs, const CancelToken &cancel,
                      int &ended) noexcept
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ended = -1;
    // The two stops first; unused slots hold -1, which poll skips. A race
    // rarely has more than a few sockets at a time.
    constexpr std::size_t kInPlace = 8;
    std::array<pollfd, kInPlace> inPlace{};
    std::vector<pollfd> onHeap(count + 2 > kInPlace ? count + 2 : 0);
    pollfd *watched = onHeap.empty() ? inPlace.data() : onHeap.data();
    watched[0] = {ConnectInterruptDescriptor(), POLLIN, 0};
    watched[1] = {cancel.Descriptor(), POLLIN, 0};
    for (std::size_t i = 0; i < count; ++i)
        watched[i + 2] = {sockets[i], POLLOUT, 0};
    while (true) {
        if (Cancelled(cancel))
            return Failed(WSAEINTR);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Failed(WSAETIMEDOUT);
        const int ready = ::poll(watched, nfds_t(count + 2), int(left.count()));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Failed(WsaCodeFromErrno(errno));
        }
        if (ready == 0)
            continue; // the deadline check above ends it
        if (watched[0].revents != 0 || watched[1].revents != 0)
            return Failed(WSAEINTR);
        for (std::size_t i = 0; i < count; ++i) {
            if (watched[i + 2].revents != 0) {
                ended = int(i);
                return ConnectOutcome(sockets[i], watched[i + 2].revents);
            }
        }
    }
}

// Starts a connect; -1 with WSAEINPROGRESS when it goes on. A connect that a
// signal interrupted goes on by itself, as one in progress does (POSIX);
// calling connect again would only fail with EALREADY.
int StartConnect(const TIdStackPosix::ConnectCall &connect, int socket, const sockaddr *peer,
                 socklen_t length) noexcept
{
    const NonBlockingScope nonBlocking(socket);
    if (connect(socket, peer, length) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return Checked(-1);
    return Failed(WSAEINPROGRESS);
}

// The addresses of a lookup's answer, in its order, each once.
std::vector<IPAddress> AddressesOf(const addrinfo *found)
{
    std::vector<IPAddress> addresses;
    for (const addrinfo *entry = found; entry != nullptr; entry = entry->ai_next) {
        IPAddress address;
        if (entry->ai_family == AF_INET)
            address = IPAddress::FromIPv4(reinterpret_cast<const sockaddr_in *>(entry->ai_addr)->sin_addr);
        else if (entry->ai_family == AF_INET6) {
            const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(entry->ai_addr);
            address = IPAddress::FromIPv6(v6->sin6_addr, v6->sin6_scope_id);
        } else
            continue;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    return addresses;
}

} // namespace

TIdStackPosix::TIdStackPosix(ConnectCall connect) : connect_(std::move(connect))
{
    PrepareConnectInterrupt();
    // POSIX sockets need no start-up call; the layer counts as started.
    if (!SocketLayerStarted())
        MarkSocketLayerStarted();
}

TIdStackPosix::~TIdStackPosix() = default;

int TIdStackPosix::SysSocket(int family, int type, int protocol)
{
    return Checked(::socket(family, type | SOCK_CLOEXEC | SOCK_NONBLOCK, protocol));
}

int TIdStackPosix::SysSetSockOpt(int socket, int level, int option, int value)
{
    return Checked(::setsockopt(socket, level, option, &value, sizeof value));
}

int TIdStackPosix::SysBind(int socket, const sockaddr_in &local)
{
    return Checked(::bind(socket, AsGeneric(local), sizeof local));
}

int TIdStackPosix::SysGetSockName(int socket, sockaddr_in &local)
{
    socklen_t length = sizeof local;
    return Checked(::getsockname(socket, AsGeneric(local), &length));
}

int TIdStackPosix::SysGetPeerName(int socket, sockaddr_in &peer)
{
    socklen_t length = sizeof peer;
    return Checked(::getpeername(socket, AsGeneric(peer), &length));
}

int TIdStackPosix::SysLookupIPv4(const std::string &name, in_addr &first)
{
    // The resolver would read only up to a NUL and answer for a shorter name.
    if (name.find('\0') != std::string::npos) {
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo *found = nullptr;
    const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    const int savedErrno = errno;
    if (result != 0) {
        lastError = WsaCodeFromResolver(result, savedErrno);
        return -1;
    }
    const bool usable = found != nullptr && found->ai_family == AF_INET;
    if (usable)
        first = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    if (found != nullptr)
        ::freeaddrinfo(found);
    if (!usable) {
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    return 0;
}

int TIdStackPosix::SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel)
{
    if (Cancelled(cancel))
        return Failed(WSAEINTR);
    const int started = StartConnect(connect_, socket, AsGeneric(peer), sizeof peer);
    if (started == 0 || lastError != WSAEINPROGRESS)
        return started;
    int ended = -1;
    return AwaitFirstConnect(&socket, 1, timeoutMs < 1 ? 1 : timeoutMs, cancel, ended);
}

int TIdStackPosix::SysBind6(int socket, const sockaddr_in6 &local)
{
    return Checked(::bind(socket, reinterpret_cast<const sockaddr *>(&local), sizeof local));
}

int TIdStackPosix::SysGetSockName6(int socket, sockaddr_in6 &local)
{
    socklen_t length = sizeof local;
    return Checked(::getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length));
}

int TIdStackPosix::SysGetPeerName6(int socket, sockaddr_in6 &peer)
{
    socklen_t length = sizeof peer;
    return Checked(::getpeername(socket, reinterpret_cast<sockaddr *>(&peer), &length));
}

int TIdStackPosix::SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found)
{
    found.clear();
    if (name.find('\0') != std::string::npos)
        return Failed(WSAHOST_NOT_FOUND);
    addrinfo hints{};
    hints.ai_family = families == IPFamilies::IPv4Only ? AF_INET
                      : families == IPFamilies::IPv6Only ? AF_INET6 : AF_UNSPEC;
    // Both families as any program asks; one family asked for by name is
    // looked up even where the machine has no address of it yet, so that the
    // connect says why it cannot go there.
    hints.ai_flags = families == IPFamilies::Any ? AI_ADDRCONFIG : 0;
    hints.ai_socktype = SOCK_STREAM; // one entry per address, not one per socket type
    addrinfo *answer = nullptr;
    const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &answer);
    const int savedErrno = errno;
    if (result != 0)
        return Failed(WsaCodeFromResolver(result, savedErrno));
    found = AddressesOf(answer);
    ::freeaddrinfo(answer);
    return found.empty() ? Failed(WSAHOST_NOT_FOUND) : 0;
}

int TIdStackPosix::SysConnectStart(int socket, const sockaddr &peer, socklen_t length, const CancelToken &cancel)
{
    if (Cancelled(cancel))
        return Failed(WSAEINTR);
    return StartConnect(connect_, socket, &peer, length);
}

int TIdStackPosix::SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                                    int &ended)
{
    return AwaitFirstConnect(sockets.data(), sockets.size(), timeoutMs < 0 ? 0 : timeoutMs, cancel, ended);
}

int TIdStackPosix::SysShutdown(int socket, int how)
{
    return Checked(::shutdown(socket, how));
}

int TIdStackPosix::SysClose(int socket)
{
    return Checked(::close(socket));
}

int TIdStackPosix::SysLastError()
{
    return lastError;
}

std::string TIdStackPosix::SocketErrorText(int code) const
{
    if (code == WSAHOST_NOT_FOUND)
        return "Host not found.";
    return TIdStack::SocketErrorText(code);
}
