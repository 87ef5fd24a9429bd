// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/TColor.h"

namespace {

// The classic scheme's values for the system colours that controls ask for.
TColor ClassicSystemColor(std::uint32_t index)
{
    switch (index) {
    case 4: return clSilver;                    // menu
    case 5: return clWhite;                     // window
    case 6: return clBlack;                     // window frame
    case 7: return clBlack;                     // menu text
    case 8: return clBlack;                     // window text
    case 15: return clSilver;                   // button face
    case 16: return RGB(128, 128, 128);         // button shadow
    case 18: return clBlack;                    // button text
    case 20: return clWhite;                    // button highlight
    default: return clBlack;
    }
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if (IsSystemColor(color))
        return ClassicSystemColor(color & 0xFFu);
    return color & 0x00FFFFFFu;
}
