// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdStack.h"

#include <sys/socket.h>

#include <functional>

// The stack over POSIX sockets and getaddrinfo, IPv4 and IPv6. Failures are
// recorded per thread as Windows Sockets numbers right after each call, so
// nothing in between can disturb errno. Sockets are created close-on-exec
// and non-blocking: a connect waits in poll, so that it can end at its time
// limit, when its check is cancelled or when connects are interrupted, and
// still blocks its caller.
//
// The platform's connect(2) is a seam: a test may stand in for it to see how
// often it is called or to make it report what real sockets rarely do.
class TIdStackPosix final : public TIdStack {
public:
    using ConnectCall = std::function<int(int socket, const sockaddr *peer, socklen_t length)>;

    explicit TIdStackPosix(ConnectCall connect = ::connect);
    ~TIdStackPosix() override;

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

    // Adds 11001 "Host not found." to the common table.
    std::string SocketErrorText(int code) const override;

private:
    ConnectCall connect_;
};
