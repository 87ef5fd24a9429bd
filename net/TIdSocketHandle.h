// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/CancelToken.h"

#include <sys/socket.h>

#include <cstdint>
#include <string>

class TIdStack;

// One platform socket with its local and peer addresses. The handle owns its
// descriptor: it can be moved but not copied, and the descriptor is shut down
// and closed exactly once, by ReleaseHandle or at the latest by the
// destructor. All socket calls go through the process-wide stack, so a
// network component must live while a handle is used.
class TIdSocketHandle {
public:
    TIdSocketHandle() noexcept;
    virtual ~TIdSocketHandle();
    TIdSocketHandle(TIdSocketHandle &&other) noexcept;
    TIdSocketHandle &operator=(TIdSocketHandle &&other) noexcept;
    TIdSocketHandle(const TIdSocketHandle &) = delete;
    TIdSocketHandle &operator=(const TIdSocketHandle &) = delete;

    int OsSocket() const noexcept { return osSocket_; }
    // AF_INET or AF_INET6: the family of the socket AllocateHandle opened
    // last (AF_INET before the first).
    int Family() const noexcept { return family_; }
    bool SocketOpen() const noexcept { return socketOpen_; }

    // Local address (dotted, or IPv6 text for an IPv6 socket; empty means
    // any) and port (0 means any). The remote address likewise.
    const std::string &IP() const noexcept { return ip_; }
    void SetIP(const std::string &ip) { ip_ = ip; }
    std::int32_t Port() const noexcept { return port_; }
    void SetPort(std::int32_t port) noexcept { port_ = port; }
    const std::string &RemoteIP() const noexcept { return remoteIP_; }
    void SetRemoteIP(const std::string &ip) { remoteIP_ = ip; }
    std::int32_t RemotePort() const noexcept { return remotePort_; }
    void SetRemotePort(std::int32_t port) noexcept { remotePort_ = port; }
    // Local port range for binding; 0 and 0 mean no range (bind to Port).
    std::int32_t ClientPortMin() const noexcept { return clientPortMin_; }
    void SetClientPortMin(std::int32_t port) noexcept { clientPortMin_ = port; }
    std::int32_t ClientPortMax() const noexcept { return clientPortMax_; }
    void SetClientPortMax(std::int32_t port) noexcept { clientPortMax_ = port; }

    // Opens a new stream socket of `family` (AF_INET or AF_INET6),
    // releasing an open one first. Raises EIdInvalidSocket when the platform
    // gives none.
    void AllocateHandle(int family = AF_INET);

    // Binds to IP and Port, or to the first free port of the range (an IPv6
    // socket with no address, port or range to bind is left unbound). Raises
    // EIdCouldNotBindSocket when the address is in use (every port of the
    // range, when there is one) and EIdSocketError for other failures.
    void BindLocal();

    // One bind to IP and Port; IP and Port then hold the bound address (read
    // back when the kernel picked the port at once). False when the address
    // is in use; other failures raise EIdSocketError.
    bool TryBindLocal();

    // Shuts down the sending direction and closes the socket when it is open
    // (results ignored); otherwise nothing. Never raises.
    virtual void ReleaseHandle() noexcept;

    // Back to the state at creation: released, no addresses. The port range
    // stays.
    void ResetState() noexcept;

    // Read the local or peer address back from the socket. Raise
    // EIdSocketError on failure.
    void RefreshLocal();
    void RefreshPeer();

    // Connects to RemoteIP:RemotePort, blocking for at most `timeoutMs` or
    // until `cancel` is cancelled; on success reads both addresses back. Returns the platform's result (-1 on
    // failure, the code then waits in the stack's SysLastError). A port
    // outside 0..65535 raises EIdSocketError 10022 instead of reaching
    // another port; a connection whose local and peer address are the same
    // (it met itself) raises EIdSocketError 10061, refused.
    // An IPv6 socket connects to the IPv6 RemoteIP whatever `family` says.
    virtual int ConnectPeer(int family, int timeoutMs, const CancelToken &cancel = CancelToken());

    // The two halves of a connect for one that waits together with others
    // (a race of addresses). StartConnect returns 0 when connected at once,
    // -1 with WSAEINPROGRESS in the stack's SysLastError when the connect
    // goes on, else -1 with its reason; the port check raises as in
    // ConnectPeer. After the connect succeeded, CompleteConnect reads both
    // addresses back and raises 10061 for a connection that met itself.
    int StartConnect(const CancelToken &cancel);
    void CompleteConnect();

private:
    bool TryBindLocal6();
    void CloseOsSocket() noexcept;
    void TakeFrom(TIdSocketHandle &other) noexcept;

    int osSocket_ = -1;
    int family_ = AF_INET;
    bool socketOpen_ = false;
    std::string ip_;
    std::int32_t port_ = 0;
    std::string remoteIP_;
    std::int32_t remotePort_ = 0;
    std::int32_t clientPortMin_ = 0;
    std::int32_t clientPortMax_ = 0;
};
