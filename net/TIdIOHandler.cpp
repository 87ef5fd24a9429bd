// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdIOHandler.h"

#include "net/IdException.h"

std::int32_t ConnectTimeLimitMs(std::int32_t timeout)
{
    if (timeout > 0)
        return timeout;
    if (timeout != -1 && timeout != 0)
        throw EIdTimeoutNotSupported(TimeoutNotSupportedMessage(timeout));
    return kPlatformConnectTimeoutMs;
}

TIdIOHandler::TIdIOHandler(TIdBaseComponent *owner) : TIdComponent(owner) {}

TIdIOHandler::~TIdIOHandler() = default;

void TIdIOHandler::CloseBinding() noexcept {}

void TIdIOHandler::PrepareBinding() {}

std::string TIdIOHandler::PeerIP() const
{
    return {};
}
