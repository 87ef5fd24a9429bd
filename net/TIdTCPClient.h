// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/CancelToken.h"
#include "net/IPFamilies.h"
#include "net/ResolvedHost.h"
#include "net/TIdTCPConnection.h"

#include <cstdint>
#include <string>

// A TCP client: connects to Host:Port from BoundIP:BoundPort. Nothing is
// sent or received; the handshake and the close are the whole exchange.
class TIdTCPClient : public TIdTCPConnection {
public:
    explicit TIdTCPClient(TIdBaseComponent *owner = nullptr);
    ~TIdTCPClient() override;

    // Stored unchanged: no parsing, trimming or check.
    const std::string &Host() const noexcept { return host_; }
    virtual void SetHost(const std::string &host);
    std::int32_t Port() const noexcept { return port_; }
    virtual void SetPort(std::int32_t port);

    // Local address to bind; empty means any.
    const std::string &BoundIP() const noexcept { return boundIP_; }
    void SetBoundIP(const std::string &ip) { boundIP_ = ip; }
    // Local port to bind; 0 means any.
    std::int32_t BoundPort() const noexcept { return boundPort_; }
    void SetBoundPort(std::int32_t port) noexcept { boundPort_ = port; }
    // Local port range; 0 and 0 mean none.
    std::int32_t BoundPortMin() const noexcept { return boundPortMin_; }
    void SetBoundPortMin(std::int32_t port) noexcept { boundPortMin_ = port; }
    std::int32_t BoundPortMax() const noexcept { return boundPortMax_; }
    void SetBoundPortMax(std::int32_t port) noexcept { boundPortMax_ = port; }

    // Ends this client's connect waits early when cancelled, whatever other
    // clients do; a default token leaves only the process-wide interrupt.
    const CancelToken &Cancellation() const noexcept { return cancellation_; }
    void SetCancellation(const CancelToken &token) { cancellation_ = token; }

    // The address families an open may connect over; Any unless set.
    IPFamilies Families() const noexcept { return families_; }
    void SetFamilies(IPFamilies families) noexcept { families_ = families; }

    // While true, an open reuses the addresses an earlier open resolved for
    // the same host and families, and looks the host up again only after an
    // open failed (or the host or families changed). False (the default)
    // looks the host up at every open. Turning it off forgets the addresses.
    bool ResolveOnce() const noexcept { return resolveOnce_; }
    void SetResolveOnce(bool resolveOnce) noexcept;

    void SetOnConnected(TIdNotifyEvent handler);

    // Calls OnConnected when assigned.
    virtual void NotifyConnected();

    // Connects to Host:Port, blocking until the connect attempt ends;
    // reports hsConnected and notifies. `timeout` -1 or 0: the attempt ends
    // after kPlatformConnectTimeoutMs (21 s) with WSAETIMEDOUT; a positive
    // value: after that many milliseconds; any other value raises
    // EIdTimeoutNotSupported before anything changes. Host resolution is not
    // covered by the limit. When the Cancellation token is cancelled or
    // connects are interrupted (ConnectInterrupt.h), the attempt fails at
    // once with WSAEINTR.
    //
    // In Idle a socket I/O handler is created (with this client's OnStatus)
    // and owned; in Failed the kept handler is reused; in Connected
    // EIdAlreadyConnected is raised and nothing changes. On any failure the
    // socket is closed and the error raised again; the handler stays (Failed)
    // until CloseConnection. Errors: the EIdException family.
    virtual void OpenConnection(std::int32_t timeout = -1);

private:
    std::string host_;
    std::int32_t port_ = 0;
    std::string boundIP_;
    std::int32_t boundPort_ = 0;
    std::int32_t boundPortMin_ = 0;
    std::int32_t boundPortMax_ = 0;
    TIdNotifyEvent onConnected_;
    CancelToken cancellation_;
    IPFamilies families_ = IPFamilies::Any;
    bool resolveOnce_ = false;
    ResolvedHost resolved_;
};
