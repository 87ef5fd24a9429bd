// SPDX-License-Identifier: MIT
#include "net/TIdIOHandlerSocket.h"

#include "net/SocketErrors.h"
#include "net/TIdStack.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

TIdIOHandlerSocket::TIdIOHandlerSocket(TIdBaseComponent *owner) : TIdIOHandler(owner) {}

TIdIOHandlerSocket::~TIdIOHandlerSocket() = default;

TIdSocksInfo &TIdIOHandlerSocket::SocksInfo()
{
    if (!socksInfo_)
        socksInfo_ = std::make_unique<TIdSocksInfo>();
    return *socksInfo_;
}

void TIdIOHandlerSocket::CloseBinding() noexcept
{
    if (endpoint_)
        endpoint_->ReleaseHandle();
}

bool TIdIOHandlerSocket::HasOpenSocket() const noexcept
{
    return endpoint_ && endpoint_->SocketOpen();
}

std::string TIdIOHandlerSocket::PeerIP() const
{
    return endpoint_ ? endpoint_->RemoteIP() : std::string();
}

void TIdIOHandlerSocket::PrepareBinding()
{
    if (endpoint_)
        endpoint_->ResetState();
    else
        endpoint_ = std::make_unique<TIdSocketHandle>();
}

void TIdIOHandlerSocket::ConnectTo(const std::string &host, std::int32_t port,
                                   const std::string &boundIP, std::int32_t boundPort,
                                   std::int32_t boundPortMin, std::int32_t boundPortMax,
                                   std::int32_t timeout)
{
    const std::int32_t timeLimit = ConnectTimeLimitMs(timeout);
    if (!endpoint_)
        PrepareBinding();
    TIdSocketHandle &endpoint = *endpoint_;
    endpoint.AllocateHandle();
    endpoint.SetIP(boundIP);
    endpoint.SetPort(boundPort);
    endpoint.SetClientPortMin(boundPortMin);
    endpoint.SetClientPortMax(boundPortMax);
    endpoint.BindLocal();

    endpoint.SetRemoteIP(RemoteAddress(host));
    endpoint.SetRemotePort(port);
    ReportStatus(hsConnecting, endpoint.RemoteIP());

    if (SocksInfo().Version() == svNoSocks)
        ConnectDirect(endpoint, timeLimit);
}

std::string TIdIOHandlerSocket::RemoteAddress(const std::string &host)
{
    TIdStack &stack = *GStack();
    const bool literal = TIdStack::IsDottedAddress(host);
    if (literal && Families() == IPFamilies::IPv6Only)
        stack.RaiseSocketError(WSAEAFNOSUPPORT);
    ResolvedHost *memory = AddressMemory();
    if (memory != nullptr && memory->Holds(host, Families()))
        return memory->Addresses().front();
    if (!literal)
        ReportStatus(hsResolving, host);
    if (Families() == IPFamilies::IPv6Only)
        stack.RaiseSocketError(WSAHOST_NOT_FOUND); // IPv6 lookups come with the dual-stack resolver
    std::string address = stack.ResolveName(host);
    if (memory != nullptr && !literal)
        memory->Remember(host, Families(), {address});
    return address;
}

void TIdIOHandlerSocket::ConnectDirect(TIdSocketHandle &endpoint, std::int32_t timeLimitMs)
{
    TIdStack &stack = *GStack();
    if (!useNagle_) {
        stack.CheckSocketResult(
            stack.SysSetSockOpt(endpoint.OsSocket(), IPPROTO_TCP, TCP_NODELAY, 1));
    }
    stack.CheckSocketResult(endpoint.ConnectPeer(AF_INET, timeLimitMs, Cancellation()));
}
