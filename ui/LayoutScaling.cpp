// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/LayoutScaling.h"

#include <QFontMetrics>

#include <cstdint>
#include <cstdlib>

int MulDiv(int a, int b, int c)
{
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
    return int(negative ? -magnitude : magnitude);
}

int FontPixelsAt(int designPixels, int dotsPerInch)
{
    if (dotsPerInch <= 0 || dotsPerInch == LayoutScale::kDesignDotsPerInch)
        return designPixels;
    return MulDiv(designPixels, dotsPerInch, LayoutScale::kDesignDotsPerInch);
}

LayoutScale LayoutScale::ForScreen(const QFont &windowFont, int designPixels, int dotsPerInch)
{
    QFont font = windowFont;
    font.setPixelSize(FontPixelsAt(designPixels, dotsPerInch));
    const int measured = QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("0")).height();
    return LayoutScale(measured);
}
