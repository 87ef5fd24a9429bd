// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "net/TIdStack.h"
#include "net/TIdStackPosix.h"

// The one place that names the platform's stack class.
std::unique_ptr<TIdStack> MakeDefaultStack()
{
    return std::make_unique<TIdStackPosix>();
}
