// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QFont>

// How the window's fixed layout adapts to the screen: the layout was made at
// 96 dots per inch with a window font whose text "0" is 13 pixels high.
//
// At another density the window font's pixel height is multiplied by
// density/96 (to the nearest integer); then the height of "0" in that font is
// measured and, when it is not 13, every position, size and font height of
// the layout is scaled by measured/13.

// a * b / c to the nearest integer (halves away from zero), without
// intermediate overflow; c must not be 0.
int MulDiv(int a, int b, int c);

// The design pixel height of a font at `dotsPerInch`.
int FontPixelsAt(int designPixels, int dotsPerInch);

class LayoutScale {
public:
    static constexpr int kDesignDotsPerInch = 96;
    static constexpr int kDesignTextHeight = 13;

    LayoutScale() = default;
    // Scale for a window font whose "0" measures `textHeight` pixels.
    explicit LayoutScale(int textHeight) : textHeight_(textHeight > 0 ? textHeight : kDesignTextHeight) {}

    // From the primary screen's density and the given window font family
    // (design height 11 pixels): the font is sized for the density, measured,
    // and the scale taken from that.
    static LayoutScale ForScreen(const QFont &windowFont, int designPixels, int dotsPerInch);

    int operator()(int designValue) const { return MulDiv(designValue, textHeight_, kDesignTextHeight); }
    bool IsIdentity() const { return textHeight_ == kDesignTextHeight; }
    int TextHeight() const { return textHeight_; }

private:
    int textHeight_ = kDesignTextHeight;
};
