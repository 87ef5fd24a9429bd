// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ErrorReport.h"

#include <cstdio>

namespace {

ErrorHandler &InstalledHandler()
{
    static ErrorHandler handler;
    return handler;
}

void WriteToStandardError(const std::exception &error) noexcept
{
    std::fprintf(stderr, "%s\n", error.what());
}

} // namespace

ErrorHandler SetErrorHandler(ErrorHandler handler)
{
    ErrorHandler previous = std::move(InstalledHandler());
    InstalledHandler() = std::move(handler);
    return previous;
}

void HandleException(const std::exception &error) noexcept
{
    const ErrorHandler &handler = InstalledHandler();
    if (!handler) {
        WriteToStandardError(error);
        return;
    }
    try {
        handler(error);
    } catch (const std::exception &nested) {
        WriteToStandardError(nested);
    } catch (...) {
        std::fprintf(stderr, "error display failed\n");
    }
}
