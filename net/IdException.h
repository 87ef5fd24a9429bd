// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/Exception.h"

#include <cstdint>
#include <string>

// Errors of the network client. All derive from EIdException and so from the
// program's root Exception.
KELVORA_DECLARE_EXCEPTION(EIdException, Exception);
KELVORA_DECLARE_EXCEPTION(EIdAlreadyConnected, EIdException);
KELVORA_DECLARE_EXCEPTION(EIdInvalidSocket, EIdException);
KELVORA_DECLARE_EXCEPTION(EIdSocketHandleError, EIdException);
KELVORA_DECLARE_EXCEPTION(EIdCouldNotBindSocket, EIdSocketHandleError);
KELVORA_DECLARE_EXCEPTION(EIdStackError, EIdException);
KELVORA_DECLARE_EXCEPTION(EIdStackInitializationFailed, EIdStackError);
// OpenConnection was asked for a connect time limit it does not offer.
KELVORA_DECLARE_EXCEPTION(EIdTimeoutNotSupported, EIdException);

inline constexpr const char *MsgAlreadyConnected = "Already connected.";
inline constexpr const char *MsgCannotAllocateSocket = "Cannot allocate socket.";
inline constexpr const char *MsgCouldNotBindSocket =
    "Could not bind socket. Address and port are already in use.";
inline constexpr const char *MsgStackInitializationFailed = "Winsock Initialization Error.";
inline constexpr const char *MsgNoSocketStack = "No socket stack: no network component exists.";

// A failed socket call. Carries the Windows Sockets number of the failure;
// the message is "Socket Error # <code>\r\n<text of the code>".
class EIdSocketError : public EIdException {
public:
    EIdSocketError(std::int32_t code, const std::string &codeText);
    ~EIdSocketError() override;

    std::int32_t LastError() const noexcept { return lastError_; }
    const char *ClassName() const noexcept override { return "EIdSocketError"; }

private:
    std::int32_t lastError_;
};

// "Socket Error # <code>\r\n<codeText>".
std::string SocketErrorMessage(std::int32_t code, const std::string &codeText);

// The message of EIdTimeoutNotSupported for `timeout`.
std::string TimeoutNotSupportedMessage(std::int32_t timeout);
