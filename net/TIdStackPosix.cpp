#include "net/TIdStackPosix.h"

#include "net/SocketErrors.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

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

} // namespace

TIdStackPosix::TIdStackPosix()
{
    // POSIX sockets need no start-up call; the layer counts as started.
    if (!SocketLayerStarted())
        MarkSocketLayerStarted();
}

TIdStackPosix::~TIdStackPosix() = default;

int TIdStackPosix::SysSocket(int family, int type, int protocol)
{
    return Checked(::socket(family, type | SOCK_CLOEXEC, protocol));
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

int TIdStackPosix::SysConnect(int socket, const sockaddr_in &peer)
{
    return Checked(::connect(socket, AsGeneric(peer), sizeof peer));
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
