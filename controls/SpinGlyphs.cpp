// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/SpinGlyphs.h"

#include <array>
#include <string_view>

namespace {

using Rows = std::array<std::string_view, 6>;

constexpr Rows kUpRows = {
    ".........",
    "....X....",
    "...XXX...",
    "..XXXXX..",
    ".XXXXXXX.",
    ".........",
};

constexpr Rows kDownRows = {
    ".........",
    ".XXXXXXX.",
    "..XXXXX..",
    "...XXX...",
    "....X....",
    ".........",
};

QImage fromRows(const Rows &rows)
{
    const QRgb olive = qRgb(128, 128, 0);
    const QRgb black = qRgb(0, 0, 0);
    QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, rows[std::size_t(y)][std::size_t(x)] == 'X' ? black : olive);
    return image;
}

} // namespace

QImage SpinUpGlyph()
{
    return fromRows(kUpRows);
}

QImage SpinDownGlyph()
{
    return fromRows(kDownRows);
}
