// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>

// A colour as the program stores it: 0x00BBGGRR is an RGB colour with red in
// the low byte; 0xFF0000nn names system colour nn and is turned into RGB only
// when a pen or a brush is made from it (see ColorToRGB).
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

constexpr std::uint8_t GetRValue(TColor c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GetGValue(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0xFF000000u; }

// Named colours.
constexpr TColor clBlack = 0x00000000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clYellow = 0x0000FFFF;
constexpr TColor clLime = 0x0000FF00;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clSilver = 0x00C0C0C0;
constexpr TColor clOlive = 0x00008080;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowFrame = 0xFF000006;
constexpr TColor clWindowText = 0xFF000008;

// Status colours of the monitor.
constexpr TColor clStatusWaiting = clYellow;            // before the first check
constexpr TColor clStatusChecking = RGB(255, 128, 0);   // orange, while a check runs
constexpr TColor clStatusOnline = clLime;               // last check succeeded
constexpr TColor clStatusOffline = clRed;               // last check failed

// Resolves a system colour through the classic desktop scheme (window white,
// frame and text black); an RGB colour is returned unchanged.
TColor ColorToRGB(TColor color);
