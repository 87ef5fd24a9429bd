// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IPAddress.h"

#include <arpa/inet.h>
#include <net/if.h>

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

// A zone by number ("2") or by interface name ("eth0"); 0 when it is neither.
std::uint32_t ZoneNumber(std::string_view zone)
{
    if (zone.empty() || zone.size() >= IF_NAMESIZE)
        return 0;
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(zone.data(), zone.data() + zone.size(), number);
    if (error == std::errc() && end == zone.data() + zone.size())
        return number;
    return ::if_nametoindex(std::string(zone).c_str());
}

std::string ZoneText(std::uint32_t scopeId)
{
    char name[IF_NAMESIZE] = {};
    if (::if_indextoname(scopeId, name) != nullptr)
        return name;
    return std::to_string(scopeId);
}

} // namespace

IPAddress::IPAddress() noexcept = default;

IPAddress IPAddress::FromIPv4(const in_addr &address) noexcept
{
    IPAddress result;
    result.v4_ = address;
    return result;
}

IPAddress IPAddress::FromIPv6(const in6_addr &address, std::uint32_t scopeId) noexcept
{
    IPAddress result;
    result.version_ = IPVersion::IPv6;
    result.v6_ = address;
    result.scopeId_ = scopeId;
    return result;
}

std::optional<IPAddress> IPAddress::ParseIPv6(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos || text.find(':') == std::string_view::npos)
        return std::nullopt;
    const std::size_t percent = text.find('%');
    std::uint32_t scopeId = 0;
    if (percent != std::string_view::npos) {
        scopeId = ZoneNumber(text.substr(percent + 1));
        if (scopeId == 0)
            return std::nullopt;
    }
    in6_addr address{};
    if (::inet_pton(AF_INET6, std::string(text.substr(0, percent)).c_str(), &address) != 1)
        return std::nullopt;
    return FromIPv6(address, scopeId);
}

std::string IPAddress::Text() const
{
    if (version_ == IPVersion::IPv4) {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &v4_, text, sizeof text);
        return text;
    }
    std::string text = IPv6Text(v6_);
    if (scopeId_ != 0) {
        text += '%';
        text += ZoneText(scopeId_);
    }
    return text;
}

sockaddr_in6 IPAddress::SocketAddress6(std::uint16_t port) const noexcept
{
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = v6_;
    address.sin6_scope_id = scopeId_;
    return address;
}

bool IPAddress::operator==(const IPAddress &other) const noexcept
{
    if (version_ != other.version_)
        return false;
    if (version_ == IPVersion::IPv4)
        return v4_.s_addr == other.v4_.s_addr;
    return std::memcmp(&v6_, &other.v6_, sizeof v6_) == 0 && scopeId_ == other.scopeId_;
}

std::string IPv6Text(const in6_addr &address)
{
    char buffer[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &address, buffer, sizeof buffer);
    std::string text = buffer;
    // The C library writes the long-deprecated IPv4-compatible addresses
    // (::a.b.c.d) in dotted form too; RFC 5952 keeps that to mapped ones.
    if (text.find('.') == std::string::npos || IN6_IS_ADDR_V4MAPPED(&address))
        return text;
    const unsigned char *bytes = address.s6_addr;
    char tail[10] = {};
    std::snprintf(tail, sizeof tail, "%x:%x", (bytes[12] << 8) | bytes[13], (bytes[14] << 8) | bytes[15]);
    return text.substr(0, text.rfind(':') + 1) + tail;
}
