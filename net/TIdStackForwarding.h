// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdStackPosix.h"

// A stack that passes every call to the POSIX stack: the base of a stack
// that makes a few calls its own (names answered from a table, a machine
// without a resolver) and leaves the sockets real. An overridden call ends
// with Succeed or Fail, so that SysLastError gives the code of whichever
// call, its own or the platform's, was the thread's last.
class TIdStackForwarding : public TIdStack {
public:
    TIdStackForwarding();
    ~TIdStackForwarding() override;

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

protected:
    // The ends of an overridden call: `result`, or -1 with `code` for
    // SysLastError.
    static int Succeed(int result = 0);
    static int Fail(int code);

private:
    TIdStackPosix posix_;
};
