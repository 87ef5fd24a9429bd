// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "net/TIdStack.h"
#include "net/TIdStackPosix.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

// A socket stack for tests. Every call is recorded and, unless told to fail,
// passed to the POSIX stack, so real loopback connections work. Host lookups
// never reach the resolver: names are answered from a script, and any other
// name fails with 11001 (host not found).
class ScriptedStack final : public TIdStack {
public:
    // Connect covers both SysConnect and SysConnectStart; Await is
    // SysAwaitConnects.
    enum class Call { Socket, SetSockOpt, Bind, GetSockName, GetPeerName, Lookup, Connect, Shutdown, Close, Await };

    struct Record {
        Call call;
        int socket;         // -1 for lookups
        std::string detail; // lookups: the name; bind/connect: "a.b.c.d:port" or "[v6]:port";
                            // setsockopt: "level/option=value"; socket: "family/type/protocol";
                            // await: "<sockets>/<time limit>"
    };

    ScriptedStack();
    ~ScriptedStack() override;

    // The instance that is the process-wide stack now, or nullptr.
    static ScriptedStack *Current();

    // `name` resolves to `dotted`.
    void AnswerLookup(const std::string &name, const std::string &dotted);
    // `name` resolves to these addresses (dotted or IPv6 text), in this
    // order; a lookup of one family gets that family's alone.
    void AnswerLookup(const std::string &name, const std::vector<std::string> &addresses);
    // Unscripted names go to the real resolver. Only for a process that runs
    // inside a network namespace of its own.
    void AllowRealLookups(bool allow);

    // The next `times` calls of `call` fail with `code`. Failed shutdown and
    // close calls still reach the platform, so no descriptor leaks.
    void FailNext(Call call, int code, int times = 1);

    std::vector<Record> Records() const;
    int Count(Call call) const;
    // Details of the recorded calls of one kind, in order.
    std::vector<std::string> Details(Call call) const;
    // The time limit of every connect call, in order.
    std::vector<int> ConnectTimeouts() const;

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
    void Note(Call call, int socket, std::string detail);
    bool TakeInjectedFailure(Call call);
    int Real(int result);
    // Records the call, then fails it as scripted or makes it for real.
    template <class RealCall>
    int Pass(Call call, int socket, std::string detail, RealCall realCall)
    {
        Note(call, socket, std::move(detail));
        return TakeInjectedFailure(call) ? -1 : Real(realCall());
    }

    TIdStackPosix real_;
    mutable std::mutex mutex_;
    std::vector<Record> records_;
    std::vector<int> connectTimeouts_;
    std::map<Call, std::pair<int, int>> failures_; // call -> (code, times left)
    std::map<std::string, std::vector<std::string>> answers_;
    bool realLookups_ = false;
};

// Selects ScriptedStack as the stack class while it lives, then the POSIX
// stack again. Build it before the first network component of a test.
class ScopedScriptedStack {
public:
    ScopedScriptedStack();
    ~ScopedScriptedStack();
    ScopedScriptedStack(const ScopedScriptedStack &) = delete;
    ScopedScriptedStack &operator=(const ScopedScriptedStack &) = delete;
};

// "a.b.c.d:port" of an IPv4 address, "[v6]:port" of an IPv6 one.
std::string AddressText(const sockaddr_in &address);
std::string AddressText(const sockaddr_in6 &address);
