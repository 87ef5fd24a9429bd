// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/ConnectRace.h"
#include "net/TIdIOHandler.h"
#include "net/TIdSocketHandle.h"
#include "net/TIdSocksInfo.h"

#include <memory>
#include <string>
#include <vector>

// The I/O handler over one platform socket (its Endpoint). ConnectTo opens
// and binds the socket, resolves the host and connects, reporting
// hsResolving (only for a host that is no address literal) and hsConnecting
// with itself as the sender. A host with one address gets one connect; one
// with several gets a race of them (ConnectRace), whose winner becomes the
// Endpoint. The socket created before a failed step stays
// open until CloseBinding or the handler's end.
class TIdIOHandlerSocket final : public TIdIOHandler {
public:
    explicit TIdIOHandlerSocket(TIdBaseComponent *owner = nullptr);
    ~TIdIOHandlerSocket() override;

    // The socket; none until the first PrepareBinding or ConnectTo.
    TIdSocketHandle *Endpoint() const noexcept { return endpoint_.get(); }

    // While true, the platform's default packet coalescing stays on; false
    // sets the no-delay option before connecting.
    bool UseNagle() const noexcept { return useNagle_; }
    void SetUseNagle(bool useNagle) noexcept { useNagle_ = useNagle; }

    // Proxy settings, created on first use (the first ConnectTo).
    TIdSocksInfo &SocksInfo();

    void CloseBinding() noexcept override;
    void ConnectTo(const std::string &host, std::int32_t port,
                   const std::string &boundIP, std::int32_t boundPort,
                   std::int32_t boundPortMin, std::int32_t boundPortMax,
                   std::int32_t timeout) override;
    bool HasOpenSocket() const noexcept override;
    std::string PeerIP() const override;
    // Creates the Endpoint, or resets the existing one for reuse.
    void PrepareBinding() override;

private:
    // The socket family to open before the lookup: that of the bound
    // address, the only one allowed, or that of an address literal, else
    // IPv4.
    int FirstSocketFamily(const std::string &host, const std::string &boundIP) const;
    // The addresses to connect to for `host` that a socket bound to
    // `boundIP` can reach, in the resolver's order.
    std::vector<std::string> Addresses(const std::string &host, const std::string &boundIP);
    // From the address memory when it holds the host, else resolved (and
    // remembered when there is a memory), timing the lookup.
    std::vector<std::string> LookUp(const std::string &host);
    void Race(TIdSocketHandle &endpoint, const std::vector<std::string> &addresses, std::int32_t port,
              SocketBinding binding, std::int32_t timeLimitMs);
    void ConnectDirect(TIdSocketHandle &endpoint, std::int32_t timeLimitMs);

    // Declared first so that it goes last: the proxy settings are freed
    // before the socket.
    std::unique_ptr<TIdSocketHandle> endpoint_;
    std::unique_ptr<TIdSocksInfo> socksInfo_;
    bool useNagle_ = true;
};
