// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"

#include <QFont>

#include <cstdint>

// The kinds of face a gauge can show.
enum TGaugeKind : std::uint8_t {
    gkText,          // the percentage on a plain background
    gkHorizontalBar, // a bar growing to the right
    gkVerticalBar,   // a bar growing upward
    gkPie,           // a full ellipse with a wedge for the percentage
    gkNeedle,        // a half-ellipse dial with a needle
};

// The frame a control draws around itself.
enum TBorderStyle : std::uint8_t {
    bsNone,   // no frame: the face covers the whole control
    bsSingle, // a one-pixel black frame around the face
};

// Everything one paint of a gauge depends on, captured from the control at
// the moment it paints. Colours may be system colours; they are resolved when
// the paint makes pens and brushes from them.
struct TGaugeLook {
    int width = 100;
    int height = 100;
    TGaugeKind kind = gkHorizontalBar;
    bool showText = true;
    TBorderStyle borderStyle = bsSingle;
    TColor foreColor = clBlack;
    TColor backColor = clWhite;
    TColor color = clWindow;  // the control's own colour: corners around the dial
    int percent = 0;          // PercentComplete at the time of the paint
    QFont font;               // drawn without smoothing whatever it asks for
};
