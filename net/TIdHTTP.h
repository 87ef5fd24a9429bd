// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdCustomHTTP.h"

// The HTTP client component. Port is 80 from construction.
class TIdHTTP final : public TIdCustomHTTP {
public:
    TIdHTTP();
    ~TIdHTTP() override;
};
