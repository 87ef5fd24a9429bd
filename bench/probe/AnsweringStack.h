// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdStackPosix.h"

#include <map>
#include <string>
#include <vector>

// The POSIX stack with host lookups answered from a table instead of the
// resolver, so that a benchmark can time names of one or both families
// without asking anybody; a name not in the table is not found. Install it
// with SetStackClass before the first network component.
class AnsweringStack final : public TIdStack {
public:
    using Table = std::map<std::string, std::vector<IPAddress>>;
    explicit AnsweringStack(Table table);

    int SysSocket(int family, int type, int protocol) override;
    int SysSetSockOpt(int socket, int level, int option, int value) override;
    int SysBind(int socket, const sockaddr_in &local) override;
    int SysGetSockName(int socket, sockaddr_in &local) override;
    int SysGetPeerName(int socket, sockaddr_in &peer) override;
    int SysLookupIPv4(const std::string &name, in_addr &first) override;
    int SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel) override;
    int SysBind6(int socket, const sockaddr_in6 &local) override;
    int SysGetSockName6(int socket, sockaddr_in6 &local) override;
    int SysGetPeerName6(int socket, sockaddr_in6 &peer) override;
    int SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found) override;
    int SysConnectStart(int socket, const sockaddr &peer, socklen_t length, const CancelToken &cancel) override;
    int SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                         int &ended) override;
    int SysShutdown(int socket, int how) override;
    int SysClose(int socket) override;
    int SysLastError() override;
    std::string SocketErrorText(int code) const override;

private:
    TIdStackPosix posix_;
    Table table_;
};
