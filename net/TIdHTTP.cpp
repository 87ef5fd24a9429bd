// SPDX-License-Identifier: MIT
#include "net/TIdHTTP.h"

TIdHTTP::TIdHTTP() = default;

TIdHTTP::~TIdHTTP() = default;
