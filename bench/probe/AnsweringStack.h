// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdStackForwarding.h"

#include <map>
#include <string>
#include <vector>

// The POSIX stack with host lookups answered from a table instead of the
// resolver, so that a benchmark can time names of one or both families
// without asking anybody; a name not in the table is not found. Install it
// with SetStackClass before the first network component.
class AnsweringStack final : public TIdStackForwarding {
public:
    using Table = std::map<std::string, std::vector<IPAddress>>;
    explicit AnsweringStack(Table table);

    int SysLookupIPv4(const std::string &name, in_addr &first) override;
    int SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found) override;

private:
    Table table_;
};
