// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdSocksInfo.h"

TIdSocksInfo::TIdSocksInfo(TIdBaseComponent *owner) : TIdComponent(owner) {}

TIdSocksInfo::~TIdSocksInfo() = default;
