// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdIOHandlerSocket.h"

#include "net/ConnectRace.h"
#include "net/IPAddress.h"
#include "net/SocketErrors.h"
#include "net/TIdStack.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <utility>

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
    Report() = {};
    if (!endpoint_)
        PrepareBinding();
    TIdSocketHandle &endpoint = *endpoint_;
    // Bound before the lookup, as a single IPv4 connect always was; the
    // no-delay option comes just before the connect.
    const SocketBinding binding{boundIP, boundPort, boundPortMin, boundPortMax, false};
    OpenBoundSocket(endpoint, FirstSocketFamily(host, boundIP), binding);

    const std::vector<std::string> addresses = Addresses(host, boundIP);
    endpoint.SetRemotePort(port);
    const std::string &first = addresses.front();
    Report().version = FamilyOfAddress(first) == AF_INET6 ? IPVersion::IPv6 : IPVersion::IPv4;
    if (addresses.size() > 1) {
        endpoint.SetRemoteIP(first);
        ReportStatus(hsConnecting, first);
        if (SocksInfo().Version() == svNoSocks)
            Race(endpoint, addresses, port, binding, timeLimit);
        return;
    }
    if (FamilyOfAddress(first) != endpoint.Family())
        OpenBoundSocket(endpoint, FamilyOfAddress(first), binding);
    endpoint.SetRemoteIP(first);
    ReportStatus(hsConnecting, endpoint.RemoteIP());

    if (SocksInfo().Version() == svNoSocks)
        ConnectDirect(endpoint, timeLimit);
}

int TIdIOHandlerSocket::FirstSocketFamily(const std::string &host, const std::string &boundIP) const
{
    if (!boundIP.empty())
        return FamilyOfAddress(boundIP);
    switch (Families()) {
    case IPFamilies::IPv4Only: return AF_INET;
    case IPFamilies::IPv6Only: return AF_INET6;
    case IPFamilies::Any: break;
    }
    return IPAddress::ParseIPv6(host) ? AF_INET6 : AF_INET;
}

std::vector<std::string> TIdIOHandlerSocket::Addresses(const std::string &host, const std::string &boundIP)
{
    std::vector<std::string> addresses = LookUp(host);
    // A socket bound to an address of one family reaches only that family.
    if (!boundIP.empty()) {
        const int family = FamilyOfAddress(boundIP);
        std::erase_if(addresses, [family](const std::string &address) { return FamilyOfAddress(address) != family; });
        if (addresses.empty())
            GStack()->RaiseSocketError(WSAEAFNOSUPPORT);
    }
    return addresses;
}

std::vector<std::string> TIdIOHandlerSocket::LookUp(const std::string &host)
{
    ResolvedHost *memory = AddressMemory();
    if (memory != nullptr && memory->Holds(host, Families()))
        return memory->Addresses();
    const bool literal = TIdStack::IsDottedAddress(host) || IPAddress::ParseIPv6(host);
    if (!literal)
        ReportStatus(hsResolving, host);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> addresses;
    try {
        addresses = GStack()->ResolveAddresses(host, Families());
    } catch (...) {
        if (!literal)
            Report().lookupElapsed = std::chrono::steady_clock::now() - start;
        throw;
    }
    if (!literal)
        Report().lookupElapsed = std::chrono::steady_clock::now() - start;
    if (memory != nullptr && !literal)
        memory->Remember(host, Families(), addresses);
    return addresses;
}

void TIdIOHandlerSocket::Race(TIdSocketHandle &endpoint, const std::vector<std::string> &addresses,
                              std::int32_t port, SocketBinding binding, std::int32_t timeLimitMs)
{
    binding.noDelay = !useNagle_;
    ConnectRace race(InterleaveFamilies(addresses), port, std::move(binding));
    const auto start = std::chrono::steady_clock::now();
    try {
        race.Run(endpoint, timeLimitMs, Cancellation());
    } catch (...) {
        Report().connectElapsed = std::chrono::steady_clock::now() - start;
        Report().attempts = race.TakeAttempts();
        throw;
    }
    Report().connectElapsed = std::chrono::steady_clock::now() - start;
    Report().attempts = race.TakeAttempts();
    Report().version = FamilyOfAddress(endpoint.RemoteIP()) == AF_INET6 ? IPVersion::IPv6 : IPVersion::IPv4;
}

void TIdIOHandlerSocket::ConnectDirect(TIdSocketHandle &endpoint, std::int32_t timeLimitMs)
{
    TIdStack &stack = *GStack();
    if (!useNagle_) {
        stack.CheckSocketResult(
            stack.SysSetSockOpt(endpoint.OsSocket(), IPPROTO_TCP, TCP_NODELAY, 1));
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        stack.CheckSocketResult(endpoint.ConnectPeer(AF_INET, timeLimitMs, Cancellation()));
    } catch (...) {
        Report().connectElapsed = std::chrono::steady_clock::now() - start;
        throw;
    }
    Report().connectElapsed = std::chrono::steady_clock::now() - start;
}
