// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdTCPClient.h"

#include "net/IdException.h"
#include "net/TIdIOHandlerSocket.h"

#include <memory>
#include <utility>

TIdTCPClient::TIdTCPClient(TIdBaseComponent *owner) : TIdTCPConnection(owner) {}

TIdTCPClient::~TIdTCPClient() = default;

void TIdTCPClient::SetHost(const std::string &host)
{
    host_ = host;
}

void TIdTCPClient::SetPort(std::int32_t port)
{
    port_ = port;
}

void TIdTCPClient::SetResolveOnce(bool resolveOnce) noexcept
{
    resolveOnce_ = resolveOnce;
    if (!resolveOnce)
        resolved_.Forget();
}

void TIdTCPClient::SetOnConnected(TIdNotifyEvent handler)
{
    onConnected_ = std::move(handler);
}

void TIdTCPClient::NotifyConnected()
{
    if (onConnected_)
        onConnected_(this);
}

void TIdTCPClient::OpenConnection(std::int32_t timeout)
{
    ConnectTimeLimitMs(timeout); // refuses an unusable limit before anything changes
    if (IOHandler() == nullptr) {
        auto handler = std::make_unique<TIdIOHandlerSocket>(this);
        handler->SetOnStatus(OnStatus());
        AdoptIOHandler(std::move(handler));
    } else if (IOHandler()->HasOpenSocket()) {
        throw EIdAlreadyConnected(MsgAlreadyConnected);
    }
    try {
        IOHandler()->SetCancellation(cancellation_);
        IOHandler()->SetFamilies(families_);
        IOHandler()->SetAddressMemory(resolveOnce_ ? &resolved_ : nullptr);
        IOHandler()->PrepareBinding();
        IOHandler()->ConnectTo(host_, port_, boundIP_, boundPort_, boundPortMin_,
                               boundPortMax_, timeout);
        IOHandler()->SetAddressMemory(nullptr); // a caller's handler may outlive this client
        ReportStatus(hsConnected, host_);
        NotifyConnected();
    } catch (...) {
        // An address that failed may be stale: the next open asks again.
        resolved_.Forget();
        IOHandler()->SetAddressMemory(nullptr);
        ReleaseSocket();
        throw;
    }
}
