// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdComponent.h"

// Proxy protocols. The client only connects directly.
enum TIdSocksVersion { svNoSocks };

// Proxy settings of an I/O handler. A network component of its own, so it
// holds the socket stack like the handler does.
class TIdSocksInfo final : public TIdComponent {
public:
    explicit TIdSocksInfo(TIdBaseComponent *owner = nullptr);
    ~TIdSocksInfo() override;

    TIdSocksVersion Version() const noexcept { return svNoSocks; }
};
