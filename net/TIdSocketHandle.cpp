// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdSocketHandle.h"

#include "net/IdException.h"
#include "net/SocketErrors.h"
#include "net/IPAddress.h"
#include "net/TIdStack.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <utility>

namespace {

TIdStack &Stack()
{
    TIdStack *stack = GStack();
    if (stack == nullptr)
        throw EIdStackError(MsgNoSocketStack);
    return *stack;
}

// An IPv4 address; a port that does not fit 16 bits is refused rather than
// truncated into some other port.
sockaddr_in MakeAddress(TIdStack &stack, const std::string &ip, std::int32_t port)
{
    if (port < 0 || port > 65535)
        stack.RaiseSocketError(WSAEINVAL);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (ip.empty())
        address.sin_addr.s_addr = htonl(INADDR_ANY);
    else
        address.sin_addr = TIdStack::TranslateStringToInAddr(ip);
    return address;
}

// An IPv6 address from its text; empty text is the any address. A text of
// no IPv6 address (an IPv4 one given to an IPv6 socket) is refused.
sockaddr_in6 MakeAddress6(TIdStack &stack, const std::string &ip, std::int32_t port)
{
    if (port < 0 || port > 65535)
        stack.RaiseSocketError(WSAEINVAL);
    const std::optional<IPAddress> address = ip.empty() ? IPAddress::FromIPv6(in6addr_any) : IPAddress::ParseIPv6(ip);
    if (!address)
        stack.RaiseSocketError(WSAEAFNOSUPPORT);
    return address->SocketAddress6(static_cast<std::uint16_t>(port));
}

std::string TextOf(const sockaddr_in6 &address)
{
    return IPAddress::FromIPv6(address.sin6_addr, address.sin6_scope_id).Text();
}

} // namespace

TIdSocketHandle::TIdSocketHandle() noexcept = default;

TIdSocketHandle::~TIdSocketHandle()
{
    TIdSocketHandle::ReleaseHandle();
}

TIdSocketHandle::TIdSocketHandle(TIdSocketHandle &&other) noexcept
{
    TakeFrom(other);
}

TIdSocketHandle &TIdSocketHandle::operator=(TIdSocketHandle &&other) noexcept
{
    if (this != &other) {
        ReleaseHandle();
        TakeFrom(other);
    }
    return *this;
}

void TIdSocketHandle::TakeFrom(TIdSocketHandle &other) noexcept
{
    osSocket_ = std::exchange(other.osSocket_, -1);
    family_ = other.family_;
    socketOpen_ = std::exchange(other.socketOpen_, false);
    ip_ = std::move(other.ip_);
    port_ = other.port_;
    remoteIP_ = std::move(other.remoteIP_);
    remotePort_ = other.remotePort_;
    clientPortMin_ = other.clientPortMin_;
    clientPortMax_ = other.clientPortMax_;
    other.ResetState();
}

void TIdSocketHandle::AllocateHandle(int family)
{
    if (socketOpen_)
        ReleaseHandle();
    osSocket_ = family == AF_INET ? Stack().NewSocket(SOCK_STREAM, 0) : Stack().NewSocket(family, SOCK_STREAM, 0);
    family_ = family;
    socketOpen_ = true;
}

void TIdSocketHandle::BindLocal()
{
    // An IPv6 socket with nothing to bind connects from the address and port
    // the kernel picks; binding it to any first would only cost two calls.
    // (IPv4 sockets keep the bind they always had.)
    if (family_ == AF_INET6 && ip_.empty() && port_ == 0 && clientPortMin_ == 0 && clientPortMax_ == 0)
        return;
    if (clientPortMin_ == 0 && clientPortMax_ == 0) {
        if (!TryBindLocal())
            throw EIdCouldNotBindSocket(MsgCouldNotBindSocket);
        return;
    }
    for (std::int32_t port = clientPortMin_; port <= clientPortMax_; ++port) {
        port_ = port;
        if (TryBindLocal())
            return;
        if (port == clientPortMax_)
            break; // the range may end at the largest integer
    }
    throw EIdCouldNotBindSocket(MsgCouldNotBindSocket);
}

bool TIdSocketHandle::TryBindLocal()
{
    if (family_ == AF_INET6)
        return TryBindLocal6();
    TIdStack &stack = Stack();
    const sockaddr_in local = MakeAddress(stack, ip_, port_);
    bool portDeferred = false;
#ifdef IP_BIND_ADDRESS_NO_PORT
    // Binding to any port would take an ephemeral port now, before the peer
    // is known, and tight probe loops would run out of them while closed
    // connections wait in TIME_WAIT. This lets connect choose it instead.
    if (port_ == 0)
        portDeferred = stack.SysSetSockOpt(osSocket_, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, 1) == 0;
#endif
    if (stack.CheckSocketResult(stack.SysBind(osSocket_, local), {WSAEADDRINUSE}))
        return false;
    if (port_ == 0 && !portDeferred) {
        RefreshLocal(); // the kernel has just chosen the port
    } else {
        // Bound exactly as asked; reading it back would only cost a call.
        ip_ = TIdStack::TranslateInAddrToString(local.sin_addr);
    }
    return true;
}

