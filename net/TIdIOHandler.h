// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/CancelToken.h"
#include "net/ConnectReport.h"
#include "net/IPFamilies.h"
#include "net/ResolvedHost.h"
#include "net/TIdComponent.h"

#include <cstdint>
#include <string>

// How long a connect may wait when nothing else is asked: the time after
// which the platform the client was first written for gives up on a host
// that never answers. Linux would wait over two minutes.
inline constexpr std::int32_t kPlatformConnectTimeoutMs = 21000;

// The connect time limit in milliseconds for a `timeout` given to
// OpenConnection: -1 and 0 mean the platform's limit above, a positive value
// is the limit itself. Raises EIdTimeoutNotSupported for other values.
std::int32_t ConnectTimeLimitMs(std::int32_t timeout);

// How a connection reaches the network. A connection asks its handler to
// prepare, to connect and to close; the handler owns whatever that needs.
class TIdIOHandler : public TIdComponent {
public:
    explicit TIdIOHandler(TIdBaseComponent *owner = nullptr);
    ~TIdIOHandler() override;

    // Closes the connection's socket, if any. Never raises. Does nothing here.
    virtual void CloseBinding() noexcept;

    // Connects to host:port from the bound address and port (range minimum
    // and maximum: see TIdSocketHandle). Blocks; raises on any failure.
    virtual void ConnectTo(const std::string &host, std::int32_t port,
                           const std::string &boundIP, std::int32_t boundPort,
                           std::int32_t boundPortMin, std::int32_t boundPortMax,
                           std::int32_t timeout) = 0;

    virtual bool HasOpenSocket() const noexcept = 0;

    // The dotted address the last ConnectTo connected to or tried, once the
    // host was resolved; empty before that. Empty here.
    virtual std::string PeerIP() const;

    // Gets ready for a new ConnectTo. Does nothing here.
    virtual void PrepareBinding();

    // What ends the waits of the next ConnectTo early (beside the
    // process-wide interrupt). The connection sets it before each connect.
    const CancelToken &Cancellation() const noexcept { return cancellation_; }
    void SetCancellation(const CancelToken &token) { cancellation_ = token; }

    // The families the next ConnectTo may connect over (Any by default).
    // The connection sets it before each connect.
    IPFamilies Families() const noexcept { return families_; }
    void SetFamilies(IPFamilies families) noexcept { families_ = families; }

    // Where the next ConnectTo finds the addresses of an earlier lookup of
    // the same host and keeps those of a new one; nullptr (the default)
    // resolves every time. Borrowed; the connection sets it before each
    // connect and owns what it points to.
    ResolvedHost *AddressMemory() const noexcept { return addressMemory_; }
    void SetAddressMemory(ResolvedHost *memory) noexcept { addressMemory_ = memory; }

    // How the last ConnectTo went: the lookup's and the connect's durations,
    // the family, and the attempts of a race. Empty before the first.
    const ConnectReport &LastConnectReport() const noexcept { return report_; }

protected:
    ConnectReport &Report() noexcept { return report_; }

private:
    ConnectReport report_;
    CancelToken cancellation_;
    IPFamilies families_ = IPFamilies::Any;
    ResolvedHost *addressMemory_ = nullptr;
};
