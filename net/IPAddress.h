// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The version of the internet protocol an address belongs to.
enum class IPVersion : std::uint8_t { IPv4, IPv6 };

// One IP address of either version. An IPv6 address keeps its zone (the
// interface a link-local address belongs to) as a scope number; 0 means
// none.
class IPAddress final {
public:
    // 0.0.0.0.
    IPAddress() noexcept;
    static IPAddress FromIPv4(const in_addr &address) noexcept;
    static IPAddress FromIPv6(const in6_addr &address, std::uint32_t scopeId = 0) noexcept;

    // An IPv6 literal as a user types one, without brackets: "::1",
    // "2001:db8::1", or with a zone, by interface name or number
    // ("fe80::1%lo", "fe80::1%1"). Nothing for any other text, for a zone
    // that names no interface, and for a text with a NUL character.
    static std::optional<IPAddress> ParseIPv6(std::string_view text);

    IPVersion Version() const noexcept { return version_; }
    // The address of its version; the other one is all zeros.
    const in_addr &IPv4() const noexcept { return v4_; }
    const in6_addr &IPv6() const noexcept { return v6_; }
    std::uint32_t ScopeId() const noexcept { return scopeId_; }

    // Dotted IPv4 without leading zeros, or IPv6 in its RFC 5952 text
    // ("2001:db8::1"), with "%zone" after it when it has a zone (the
    // interface's name, or its number when the interface is gone).
    std::string Text() const;

    // The socket address of an IPv6 address with `port`.
    sockaddr_in6 SocketAddress6(std::uint16_t port) const noexcept;

    bool operator==(const IPAddress &other) const noexcept;

private:
    IPVersion version_ = IPVersion::IPv4;
    in_addr v4_{};
    in6_addr v6_{};
    std::uint32_t scopeId_ = 0;
};

// The RFC 5952 text of an IPv6 address: lower-case hexadecimal without
// leading zeros, the first longest run of two or more zero groups as "::",
// and the dotted form of the last 32 bits only for IPv4-mapped addresses.
std::string IPv6Text(const in6_addr &address);
