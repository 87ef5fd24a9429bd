// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Builds: kelvora_base is linked, so its headers are there.
#include "base/TColor.h"

int main()
{
    return GetRValue(clRed) == 255 ? 0 : 1;
}
