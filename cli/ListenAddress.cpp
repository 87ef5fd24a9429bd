// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ListenAddress.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace {

std::optional<std::uint16_t> Port(std::string_view text)
{
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool Numeric(int family, const std::string &address)
{
    unsigned char bytes[16];
    return ::inet_pton(family, address.c_str(), bytes) == 1;
}

} // namespace

std::string ListenAddress::ForServer() const
{
    const std::string port = std::to_string(this->port);
    if (address.empty())
        return "+" + port; // IPv4 and IPv6 both
    if (address.find(':') != std::string::npos)
        return "[" + address + "]:" + port;
    return address + ":" + port;
}

std::optional<ListenAddress> ReadListenAddress(const std::string &text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto port = Port(std::string_view(text).substr(colon + 1));
    if (!port)
        return std::nullopt;
    ListenAddress listen;
    listen.port = *port;
    const std::string host = text.substr(0, colon);
    if (host.empty())
        return listen;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        listen.address = host.substr(1, host.size() - 2);
        return Numeric(AF_INET6, listen.address) ? std::optional(listen) : std::nullopt;
    }
    listen.address = host;
    return Numeric(AF_INET, host) ? std::optional(listen) : std::nullopt;
}
