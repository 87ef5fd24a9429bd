// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/CancelToken.h"
#include "net/IPAddress.h"
#include "net/IPFamilies.h"

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The socket stack: the one way the network client reaches the platform's
// sockets and resolver. Each platform call is one virtual function, so a test
// can stand in for the platform (record calls, inject failures). On top of
// them the stack resolves host texts and turns failures into EIdSocketError.
//
// One stack exists per process while any network component lives (see
// GStack()); it is shared by all threads, and every platform call is safe to
// make from any thread. What a call leaves behind (the last error) is kept
// per thread, so clients on different threads never see each other's.
class TIdStack {
public:
    TIdStack();
    virtual ~TIdStack();
    TIdStack(const TIdStack &) = delete;
    TIdStack &operator=(const TIdStack &) = delete;

    // Platform calls. Each behaves like the POSIX call it is named after: on
    // failure it returns -1 and SysLastError() then gives the Windows Sockets
    // number of that failure (see SocketErrors.h).
    virtual int SysSocket(int family, int type, int protocol) = 0;
    virtual int SysSetSockOpt(int socket, int level, int option, int value) = 0;
    virtual int SysBind(int socket, const sockaddr_in &local) = 0;
    virtual int SysGetSockName(int socket, sockaddr_in &local) = 0;
    virtual int SysGetPeerName(int socket, sockaddr_in &peer) = 0;
    // Host lookup: stores the first IPv4 address of `name` in `first` and
    // returns 0, or returns -1. Each call asks afresh; nothing is cached.
    virtual int SysLookupIPv4(const std::string &name, in_addr &first) = 0;
    // Blocks until the connection is made, the platform gives up, or
    // `timeoutMs` (at least 1) have passed, whichever comes first; the time
    // limit fails with WSAETIMEDOUT. A connect also fails, at once, with
    // WSAEINTR when `cancel` is cancelled or connects are interrupted
    // (ConnectInterrupt.h), before it starts or while it waits.
    virtual int SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel) = 0;
    // The IPv6 forms of the calls above.
    virtual int SysBind6(int socket, const sockaddr_in6 &local) = 0;
    virtual int SysGetSockName6(int socket, sockaddr_in6 &local) = 0;
    virtual int SysGetPeerName6(int socket, sockaddr_in6 &peer) = 0;
    // Host lookup over `families`: every address the resolver gives, in its
    // order (RFC 6724 and the system's policy), each once. Any asks for both
    // families as every program does (AF_UNSPEC with AI_ADDRCONFIG, so a
    // family the machine has no address of is left out); a single family
    // asks for that family alone. Each call asks afresh.
    virtual int SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found) = 0;
    // Starts a connect on a non-blocking socket of this stack and returns
    // without waiting: 0 when it connected at once, -1 with WSAEINPROGRESS
    // when it goes on (SysAwaitConnects waits for it), -1 with another code
    // when it failed. Fails with WSAEINTR, before starting, when `cancel` is
    // cancelled or connects are interrupted.
    virtual int SysConnectStart(int socket, const sockaddr &peer, socklen_t length,
                                const CancelToken &cancel) = 0;
    // Waits up to `timeoutMs` (0 or more) for the first of the connects in
    // progress on `sockets` to end. 0: sockets[ended] connected. -1 with
    // `ended` 0 or more: the connect of sockets[ended] failed, for the
    // reason SysLastError gives. -1 with `ended` -1: the time ran out
    // (WSAETIMEDOUT), or `cancel` was cancelled or connects were interrupted
    // (WSAEINTR), before or while it waited.
    virtual int SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                                 int &ended) = 0;

    virtual int SysShutdown(int socket, int how) = 0;
    virtual int SysClose(int socket) = 0;
    // The code of the calling thread's last failed platform call.
    virtual int SysLastError() = 0;

    // The second line of a socket error message: the text of a Windows
    // Sockets code from 10004 to 10066, empty for any code it does not know.
    virtual std::string SocketErrorText(int code) const;

    // The code read after the calling thread's last failed call that went
    // through CheckSocketResult or RaiseSocketError.
    std::int32_t LastSocketError() const noexcept;

    // A new IPv4 socket of `type`; raises EIdInvalidSocket when the platform
    // gives none.
    int NewSocket(int type, int protocol);
    // The same of `family` (AF_INET or AF_INET6).
    int NewSocket(int family, int type, int protocol);

    // The dotted address to connect to for `host`: "127.0.0.1" for
    // "LOCALHOST" in any letter case, the text itself when it is a dotted
    // address, else the first IPv4 address the resolver gives. A text that
    // cannot be a host name (a NUL character, over 253 bytes, a label over 63)
    // never reaches the resolver. Raises EIdSocketError, 11001 when no address
    // is found.
    std::string ResolveName(const std::string &host);

    // The addresses to try for `host` over `families`, in the order to try
    // them (see HostResolution.h). Raises EIdSocketError 11001 when the host
    // has no address of the families, 10047 for an address literal of a
    // family not among them.
    std::vector<std::string> ResolveAddresses(const std::string &host, IPFamilies families);

    // Returns false when `result` is not -1. Otherwise reads the last error;
    // returns true when it is one of `ignoredCodes`, else raises
    // EIdSocketError with it.
    bool CheckSocketResult(int result, std::initializer_list<int> ignoredCodes = {});

    // Records `code` as the last error and raises EIdSocketError with it.
    [[noreturn]] void RaiseSocketError(int code);
    // The same with a text of its own in place of the code's.
    [[noreturn]] void RaiseSocketError(int code, const std::string &text);

    // True when the text is four numbers from 0 to 255 joined by dots, each in
    // the program's integer text syntax (so " 1", "0x7f" and "$FF" count).
    static bool IsDottedAddress(std::string_view text);

    // True when a resolver could take the text as one host name as it is.
    static bool CanBeHostName(std::string_view text) noexcept;

    // Four bytes from dotted text (each part in the integer text syntax, low
    // 8 bits kept). Raises EConvertError for a part that is no integer.
    static in_addr TranslateStringToInAddr(std::string_view dotted);

    // "a.b.c.d" without leading zeros.
    static std::string TranslateInAddrToString(const in_addr &address);
};

// Creates the stack instance when the first network component is built. It
// runs while StackLock is held, so it must not build network components or
// select a stack class itself.
using TIdStackFactory = std::function<std::unique_ptr<TIdStack>()>;

// Selects the stack class for the next time a stack is created (a stack that
// exists already stays). An empty factory selects the platform's stack
// (MakeDefaultStack), which is also the choice at program start.
void SetStackClass(TIdStackFactory factory);

// A new instance of the platform's stack class.
std::unique_ptr<TIdStack> MakeDefaultStack();

// The process-wide stack (GlobalStack): present exactly while at least one
// network component lives; nullptr otherwise.
TIdStack *GStack() noexcept;

// Guards the stack's creation and release and the component count.
extern std::mutex StackLock;

// The number of live network components (NetComponentCount).
std::int32_t NetComponentCount();

// Whether the platform socket layer has been started in this process; once
// set it stays set (SocketLayerStarted).
bool SocketLayerStarted() noexcept;
void MarkSocketLayerStarted() noexcept;

// Called by every network component's construction and destruction. The first
// registration creates the stack through the selected factory; if that
// raises, the error propagates, the count is restored and no stack exists.
// The last unregistration frees the stack.
void RegisterNetComponent();
void UnregisterNetComponent() noexcept;
