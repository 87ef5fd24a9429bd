// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ScriptedStack.h"

#include "net/IPAddress.h"
#include "net/SocketErrors.h"

#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

std::atomic<ScriptedStack *> current{nullptr};
// Like the platform's, the last error is the calling thread's own.
thread_local int lastError = 0;

} // namespace

std::string AddressText(const sockaddr_in &address)
{
    return TIdStack::TranslateInAddrToString(address.sin_addr) + ":"
        + std::to_string(ntohs(address.sin_port));
}

std::string AddressText(const sockaddr_in6 &address)
{
    return "[" + IPAddress::FromIPv6(address.sin6_addr, address.sin6_scope_id).Text() + "]:"
        + std::to_string(ntohs(address.sin6_port));
}

namespace {

std::string AnyAddressText(const sockaddr &address)
{
    if (address.sa_family == AF_INET6)
        return AddressText(reinterpret_cast<const sockaddr_in6 &>(address));
    return AddressText(reinterpret_cast<const sockaddr_in &>(address));
}

IPAddress AddressFromText(const std::string &text)
{
    if (const auto v6 = IPAddress::ParseIPv6(text))
        return *v6;
    return IPAddress::FromIPv4(TIdStack::TranslateStringToInAddr(text));
}

} // namespace

ScriptedStack::ScriptedStack()
{
    current = this;
}

ScriptedStack::~ScriptedStack()
{
    ScriptedStack *self = this;
    current.compare_exchange_strong(self, nullptr);
}

ScriptedStack *ScriptedStack::Current()
{
    return current.load();
}

void ScriptedStack::AnswerLookup(const std::string &name, const std::string &dotted)
{
    AnswerLookup(name, std::vector<std::string>{dotted});
}

void ScriptedStack::AnswerLookup(const std::string &name, const std::vector<std::string> &addresses)
{
    std::lock_guard lock(mutex_);
    answers_[name] = addresses;
}

void ScriptedStack::AllowRealLookups(bool allow)
{
    std::lock_guard lock(mutex_);
    realLookups_ = allow;
}

void ScriptedStack::FailNext(Call call, int code, int times)
{
    std::lock_guard lock(mutex_);
    failures_[call] = {code, times};
}

std::vector<ScriptedStack::Record> ScriptedStack::Records() const
{
    std::lock_guard lock(mutex_);
    return records_;
}

int ScriptedStack::Count(Call call) const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                          [call](const Record &r) { return r.call == call; }));
}

std::vector<std::string> ScriptedStack::Details(Call call) const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> details;
    for (const Record &record : records_) {
        if (record.call == call)
            details.push_back(record.detail);
    }
    return details;
}

void ScriptedStack::Note(Call call, int socket, std::string detail)
{
    std::lock_guard lock(mutex_);
    records_.push_back({call, socket, std::move(detail)});
}

bool ScriptedStack::TakeInjectedFailure(Call call)
{
    std::lock_guard lock(mutex_);
    const auto found = failures_.find(call);
    if (found == failures_.end() || found->second.second <= 0)
        return false;
    lastError = found->second.first;
    if (--found->second.second == 0)
        failures_.erase(found);
    return true;
}

int ScriptedStack::Real(int result)
{
    if (result == -1)
        lastError = real_.SysLastError();
    return result;
}

int ScriptedStack::SysSocket(int family, int type, int protocol)
{
    const std::string detail = std::to_string(family) + "/" + std::to_string(type) + "/" + std::to_string(protocol);
    return Pass(Call::Socket, -1, detail, [&] { return real_.SysSocket(family, type, protocol); });
}

int ScriptedStack::SysSetSockOpt(int socket, int level, int option, int value)
{
    const std::string detail = std::to_string(level) + "/" + std::to_string(option) + "=" + std::to_string(value);
    return Pass(Call::SetSockOpt, socket, detail, [&] { return real_.SysSetSockOpt(socket, level, option, value); });
}

int ScriptedStack::SysBind(int socket, const sockaddr_in &local)
{
    return Pass(Call::Bind, socket, AddressText(local), [&] { return real_.SysBind(socket, local); });
}

int ScriptedStack::SysGetSockName(int socket, sockaddr_in &local)
{
    return Pass(Call::GetSockName, socket, {}, [&] { return real_.SysGetSockName(socket, local); });
}

int ScriptedStack::SysGetPeerName(int socket, sockaddr_in &peer)
{
    return Pass(Call::GetPeerName, socket, {}, [&] { return real_.SysGetPeerName(socket, peer); });
}

