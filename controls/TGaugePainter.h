// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TBltBitmap.h"
#include "controls/TGaugeLook.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

// Draws gauges. Paint makes the finished picture of a gauge in one call and
// PaintArea any part of it; the building blocks below are what they are made
// of, public so that the picture can be checked against a plain step-by-step
// composition of the same blocks.
//
// Coordinates are the gauge's own, (0, 0) at its top-left pixel. The paint
// rectangle is the whole gauge, or with a single border the gauge less its
// outermost ring of pixels, which stays black. Where the parts lie is
// GaugeGeometry's and GaugeTextLayout's to say; this class only draws them.
class TGaugePainter final {
public:
    // The picture of a gauge: an RGB32 image of look.width × look.height.
    // Returns an empty image when either side is less than one pixel.
    // Raises EOutOfResources when an image cannot be made; the images are
    // made by `allocate` (QImage's own when it is empty).
    static QImage Paint(const TGaugeLook &look, const ImageAllocator &allocate = {});

    // Draws the part `area` of the picture onto `canvas`, a bitmap of the
    // gauge's size: within `area` every pixel becomes exactly what Paint
    // gives there, every other pixel stays as it was. The cost grows with the
    // area, so a small change is cheap to show. Raises EOutOfResources when an
    // image cannot be made (by the canvas's allocator); `canvas` may then be
    // partly drawn.
    static void PaintArea(TBltBitmap &canvas, const TGaugeLook &look, const QRegion &area);

    // An area that holds every pixel in which the pictures of `before` and
    // `after` differ. When only the percentage differs on a needle gauge,
    // that is the two needles with the narrow wedge between them and the two
    // texts, in a few rectangles; otherwise the whole gauge.
    static QRegion ChangedArea(const TGaugeLook &before, const TGaugeLook &after);

    // The needle's pixels within the paint rectangle, covered by a few
    // rectangles, one per band of rows (or of columns for a flat needle).
    // Empty for other kinds and at 0 % or less.
    static QRegion NeedleArea(const TGaugeLook &look);

    // Draws the face of look.kind on `image` (the gauge's size), covering every
    // pixel of the paint rectangle and nothing outside it.
    static void DrawFace(QImage &image, const TGaugeLook &look);

    // Draws the text white, without background and clipped to the paint
    // rectangle, onto `image`, whose top-left pixel is the gauge's pixel
    // `origin`. Nothing else of `image` changes.
    static void DrawText(QImage &image, const TGaugeLook &look, QPoint origin = {});
};
