// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// Counting pixels of a kind in a picture of the window: enough to tell that
// the outlined readout or a link is drawn where it should be, whatever the
// font's exact glyphs.

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

// The pixels within `area` (clipped to the image) for which `match` holds.
inline int CountPixels(const QImage &image, QRect area, const std::function<bool(QColor)> &match)
{
    int count = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixelColor(x, y));
    return count;
}

inline bool IsNearWhite(QColor c)
{
    return c.red() > 235 && c.green() > 235 && c.blue() > 235;
}

inline bool IsNearBlue(QColor c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}
