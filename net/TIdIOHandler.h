#pragma once

#include "net/TIdComponent.h"

#include <cstdint>
#include <string>

// Connect time limits the client offers: -1 and 0 both mean none (the
// connect blocks until the platform gives up). Raises
// EIdTimeoutNotSupported for any other value.
void CheckConnectTimeout(std::int32_t timeout);

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

    // Gets ready for a new ConnectTo. Does nothing here.
    virtual void PrepareBinding();
};
