// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// Addresses of both families inside the test's private network (see
// PrivateNetwork.h), on its loopback interface. With one non-loopback
// address of each family the resolver gives names of both families, IPv6
// first.
inline constexpr const char *kTestIPv4 = "10.77.0.1";
inline constexpr const char *kTestIPv6 = "fd00:6b::1";
inline constexpr const char *kSecondTestIPv6 = "fd00:6b::2";
// A link-local address on the loopback interface, reached as "fe80::6b%lo".
inline constexpr const char *kLinkLocalTestIPv6 = "fe80::6b";

// Puts the four addresses above on the private network's loopback
// interface (once; later calls only report). False with `reason` outside a
// private network or when the addresses cannot be added.
bool AddTestAddresses(QString *reason);

// A TCP peer on one address of either family: one that accepts, one that
// refuses at once (bound, not listening), or one that never answers (a
// listener with a full queue, whose SYNs are dropped as on a route that
// goes nowhere). `port` 0: one the kernel picks; a peer of the other family
// can then take the same number.
class PeerSocket final {
public:
    enum class Kind { Accepting, Refusing, Silent };

    PeerSocket(const std::string &address, std::uint16_t port, Kind kind);
    ~PeerSocket();
    PeerSocket(const PeerSocket &) = delete;
    PeerSocket &operator=(const PeerSocket &) = delete;

    bool IsValid() const { return error_.isEmpty(); }
    QString Error() const { return error_; }
    std::uint16_t Port() const { return port_; }
    // For an accepting peer: accepts what is waiting (each closed at once)
    // and returns the number accepted so far.
    int AcceptPending();

private:
    bool Open(const std::string &address, Kind kind);
    bool Fill(const std::string &address);

    int socket_ = -1;
    std::vector<int> fillers_;
    std::uint16_t port_ = 0;
    int accepted_ = 0;
    QString error_;
};
