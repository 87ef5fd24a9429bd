// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdHTTP.h"

TIdHTTP::TIdHTTP() = default;

TIdHTTP::~TIdHTTP() = default;
