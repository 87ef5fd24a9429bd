// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/IdException.h"

std::string SocketErrorMessage(std::int32_t code, const std::string &codeText)
{
    return "Socket Error # " + std::to_string(code) + "\r\n" + codeText;
}

EIdSocketError::EIdSocketError(std::int32_t code, const std::string &codeText)
    : EIdException(SocketErrorMessage(code, codeText)), lastError_(code)
{
}

EIdSocketError::~EIdSocketError() = default;

std::string TimeoutNotSupportedMessage(std::int32_t timeout)
{
    return "A connect time limit of " + std::to_string(timeout)
        + " ms is not supported; use -1 or 0 (the platform's limit) or a positive number.";
}
