#include "net/TIdIOHandler.h"

#include "net/IdException.h"

void CheckConnectTimeout(std::int32_t timeout)
{
    if (timeout != -1 && timeout != 0)
        throw EIdTimeoutNotSupported(TimeoutNotSupportedMessage(timeout));
}

TIdIOHandler::TIdIOHandler(TIdBaseComponent *owner) : TIdComponent(owner) {}

TIdIOHandler::~TIdIOHandler() = default;

void TIdIOHandler::CloseBinding() noexcept {}

void TIdIOHandler::PrepareBinding() {}
