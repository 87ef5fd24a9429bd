// SPDX-License-Identifier: MIT
#include "net/TIdStackPosix.h"

#include "net/ConnectInterrupt.h"
#include "net/SocketErrors.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

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

// Waits for a connect in progress on `socket` to end: its outcome, a time-out
// after `timeoutMs`, or a cancellation (of the check or of every connect).
// Signals that arrive meanwhile do not end the wait early.
int AwaitConnect(int socket, int timeoutMs, const CancelToken &cancel) noexcept
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Unused slots hold -1, which poll skips.
    pollfd watched[3] = {{socket, POLLOUT, 0},
                         {ConnectInterruptDescriptor(), POLLIN, 0},
                         {cancel.Descriptor(), POLLIN, 0}};
    while (true) {
        if (Cancelled(cancel))
            return Failed(WSAEINTR);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Failed(WSAETIMEDOUT);
        const int ready = ::poll(watched, 3, int(left.count()));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Failed(WsaCodeFromErrno(errno));
        }
        if (ready == 0)
            continue; // the deadline check above ends it
        if (watched[1].revents != 0 || watched[2].revents != 0)
            return Failed(WSAEINTR);
        if (watched[0].revents != 0)
            break;
    }
    // Writable without an error condition: connected. Otherwise the socket
    // holds the reason.
    if (!(watched[0].revents & (POLLERR | POLLHUP)))
        return 0;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return Failed(WsaCodeFromErrno(errno));
    if (error != 0)
        return Failed(WsaCodeFromErrno(error));
    return 0;
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
    const NonBlockingScope nonBlocking(socket);
    if (connect_(socket, AsGeneric(peer), sizeof peer) == 0)
        return 0;
    // A connect that a signal interrupted goes on by itself, as one in
    // progress does (POSIX); calling connect again would only fail with
    // EALREADY.
    if (errno != EINPROGRESS && errno != EINTR)
        return Checked(-1);
    return AwaitConnect(socket, timeoutMs < 1 ? 1 : timeoutMs, cancel);
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
