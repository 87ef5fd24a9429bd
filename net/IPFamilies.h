// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>

// Which address families a client may connect over. Any takes what the
// resolver gives, in its order, and races the families; the others keep to
// one family alone (a host without an address of it is not found).
enum class IPFamilies : std::uint8_t { Any, IPv4Only, IPv6Only };
