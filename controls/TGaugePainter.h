#pragma once

#include "controls/TGaugeLook.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// Draws gauges. Paint makes the finished picture of a gauge in one call; the
// building blocks below are what it is made of, public so that the picture can
// be checked against a plain step-by-step composition of the same blocks.
//
// Coordinates are the gauge's own, (0, 0) at its top-left pixel. The paint
// rectangle is the whole gauge, or with a single border the gauge less its
// outermost ring of pixels, which stays black.
class TGaugePainter final {
public:
    // The picture of a gauge: an RGB32 image of look.width × look.height.
    // Returns an empty image when either side is less than one pixel.
    // Raises EOutOfResources when an image cannot be made.
    static QImage Paint(const TGaugeLook &look);

    static QRect PaintRect(const TGaugeLook &look);

    // Draws the face of look.kind on `image` (the gauge's size), covering every
    // pixel of the paint rectangle and nothing outside it.
    static void DrawFace(QImage &image, const TGaugeLook &look);

    // The percentage as the gauge writes it: "0%", "37%", "100%".
    static QString Text(int percent);

    // The gauge's font as the text is drawn: the same font, unsmoothed.
    static QFont TextFont(const QFont &font);

    // The area of the gauge, within the paint rectangle, outside which the
    // text leaves no mark. Empty when nothing of the text can show.
    static QRect TextArea(const TGaugeLook &look);

    // Draws the text white, without background and clipped to the paint
    // rectangle, onto `image`, whose top-left pixel is the gauge's pixel
    // `origin`. Nothing else of `image` changes.
    static void DrawText(QImage &image, const TGaugeLook &look, QPoint origin = {});
};
