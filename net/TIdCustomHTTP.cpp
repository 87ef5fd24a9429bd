// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdCustomHTTP.h"

#include <string>

TIdCustomHTTP::TIdCustomHTTP(TIdBaseComponent *owner) : TIdTCPClient(owner)
{
    SetPort(80);
}

TIdCustomHTTP::~TIdCustomHTTP() = default;

void TIdCustomHTTP::SetHost(const std::string &host)
{
    TIdTCPClient::SetHost(host);
    url_.SetHost(host);
}

void TIdCustomHTTP::SetPort(std::int32_t port)
{
    TIdTCPClient::SetPort(port);
    url_.SetPort(std::to_string(port));
}
