// SPDX-License-Identifier: MIT
#include "net/TIdSocksInfo.h"

TIdSocksInfo::TIdSocksInfo(TIdBaseComponent *owner) : TIdComponent(owner) {}

TIdSocksInfo::~TIdSocksInfo() = default;
