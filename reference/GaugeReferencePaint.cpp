// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "reference/GaugeReferencePaint.h"

#include "controls/TBltBitmap.h"
#include "controls/TGaugePainter.h"

QImage ReferenceGaugePaint(const TGaugeLook &look)
{
    TBltBitmap base;
    base.SetSize(look.width, look.height);
    if (base.Empty())
        return {};
    base.Blacken();
    TBltBitmap overlay;
    overlay.MakeLike(base);
    overlay.Blacken();
    TGaugePainter::DrawFace(overlay.Image(), look);
    base.Invert(overlay);
    if (look.showText) {
        TBltBitmap text;
        text.MakeLike(base);
        text.Blacken();
        TGaugePainter::DrawText(text.Image(), look);
        base.Invert(text);
    }
    return base.Take();
}
