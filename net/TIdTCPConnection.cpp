// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdTCPConnection.h"

#include "net/TIdIOHandler.h"

#include <exception>
#include <utility>

TIdTCPConnection::TIdTCPConnection(TIdBaseComponent *owner) : TIdComponent(owner) {}

TIdTCPConnection::~TIdTCPConnection() = default;

void TIdTCPConnection::SetIOHandler(TIdIOHandler *handler)
{
    if (handler == ioHandler_)
        return;
    FreeOwnedIOHandler();
    ioHandler_ = handler;
}

TIdConnectionState TIdTCPConnection::State() const noexcept
{
    if (ioHandler_ == nullptr)
        return csIdle;
    if (ioHandler_->HasOpenSocket())
        return csConnected;
    return OwnsIOHandler() ? csFailed : csIdle;
}

std::string TIdTCPConnection::PeerIP() const
{
    return ioHandler_ != nullptr ? ioHandler_->PeerIP() : std::string();
}

ConnectReport TIdTCPConnection::LastConnectReport() const
{
    return ioHandler_ != nullptr ? ioHandler_->LastConnectReport() : ConnectReport();
}

void TIdTCPConnection::SetOnDisconnected(TIdNotifyEvent handler)
{
    onDisconnected_ = std::move(handler);
}

void TIdTCPConnection::NotifyDisconnected()
{
    if (onDisconnected_)
        onDisconnected_(this);
}

void TIdTCPConnection::CloseConnection()
{
    // A status handler that raises must not leave the socket open.
    std::exception_ptr reportError;
    try {
        ReportStatus(hsDisconnecting);
    } catch (...) {
        reportError = std::current_exception();
    }
    ReleaseSocket();
    FreeOwnedIOHandler();
    if (reportError)
        std::rethrow_exception(reportError);
    NotifyDisconnected();
    ReportStatus(hsDisconnected);
}

void TIdTCPConnection::ReleaseSocket() noexcept
{
    if (ioHandler_ != nullptr)
        ioHandler_->CloseBinding();
}

void TIdTCPConnection::AdoptIOHandler(std::unique_ptr<TIdIOHandler> handler)
{
    FreeOwnedIOHandler();
    ioHandler_ = handler.get();
    ownedHandler_ = std::move(handler);
}

void TIdTCPConnection::FreeOwnedIOHandler() noexcept
{
    if (!ownedHandler_)
        return;
    ioHandler_ = nullptr;
    ownedHandler_.reset();
}
