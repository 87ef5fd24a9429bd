// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdStackForwarding.h"

namespace {

// The code of the calling thread's last call when an override failed it,
// else 0 (the platform's last error holds).
thread_local int ownError = 0;

} // namespace

TIdStackForwarding::TIdStackForwarding() = default;
TIdStackForwarding::~TIdStackForwarding() = default;

int TIdStackForwarding::Succeed(int result)
{
    ownError = 0;
    return result;
}

int TIdStackForwarding::Fail(int code)
{
    ownError = code;
    return -1;
}

int TIdStackForwarding::SysSocket(int family, int type, int protocol)
{
    return Succeed(posix_.SysSocket(family, type, protocol));
}

int TIdStackForwarding::SysSetSockOpt(int socket, int level, int option, int value)
{
    return Succeed(posix_.SysSetSockOpt(socket, level, option, value));
}

int TIdStackForwarding::SysBind(int socket, const sockaddr_in &local)
{
    return Succeed(posix_.SysBind(socket, local));
}

int TIdStackForwarding::SysGetSockName(int socket, sockaddr_in &local)
{
    return Succeed(posix_.SysGetSockName(socket, local));
}

int TIdStackForwarding::SysGetPeerName(int socket, sockaddr_in &peer)
{
    return Succeed(posix_.SysGetPeerName(socket, peer));
}

int TIdStackForwarding::SysLookupIPv4(const std::string &name, in_addr &first)
{
    return Succeed(posix_.SysLookupIPv4(name, first));
}

int TIdStackForwarding::SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel)
{
    return Succeed(posix_.SysConnect(socket, peer, timeoutMs, cancel));
}

int TIdStackForwarding::SysBind6(int socket, const sockaddr_in6 &local)
{
    return Succeed(posix_.SysBind6(socket, local));
}

int TIdStackForwarding::SysGetSockName6(int socket, sockaddr_in6 &local)
{
    return Succeed(posix_.SysGetSockName6(socket, local));
}

int TIdStackForwarding::SysGetPeerName6(int socket, sockaddr_in6 &peer)
{
    return Succeed(posix_.SysGetPeerName6(socket, peer));
}

int TIdStackForwarding::SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found)
{
    return Succeed(posix_.SysLookup(name, families, found));
}

int TIdStackForwarding::SysConnectStart(int socket, const sockaddr &peer, socklen_t length, const CancelToken &cancel)
{
    return Succeed(posix_.SysConnectStart(socket, peer, length, cancel));
}

int TIdStackForwarding::SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                                         int &ended)
{
    return Succeed(posix_.SysAwaitConnects(sockets, timeoutMs, cancel, ended));
}

int TIdStackForwarding::SysShutdown(int socket, int how)
{
    return Succeed(posix_.SysShutdown(socket, how));
}

int TIdStackForwarding::SysClose(int socket)
{
    return Succeed(posix_.SysClose(socket));
}

int TIdStackForwarding::SysLastError()
{
    return ownError != 0 ? ownError : posix_.SysLastError();
}

std::string TIdStackForwarding::SocketErrorText(int code) const
{
    return posix_.SocketErrorText(code);
}
