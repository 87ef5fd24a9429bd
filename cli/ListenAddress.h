// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The address the exporter listens on, as --listen takes it:
//   127.0.0.1:9374   one IPv4 address
//   [::1]:9374       one IPv6 address
//   :9374            every address of the machine, IPv4 and IPv6
// Only numeric addresses: a name would be resolved once, at start-up, and
// could stand for several. Port 0 lets the system choose one (the exporter
// reports which).
struct ListenAddress {
    std::string address; // empty for every address; IPv6 without brackets
    std::uint16_t port = 0;

    // The form civetweb's "listening_ports" option takes.
    std::string ForServer() const;
};

std::optional<ListenAddress> ReadListenAddress(const std::string &text);

// True when `text` reads as a ListenAddress.
inline bool ListenAddressValid(const std::string &text)
{
    return ReadListenAddress(text).has_value();
}
