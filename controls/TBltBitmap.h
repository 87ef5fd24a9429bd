// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <utility>

// Makes an RGB32 image of `width` × `height` pixels (both at least 1), or a
// null image when memory runs out. The bitmaps' default is QImage's own
// constructor; tests pass one that runs out on purpose.
using ImageAllocator = std::function<QImage(int width, int height)>;

// An off-screen RGB image (32 bits per pixel, the top byte unused and kept at
// 0xFF) as a gauge's paint builds it, with the raster operations the paint
// needs. A new bitmap is empty; SetSize or MakeLike give it pixels.
//
// Making an image can fail when memory runs out: SetSize and MakeLike then
// raise EOutOfResources and leave the bitmap empty. The images are made by
// the allocator given at construction (QImage's own when it is empty). A size with a zero or
// negative side makes an empty image and is not an error.
class TBltBitmap final {
public:
    explicit TBltBitmap(ImageAllocator allocate = {}) : allocate_(std::move(allocate)) {}

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }

    // Gives the bitmap `width` × `height` pixels whose content is undefined.
    void SetSize(int width, int height);

    // Takes the template's width and height and fills the whole image with
    // the window-frame colour.
    void MakeLike(const TBltBitmap &templ);

    // Every pixel (within `rect`) becomes black.
    void Blacken();
    void Blacken(const QRect &rect);

    // Every pixel of this image under the source, placed with its top-left
    // corner at `to`, becomes this pixel XOR the source pixel, bit by bit on
    // red, green and blue. Parts outside either image are skipped.
    void Invert(const TBltBitmap &source, QPoint to = {});

    QImage &Image() { return image_; }
    const QImage &Image() const { return image_; }

    // Hands the pixels over, leaving the bitmap empty.
    QImage Take();

    // What this bitmap makes its images with, for bitmaps made to go with it.
    const ImageAllocator &Allocator() const { return allocate_; }

private:
    ImageAllocator allocate_;
    QImage image_;
};
