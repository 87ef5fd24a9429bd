// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "AnsweringStack.h"

#include "net/SocketErrors.h"

#include <utility>

namespace {

// Whether the last call of this thread was a lookup that found nothing.
thread_local bool notFound = false;

int Passed(int result)
{
    notFound = false;
    return result;
}

} // namespace

AnsweringStack::AnsweringStack(Table table) : table_(std::move(table)) {}

int AnsweringStack::SysSocket(int family, int type, int protocol)
{
    return Passed(posix_.SysSocket(family, type, protocol));
}

int AnsweringStack::SysSetSockOpt(int socket, int level, int option, int value)
{
    return Passed(posix_.SysSetSockOpt(socket, level, option, value));
}

int AnsweringStack::SysBind(int socket, const sockaddr_in &local)
{
    return Passed(posix_.SysBind(socket, local));
}

int AnsweringStack::SysGetSockName(int socket, sockaddr_in &local)
{
    return Passed(posix_.SysGetSockName(socket, local));
}

int AnsweringStack::SysGetPeerName(int socket, sockaddr_in &peer)
{
    return Passed(posix_.SysGetPeerName(socket, peer));
}

int AnsweringStack::SysLookupIPv4(const std::string &name, in_addr &first)
{
    std::vector<IPAddress> found;
    if (SysLookup(name, IPFamilies::IPv4Only, found) == -1)
        return -1;
    first = found.front().IPv4();
    return 0;
}

int AnsweringStack::SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel)
{
    return Passed(posix_.SysConnect(socket, peer, timeoutMs, cancel));
}

int AnsweringStack::SysBind6(int socket, const sockaddr_in6 &local)
{
    return Passed(posix_.SysBind6(socket, local));
}

int AnsweringStack::SysGetSockName6(int socket, sockaddr_in6 &local)
{
    return Passed(posix_.SysGetSockName6(socket, local));
}

int AnsweringStack::SysGetPeerName6(int socket, sockaddr_in6 &peer)
{
    return Passed(posix_.SysGetPeerName6(socket, peer));
}

int AnsweringStack::SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found)
{
    found.clear();
    if (const auto answer = table_.find(name); answer != table_.end()) {
        for (const IPAddress &address : answer->second) {
            if (families == IPFamilies::Any
                || (families == IPFamilies::IPv6Only) == (address.Version() == IPVersion::IPv6))
                found.push_back(address);
        }
    }
    notFound = found.empty();
    return notFound ? -1 : 0;
}

int AnsweringStack::SysConnectStart(int socket, const sockaddr &peer, socklen_t length, const CancelToken &cancel)
{
    return Passed(posix_.SysConnectStart(socket, peer, length, cancel));
}

int AnsweringStack::SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                                     int &ended)
{
    return Passed(posix_.SysAwaitConnects(sockets, timeoutMs, cancel, ended));
}

int AnsweringStack::SysShutdown(int socket, int how)
{
    return Passed(posix_.SysShutdown(socket, how));
}

int AnsweringStack::SysClose(int socket)
{
    return Passed(posix_.SysClose(socket));
}

int AnsweringStack::SysLastError()
{
    return notFound ? WSAHOST_NOT_FOUND : posix_.SysLastError();
}

std::string AnsweringStack::SocketErrorText(int code) const
{
    return posix_.SocketErrorText(code);
}
