// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/IPFamilies.h"

#include <string>
#include <vector>

// The addresses one lookup gave for a host, kept so that later connects to
// the same host over the same families may skip the lookup. Empty until
// something is remembered, and again after Forget.
class ResolvedHost final {
public:
    // True when addresses for exactly this host text and families are kept.
    bool Holds(const std::string &host, IPFamilies families) const
    {
        return !addresses_.empty() && families_ == families && host_ == host;
    }
    const std::vector<std::string> &Addresses() const noexcept { return addresses_; }

    void Remember(const std::string &host, IPFamilies families, std::vector<std::string> addresses)
    {
        host_ = host;
        families_ = families;
        addresses_ = std::move(addresses);
    }
    void Forget() noexcept { addresses_.clear(); }

private:
    std::string host_;
    IPFamilies families_ = IPFamilies::Any;
    std::vector<std::string> addresses_;
};
