// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TBltBitmap.h"

#include "base/Exception.h"
#include "base/TColor.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

QRgb ToRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

} // namespace

void TBltBitmap::SetSize(int width, int height)
{
    image_ = QImage();
    if (width <= 0 || height <= 0)
        return;
    image_ = allocate_ ? allocate_(width, height) : QImage(width, height, QImage::Format_RGB32);
    if (!image_.isNull() && (image_.size() != QSize(width, height) || image_.format() != QImage::Format_RGB32))
        image_ = QImage();  // an allocator that breaks its contract must not corrupt a paint
    if (image_.isNull())
        throw EOutOfResources("Out of memory for an off-screen image");
}

void TBltBitmap::MakeLike(const TBltBitmap &templ)
{
    SetSize(templ.Width(), templ.Height());
    if (!image_.isNull())
        image_.fill(ToRgb(clWindowFrame));
}

void TBltBitmap::Blacken()
{
    if (!image_.isNull())
        image_.fill(qRgb(0, 0, 0));
}

void TBltBitmap::Blacken(const QRect &rect)
{
    const QRect area = rect.intersected(image_.rect());
    const QRgb black = qRgb(0, 0, 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image_.scanLine(y));
        std::fill(row + area.left(), row + area.right() + 1, black);
    }
}

void TBltBitmap::Invert(const TBltBitmap &source, QPoint to)
{
    const QRect area = QRect(to, source.image_.size()).intersected(image_.rect());
    const int width = area.width();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *dst = reinterpret_cast<QRgb *>(image_.scanLine(y)) + area.left();
        const auto *src = reinterpret_cast<const QRgb *>(source.image_.constScanLine(y - to.y()))
                        + (area.left() - to.x());
        for (int x = 0; x < width; ++x)
            dst[x] ^= src[x] & 0x00FFFFFFu;
    }
}

QImage TBltBitmap::Take()
{
    return std::exchange(image_, QImage());
}