bool TIdSocketHandle::TryBindLocal6()
{
    TIdStack &stack = Stack();
    const sockaddr_in6 local = MakeAddress6(stack, ip_, port_);
    bool portDeferred = false;
#ifdef IP_BIND_ADDRESS_NO_PORT
    if (port_ == 0)
        portDeferred = stack.SysSetSockOpt(osSocket_, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, 1) == 0;
#endif
    if (stack.CheckSocketResult(stack.SysBind6(osSocket_, local), {WSAEADDRINUSE}))
        return false;
    if (port_ == 0 && !portDeferred)
        RefreshLocal();
    else
        ip_ = TextOf(local);
    return true;
}

void TIdSocketHandle::ReleaseHandle() noexcept
{
    if (!socketOpen_)
        return;
    socketOpen_ = false;
    CloseOsSocket();
}

void TIdSocketHandle::CloseOsSocket() noexcept
{
    const int descriptor = std::exchange(osSocket_, -1);
    if (TIdStack *stack = GStack()) {
        stack->SysShutdown(descriptor, SHUT_WR);
        stack->SysClose(descriptor);
        return;
    }
    // The stack is gone (the handle outlived every network component): the
    // descriptor must still not leak.
    ::shutdown(descriptor, SHUT_WR);
    ::close(descriptor);
}

void TIdSocketHandle::ResetState() noexcept
{
    ReleaseHandle();
    osSocket_ = -1;
    ip_.clear();
    port_ = 0;
    remoteIP_.clear();
    remotePort_ = 0;
}

void TIdSocketHandle::RefreshLocal()
{
    TIdStack &stack = Stack();
    if (family_ == AF_INET6) {
        sockaddr_in6 local{};
        stack.CheckSocketResult(stack.SysGetSockName6(osSocket_, local));
        ip_ = TextOf(local);
        port_ = ntohs(local.sin6_port);
        return;
    }
    sockaddr_in local{};
    stack.CheckSocketResult(stack.SysGetSockName(osSocket_, local));
    ip_ = TIdStack::TranslateInAddrToString(local.sin_addr);
    port_ = ntohs(local.sin_port);
}

void TIdSocketHandle::RefreshPeer()
{
    TIdStack &stack = Stack();
    if (family_ == AF_INET6) {
        sockaddr_in6 peer{};
        stack.CheckSocketResult(stack.SysGetPeerName6(osSocket_, peer));
        remoteIP_ = TextOf(peer);
        remotePort_ = ntohs(peer.sin6_port);
        return;
    }
    sockaddr_in peer{};
    stack.CheckSocketResult(stack.SysGetPeerName(osSocket_, peer));
    remoteIP_ = TIdStack::TranslateInAddrToString(peer.sin_addr);
    remotePort_ = ntohs(peer.sin_port);
}

int TIdSocketHandle::ConnectPeer(int family, int timeoutMs, const CancelToken &cancel)
{
    TIdStack &stack = Stack();
    int result = -1;
    if (family_ == AF_INET6) {
        result = StartConnect(cancel);
        if (result == -1 && stack.SysLastError() == WSAEINPROGRESS) {
            int ended = -1;
            result = stack.SysAwaitConnects({osSocket_}, timeoutMs < 1 ? 1 : timeoutMs, cancel, ended);
        }
    } else {
        sockaddr_in peer = MakeAddress(stack, remoteIP_, remotePort_);
        peer.sin_family = static_cast<sa_family_t>(family);
        result = stack.SysConnect(osSocket_, peer, timeoutMs, cancel);
    }
    if (result != -1)
        CompleteConnect();
    return result;
}

int TIdSocketHandle::StartConnect(const CancelToken &cancel)
{
    TIdStack &stack = Stack();
    if (family_ == AF_INET6) {
        const sockaddr_in6 peer = MakeAddress6(stack, remoteIP_, remotePort_);
        return stack.SysConnectStart(osSocket_, reinterpret_cast<const sockaddr &>(peer), sizeof peer, cancel);
    }
    const sockaddr_in peer = MakeAddress(stack, remoteIP_, remotePort_);
    return stack.SysConnectStart(osSocket_, reinterpret_cast<const sockaddr &>(peer), sizeof peer, cancel);
}

void TIdSocketHandle::CompleteConnect()
{
    RefreshLocal();
    RefreshPeer();
    // With nothing listening on a port of the ephemeral range, the kernel
    // may pick that very port as the source and the connect "succeeds"
    // against itself (TCP simultaneous open). Nobody answered: to the caller
    // that is a refusal.
    if (ip_ == remoteIP_ && port_ == remotePort_)
        Stack().RaiseSocketError(WSAECONNREFUSED);
}
