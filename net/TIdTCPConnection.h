// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/ConnectReport.h"
#include "net/TIdComponent.h"

#include <functional>
#include <memory>
#include <string>

class TIdIOHandler;

// A plain notification from a component.
using TIdNotifyEvent = std::function<void(TIdComponent *sender)>;

// A client as seen from outside: no handler (Idle), a handler with an open
// socket (Connected), or the handler of a failed open, its socket closed,
// kept for reuse (Failed).
enum TIdConnectionState { csIdle, csConnected, csFailed };

// A TCP connection that talks to the network through an I/O handler.
class TIdTCPConnection : public TIdComponent {
public:
    explicit TIdTCPConnection(TIdBaseComponent *owner = nullptr);
    // Frees an owned handler, which closes its socket.
    ~TIdTCPConnection() override;

    TIdIOHandler *IOHandler() const noexcept { return ioHandler_; }
    // Uses a handler that the caller owns and keeps alive; a handler this
    // connection owned is freed first.
    void SetIOHandler(TIdIOHandler *handler);
    // True while the handler was made by OpenConnection and is freed by
    // CloseConnection.
    bool OwnsIOHandler() const noexcept { return ownedHandler_ != nullptr; }
    TIdConnectionState State() const noexcept;
    // The handler's PeerIP: the address connected to or tried by the last
    // open, until the close frees the handler; empty without a handler.
    std::string PeerIP() const;
    // The handler's report of the last open (see TIdIOHandler), as long as
    // PeerIP lasts; empty without a handler.
    ConnectReport LastConnectReport() const;

    void SetOnDisconnected(TIdNotifyEvent handler);

    // Calls OnDisconnected when assigned.
    virtual void NotifyDisconnected();

    // Reports hsDisconnecting, closes the socket, frees an owned handler,
    // notifies, reports hsDisconnected. Valid in every state and leads to
    // Idle (with an owned handler). Raises only what the event handlers
    // raise; the socket is closed and the handler freed even then.
    virtual void CloseConnection();

    // Closes the handler's socket, if any. Never raises.
    virtual void ReleaseSocket() noexcept;

protected:
    // Makes `handler` the IOHandler, owned by this connection.
    void AdoptIOHandler(std::unique_ptr<TIdIOHandler> handler);

private:
    void FreeOwnedIOHandler() noexcept;

    TIdIOHandler *ioHandler_ = nullptr;
    std::unique_ptr<TIdIOHandler> ownedHandler_;
    TIdNotifyEvent onDisconnected_;
};
