// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

// Why a check failed, in the few categories a user can act on. The client
// reports failures as Windows Sockets numbers (net/SocketErrors.h);
// ReasonFromErrorCode is the one place that sorts them into categories.
enum class FailureReason : std::uint8_t {
    None,               // the check succeeded
    Dns,                // the name did not resolve
    Refused,            // connection refused
    Timeout,            // the connect timed out
    HostUnreachable,    // no route to the host, or the host is down
    NetworkUnreachable, // network unreachable or down
    Reset,              // connection reset or aborted
    BadInput,           // a host or port that cannot be used
    Other,              // anything else
};

// Every failure category, in declaration order (None excluded).
inline constexpr FailureReason kFailureReasons[] = {
    FailureReason::Dns,     FailureReason::Refused,         FailureReason::Timeout,
    FailureReason::HostUnreachable, FailureReason::NetworkUnreachable, FailureReason::Reset,
    FailureReason::BadInput, FailureReason::Other,
};

// The category of a client error number; 0 (no error) gives None, a number
// the client does not name gives Other.
FailureReason ReasonFromErrorCode(std::int32_t code) noexcept;

// A short stable key for machine-readable output: "dns", "refused",
// "timeout", "host-unreachable", "network-unreachable", "reset",
// "bad-input", "other"; "" for None.
std::string_view ReasonKey(FailureReason reason) noexcept;

// English words for the terminal, for example "connection refused".
std::string_view ReasonEnglish(FailureReason reason) noexcept;

// Russian words for the window, for example "Соединение отклонено": the
// window's original texts, which the Russian translation keeps.
QString ReasonRussian(FailureReason reason);

// The window's words in the language in force, for example "Connection
// refused" (translations context "FailureReason").
QString ReasonShown(FailureReason reason);
