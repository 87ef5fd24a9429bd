// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "AnsweringStack.h"

#include "net/SocketErrors.h"

#include <utility>

AnsweringStack::AnsweringStack(Table table) : table_(std::move(table)) {}

int AnsweringStack::SysLookupIPv4(const std::string &name, in_addr &first)
{
    std::vector<IPAddress> found;
    if (SysLookup(name, IPFamilies::IPv4Only, found) == -1)
        return -1;
    first = found.front().IPv4();
    return Succeed();
}

int AnsweringStack::SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found)
{
    found.clear();
    if (const auto answer = table_.find(name); answer != table_.end()) {
        for (const IPAddress &address : answer->second) {
            if (families == IPFamilies::Any
                || (families == IPFamilies::IPv6Only) == (address.Version() == IPVersion::IPv6))
                found.push_back(address);
        }
    }
    return found.empty() ? Fail(WSAHOST_NOT_FOUND) : Succeed();
}
