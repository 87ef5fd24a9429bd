// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TBltBitmap.h"

#include <QImage>

// Off-screen images that run out: the allocator makes `left` more images and
// then fails every further one, as when memory runs out. A negative budget
// never runs out. The budget may change while the allocator is in use; it
// must outlive every bitmap given the allocator.
class ImageBudget final {
public:
    int left = -1;
    int made = 0;    // images made so far
    int refused = 0; // images refused so far

    ImageAllocator Allocator()
    {
        return [this](int width, int height) {
            if (left == 0) {
                ++refused;
                return QImage();
            }
            if (left > 0)
                --left;
            ++made;
            return QImage(width, height, QImage::Format_RGB32);
        };
    }
};
