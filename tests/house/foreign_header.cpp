// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Must not build: the network client's header is not available to a target
// that links only kelvora_base.
#include "net/SocketErrors.h"

int main()
{
    return WSAECONNREFUSED == 10061 ? 0 : 1;
}