int ScriptedStack::SysLookupIPv4(const std::string &name, in_addr &first)
{
    Note(Call::Lookup, -1, name);
    if (TakeInjectedFailure(Call::Lookup))
        return -1;
    std::unique_lock lock(mutex_);
    if (const auto answer = answers_.find(name); answer != answers_.end()) {
        for (const std::string &address : answer->second) {
            if (address.find(':') == std::string::npos) {
                first = TranslateStringToInAddr(address);
                return 0;
            }
        }
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    if (!realLookups_) {
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    lock.unlock();
    return Real(real_.SysLookupIPv4(name, first));
}

int ScriptedStack::SysConnect(int socket, const sockaddr_in &peer, int timeoutMs, const CancelToken &cancel)
{
    {
        const std::lock_guard lock(mutex_);
        connectTimeouts_.push_back(timeoutMs);
    }
    return Pass(Call::Connect, socket, AddressText(peer),
                [&] { return real_.SysConnect(socket, peer, timeoutMs, cancel); });
}

int ScriptedStack::SysBind6(int socket, const sockaddr_in6 &local)
{
    return Pass(Call::Bind, socket, AddressText(local), [&] { return real_.SysBind6(socket, local); });
}

int ScriptedStack::SysGetSockName6(int socket, sockaddr_in6 &local)
{
    return Pass(Call::GetSockName, socket, {}, [&] { return real_.SysGetSockName6(socket, local); });
}

int ScriptedStack::SysGetPeerName6(int socket, sockaddr_in6 &peer)
{
    return Pass(Call::GetPeerName, socket, {}, [&] { return real_.SysGetPeerName6(socket, peer); });
}

int ScriptedStack::SysLookup(const std::string &name, IPFamilies families, std::vector<IPAddress> &found)
{
    found.clear();
    Note(Call::Lookup, -1, name);
    if (TakeInjectedFailure(Call::Lookup))
        return -1;
    std::unique_lock lock(mutex_);
    if (const auto answer = answers_.find(name); answer != answers_.end()) {
        for (const std::string &text : answer->second) {
            const IPAddress address = AddressFromText(text);
            const bool wanted = families == IPFamilies::Any
                || (families == IPFamilies::IPv6Only) == (address.Version() == IPVersion::IPv6);
            if (wanted)
                found.push_back(address);
        }
        if (!found.empty())
            return 0;
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    if (!realLookups_) {
        lastError = WSAHOST_NOT_FOUND;
        return -1;
    }
    lock.unlock();
    return Real(real_.SysLookup(name, families, found));
}

int ScriptedStack::SysConnectStart(int socket, const sockaddr &peer, socklen_t length, const CancelToken &cancel)
{
    return Pass(Call::Connect, socket, AnyAddressText(peer),
                [&] { return real_.SysConnectStart(socket, peer, length, cancel); });
}

int ScriptedStack::SysAwaitConnects(const std::vector<int> &sockets, int timeoutMs, const CancelToken &cancel,
                                    int &ended)
{
    ended = -1;
    return Pass(Call::Await, -1, std::to_string(sockets.size()) + "/" + std::to_string(timeoutMs),
                [&] { return real_.SysAwaitConnects(sockets, timeoutMs, cancel, ended); });
}

std::vector<int> ScriptedStack::ConnectTimeouts() const
{
    const std::lock_guard lock(mutex_);
    return connectTimeouts_;
}

int ScriptedStack::SysShutdown(int socket, int how)
{
    Note(Call::Shutdown, socket, std::to_string(how));
    const bool fail = TakeInjectedFailure(Call::Shutdown);
    const int result = Real(real_.SysShutdown(socket, how));
    return fail ? -1 : result;
}

int ScriptedStack::SysClose(int socket)
{
    Note(Call::Close, socket, {});
    const bool fail = TakeInjectedFailure(Call::Close);
    const int result = Real(real_.SysClose(socket));
    return fail ? -1 : result;
}

int ScriptedStack::SysLastError()
{
    return lastError;
}

std::string ScriptedStack::SocketErrorText(int code) const
{
    return real_.SocketErrorText(code);
}

ScopedScriptedStack::ScopedScriptedStack()
{
    SetStackClass([] { return std::make_unique<ScriptedStack>(); });
}

ScopedScriptedStack::~ScopedScriptedStack()
{
    SetStackClass({});
}
