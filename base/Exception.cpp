// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/Exception.h"

#include <utility>

Exception::Exception(std::string message) : message_(std::move(message)) {}

Exception::~Exception() = default;

const char *ExceptionClassName(const std::exception &error) noexcept
{
    if (const auto *own = dynamic_cast<const Exception *>(&error))
        return own->ClassName();
    return "Exception";
}
