// SPDX-License-Identifier: MIT
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
        IOHandler()->PrepareBinding();
        IOHandler()->ConnectTo(host_, port_, boundIP_, boundPort_, boundPortMin_,
                               boundPortMax_, timeout);
        ReportStatus(hsConnected, host_);
        NotifyConnected();
    } catch (...) {
        ReleaseSocket();
        throw;
    }
}
