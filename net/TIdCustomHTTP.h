// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdTCPClient.h"
#include "net/TIdURI.h"

// The HTTP client's connection part: a TCP client to port 80 whose address
// record follows Host and Port. Connecting and closing are the TCP client's.
class TIdCustomHTTP : public TIdTCPClient {
public:
    explicit TIdCustomHTTP(TIdBaseComponent *owner = nullptr);
    ~TIdCustomHTTP() override;

    void SetHost(const std::string &host) override;
    void SetPort(std::int32_t port) override;

    const TIdURI &URL() const noexcept { return url_; }

private:
    TIdURI url_;
};
