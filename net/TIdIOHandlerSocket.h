// SPDX-License-Identifier: MIT
#pragma once

#include "net/TIdIOHandler.h"
#include "net/TIdSocketHandle.h"
#include "net/TIdSocksInfo.h"

#include <memory>

// The I/O handler over one platform socket (its Endpoint). ConnectTo opens
// and binds the socket, resolves the host and connects, reporting
// hsResolving (only for a host that is no dotted address) and hsConnecting
// with itself as the sender. The socket created before a failed step stays
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
    // The address to connect to for `host`, from the address memory when it
    // holds the host, else resolved (and remembered when there is a memory).
    std::string RemoteAddress(const std::string &host);
    void ConnectDirect(TIdSocketHandle &endpoint, std::int32_t timeLimitMs);

    // Declared first so that it goes last: the proxy settings are freed
    // before the socket.
    std::unique_ptr<TIdSocketHandle> endpoint_;
    std::unique_ptr<TIdSocksInfo> socksInfo_;
    bool useNagle_ = true;
};
