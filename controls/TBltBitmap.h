// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// An off-screen RGB image (32 bits per pixel, the top byte unused and kept at
// 0xFF) as a gauge's paint builds it, with the raster operations the paint
// needs. A new bitmap is empty; SetSize or MakeLike give it pixels.
//
// Making an image can fail when memory runs out: SetSize and MakeLike then
// raise EOutOfResources and leave the bitmap empty. A size with a zero or
// negative side makes an empty image and is not an error.
class TBltBitmap final {
public:
    TBltBitmap() = default;

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

    // Test hook: after `successes` more images have been made, every further
    // one fails as if memory had run out. A negative count switches this off.
    static void SetFailAfterForTesting(int successes);

private:
    QImage image_;
};
