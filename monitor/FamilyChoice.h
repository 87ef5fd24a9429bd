// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>

// The user's choice of address family for the checks: Auto connects over
// whatever the host and the network give (racing IPv6 and IPv4), the others
// over that family only.
enum class FamilyChoice : std::uint8_t { Auto, IPv4Only, IPv6Only };
