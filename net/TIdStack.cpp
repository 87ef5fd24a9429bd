// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdStack.h"

#include "base/IntegerText.h"
#include "net/IdException.h"
#include "net/SocketErrors.h"

#include <sys/socket.h>

#include <array>
#include <atomic>
#include <cstring>
#include <optional>
#include <utility>

std::mutex StackLock;

namespace {

// Process-wide state, guarded by StackLock. Plain pointers on purpose: no
// static destructor may free the stack under a component that outlives main.
TIdStackFactory *stackClass = nullptr;
TIdStack *globalStack = nullptr;
std::atomic<TIdStack *> publishedStack{nullptr};
std::int32_t componentCount = 0;
std::atomic<bool> socketLayerStarted{false};

// LastSocketError, per thread: one stack serves clients on many threads.
thread_local std::int32_t lastSocketError = 0;

struct CodeText {
    int code;
    const char *text;
};

constexpr std::array<CodeText, 38> kErrorTexts{{
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
}};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Cuts the text into four parts at its first three dots; where no dot is
// left, the part is the whole rest and the parts after it are empty.
std::array<std::string_view, 4> SplitDotted(std::string_view text) noexcept
{
    std::array<std::string_view, 4> parts;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = text.find('.');
        parts[i] = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    parts[3] = text;
    return parts;
}

// The value of one part of a dotted address in the integer text syntax.
// Plain decimal parts ("127") are by far the commonest and take a short cut
// that gives the same result.
std::optional<std::int32_t> PartValue(std::string_view part) noexcept
{
    if (part.empty() || part.size() > 3)
        return TryStrToInt(part);
    std::int32_t value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return TryStrToInt(part);
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

TIdStack::TIdStack() = default;
TIdStack::~TIdStack() = default;

std::string TIdStack::SocketErrorText(int code) const
{
    for (const CodeText &entry : kErrorTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return {};
}

std::int32_t TIdStack::LastSocketError() const noexcept
{
    return lastSocketError;
}

int TIdStack::NewSocket(int type, int protocol)
{
    return NewSocket(AF_INET, type, protocol);
}

int TIdStack::NewSocket(int family, int type, int protocol)
{
    const int descriptor = SysSocket(family, type, protocol);
    if (descriptor == -1) {
        lastSocketError = SysLastError();
        throw EIdInvalidSocket(MsgCannotAllocateSocket);
    }
    return descriptor;
}

std::string TIdStack::ResolveName(const std::string &host)
{
    if (EqualsIgnoringAsciiCase(host, "LOCALHOST"))
        return "127.0.0.1";
    if (IsDottedAddress(host))
        return host;
    // A resolver reads a name up to its first NUL and may cut long names
    // short; either way it would answer for another name than the one given.
    if (!CanBeHostName(host))
        RaiseSocketError(WSAHOST_NOT_FOUND);
    in_addr first{};
    CheckSocketResult(SysLookupIPv4(host, first));
    return TranslateInAddrToString(first);
}

std::vector<std::string> TIdStack::ResolveAddresses(const std::string &host, IPFamilies families)
{
    const std::optional<IPAddress> ipv6Literal = IPAddress::ParseIPv6(host);
    if (families == IPFamilies::IPv4Only) {
        if (ipv6Literal)
            RaiseSocketError(WSAEAFNOSUPPORT);
        return {ResolveName(host)};
    }
    const bool localhost = EqualsIgnoringAsciiCase(host, "LOCALHOST");
    if (families == IPFamilies::IPv6Only) {
        if (localhost)
            return {"::1"};
        if (IsDottedAddress(host))
            RaiseSocketError(WSAEAFNOSUPPORT);
    } else if (localhost || IsDottedAddress(host)) {
        return {ResolveName(host)};
    }
    if (ipv6Literal)
        return {ipv6Literal->Text()};
    if (!CanBeHostName(host))
        RaiseSocketError(WSAHOST_NOT_FOUND);
    std::vector<IPAddress> found;
    CheckSocketResult(SysLookup(host, families, found));
    if (found.empty())
        RaiseSocketError(WSAHOST_NOT_FOUND);
    std::vector<std::string> texts;
    texts.reserve(found.size());
    for (const IPAddress &address : found)
        texts.push_back(address.Text());
    return texts;
}

bool TIdStack::CheckSocketResult(int result, std::initializer_list<int> ignoredCodes)
{
    if (result != -1)
        return false;
    const int code = SysLastError();
    lastSocketError = code;
    for (const int ignored : ignoredCodes) {
        if (ignored == code)
            return true;
    }
    RaiseSocketError(code);
}

void TIdStack::RaiseSocketError(int code)
{
    RaiseSocketError(code, SocketErrorText(code));
}

void TIdStack::RaiseSocketError(int code, const std::string &text)
{
    lastSocketError = code;
    throw EIdSocketError(code, text);
}

bool TIdStack::IsDottedAddress(std::string_view text)
{
    for (const std::string_view part : SplitDotted(text)) {
        const auto value = PartValue(part);
        if (!value || *value < 0 || *value > 255)
            return false;
    }
    return true;
}

bool TIdStack::CanBeHostName(std::string_view text) noexcept
{
    if (text.find('\0') != std::string_view::npos)
        return false;
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1); // the root label of a fully qualified name
    if (text.size() > 253)
        return false;
    std::size_t labelStart = 0;
    while (true) {
        const std::size_t dot = text.find('.', labelStart);
        const std::size_t end = dot == std::string_view::npos ? text.size() : dot;
        if (end - labelStart > 63)
            return false;
        if (dot == std::string_view::npos)
            return true;
        labelStart = dot + 1;
    }
}

in_addr TIdStack::TranslateStringToInAddr(std::string_view dotted)
{
    std::array<unsigned char, 4> bytes{};
    const auto parts = SplitDotted(dotted);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto value = PartValue(parts[i]);
        bytes[i] = static_cast<unsigned char>((value ? *value : StrToInt(parts[i])) & 0xFF);
    }
    in_addr address{};
    std::memcpy(&address.s_addr, bytes.data(), bytes.size());
    return address;
}

std::string TIdStack::TranslateInAddrToString(const in_addr &address)
{
    std::array<unsigned char, 4> bytes{};
    std::memcpy(bytes.data(), &address.s_addr, bytes.size());
    char text[16];
    char *end = text;
    for (const unsigned char byte : bytes) {
        if (end != text)
            *end++ = '.';
        if (byte >= 100)
            *end++ = static_cast<char>('0' + byte / 100);
        if (byte >= 10)
            *end++ = static_cast<char>('0' + byte / 10 % 10);
        *end++ = static_cast<char>('0' + byte % 10);
    }
    return std::string(text, end);
}

void SetStackClass(TIdStackFactory factory)
{
    std::lock_guard lock(StackLock);
    delete std::exchange(stackClass, nullptr);
    if (factory)
        stackClass = new TIdStackFactory(std::move(factory));
}

TIdStack *GStack() noexcept
{
    return publishedStack.load(std::memory_order_acquire);
}

std::int32_t NetComponentCount()
{
    std::lock_guard lock(StackLock);
    return componentCount;
}

bool SocketLayerStarted() noexcept
{
    return socketLayerStarted.load();
}

void MarkSocketLayerStarted() noexcept
{
    socketLayerStarted = true;
}

void RegisterNetComponent()
{
    std::lock_guard lock(StackLock);
    if (++componentCount != 1)
        return;
    try {
        std::unique_ptr<TIdStack> stack =
            stackClass ? (*stackClass)() : MakeDefaultStack();
        if (!stack)
            throw EIdStackError("The socket stack class created no stack.");
        globalStack = stack.release();
        publishedStack.store(globalStack, std::memory_order_release);
    } catch (...) {
        --componentCount;
        throw;
    }
}

void UnregisterNetComponent() noexcept
{
    std::lock_guard lock(StackLock);
    if (--componentCount != 0)
        return;
    publishedStack.store(nullptr, std::memory_order_release);
    delete std::exchange(globalStack, nullptr);
}
