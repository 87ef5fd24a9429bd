// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "reference/StoredGaugeLook.h"

#include "controls/TGauge.h"

TGaugeLook StoredGaugeLook(int percent, QSize size)
{
    TGaugeLook look;
    look.width = size.width();
    look.height = size.height();
    look.kind = gkNeedle;
    look.showText = true;
    look.borderStyle = bsNone;
    look.foreColor = clBlue;
    look.backColor = clYellow;
    look.color = clYellow;
    look.percent = percent;
    look.font = TGauge::LayoutFont();
    return look;
}
