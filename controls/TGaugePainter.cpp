// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TGaugePainter.h"

#include "controls/GaugeGeometry.h"
#include "controls/GaugeTextLayout.h"
#include "controls/TBltBitmap.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

using GaugeGeometry::Edges;
using GaugeGeometry::LinePoint;
using GaugeGeometry::NeedleBands;
using GaugeGeometry::NeedleOf;
using GaugeGeometry::PaintEdges;
using GaugeGeometry::PaintRect;
using GaugeTextLayout::TextArea;

QRgb ToRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QColor ToQColor(TColor color)
{
    return QColor::fromRgb(ToRgb(color));
}

// A one-pixel line from `from` towards `to`, the pixel at `to` not drawn;
// each step along the longer axis sets one pixel. Only pixels inside `clip`
// change.
void DrawLine(QImage &image, QPoint from, QPoint to, QRgb colour, const QRegion &clip)
{
    const std::int64_t dx = std::int64_t(to.x()) - from.x();
    const std::int64_t dy = std::int64_t(to.y()) - from.y();
    const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0)
        return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t start = xMajor ? from.x() : from.y();
    const std::int64_t sign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const QRect line(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                     QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
    uchar *const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const QRect &area : clip & image.rect() & line) {
        // Only a run of steps can meet this rectangle.
        const std::int64_t low = xMajor ? area.left() : area.top();
        const std::int64_t high = xMajor ? area.right() : area.bottom();
        const std::int64_t first = std::max<std::int64_t>(0, sign > 0 ? low - start : start - high);
        const std::int64_t last = std::min<std::int64_t>(steps - 1, sign > 0 ? high - start : start - low);
        for (std::int64_t i = first; i <= last; ++i) {
            const QPoint p = LinePoint(from, dx, dy, steps, i);
            if (p.x() >= area.left() && p.x() <= area.right() && p.y() >= area.top()
                && p.y() <= area.bottom())
                reinterpret_cast<QRgb *>(bits + p.y() * stride)[p.x()] = colour;
        }
    }
}

// A wedge of the ellipse in `box`, running counterclockwise on the screen
// from the angle `start` to `start` + `sweep` (degrees on the ellipse's own
// parameter); a sweep of a full turn or more is the whole ellipse. Filled with
// the painter's brush, outlined with its pen.
void FillWedge(QPainter &painter, const QRectF &box, double start, double sweep)
{
    QPainterPath path;
    if (sweep >= 360.0) {
        path.addEllipse(box);
    } else {
        path.moveTo(box.center());
        path.arcTo(box, start, sweep);
        path.closeSubpath();
    }
    painter.drawPath(path);
}

// The parameter angle, in degrees, at which the ray from the centre of the
// box (l, t)-(r, b) through the centre of pixel `p` meets its ellipse.
double ParameterAngle(int l, int t, int r, int b, QPointF p)
{
    const double rx = (r - l) / 2.0;
    const double ry = (b - t) / 2.0;
    const double cx = l + rx;
    const double cy = t + ry;
    const double x = (p.x() + 0.5 - cx) / rx;
    const double y = -(p.y() + 0.5 - cy) / ry;
    return std::atan2(y, x) * 180.0 / std::numbers::pi;
}

// The pie of the box (l, t)-(r, b) between the rays from its centre through
// the radial pixels `first` and `second`, its arc running counterclockwise
// from the first ray to the second; equal rays give the whole ellipse.
void DrawPie(QPainter &painter, int l, int t, int r, int b, QPoint first, QPoint second)
{
    if (r <= l || b <= t)
        return;
    const double start = ParameterAngle(l, t, r, b, first);
    double sweep = ParameterAngle(l, t, r, b, second) - start;
    while (sweep <= 0)
        sweep += 360.0;
    // A path over the box itself covers the pixels l..r-1 and t..b-1 of the
    // wedge, with its straight sides on the rows and columns of the rays.
    FillWedge(painter, QRectF(l, t, r - l, b - t), start, sweep);
}

// Every face is drawn on an image of the whole gauge, however small the part
// asked for: the toolkit's line drawing depends on the device's bounds, so
// the same device keeps the pixels of a part equal to those of the whole.
void PreparePainter(QPainter &painter, const QRegion &clip)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRegion(clip);
}

void SetPenAndBrush(QPainter &painter, TColor pen, TColor brush)
{
    painter.setPen(QPen(ToQColor(pen), 1));
    painter.setBrush(ToQColor(brush));
}

void DrawNeedleFace(QImage &image, const TGaugeLook &look, const Edges &e, const QRect &face,
                    const QRegion &clip)
{
    int w = e.R - e.L;
    int h = e.B - e.T;
    if (look.borderStyle == bsSingle) {
        ++w;
        ++h;
    }
    // The face's colour goes straight into the image, a rectangle at a time.
    const QRgb colour = ToRgb(look.color);
    for (const QRect &area : clip & face & image.rect()) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            std::fill(row + area.left(), row + area.right() + 1, colour);
        }
    }
    {
        QPainter painter(&image);
        PreparePainter(painter, clip);
        SetPenAndBrush(painter, look.foreColor, look.backColor);
        // The dome's box keeps its right and bottom edges at w and 2h - 1
        // even when the face is inset by a border.
        DrawPie(painter, e.L, e.T, w, 2 * h - 1, {e.L + w, e.B - 1}, {e.L, e.B - 1});
    }
    const QRgb pen = ToRgb(look.foreColor);
    DrawLine(image, {e.L, e.B}, {e.L + w, e.B}, pen, clip);
    if (const auto needle = NeedleOf(look, e))
        DrawLine(image, needle->pivot, needle->tip, pen, clip);
}

// The ellipse inscribed in (l, t)-(r, b), right and bottom edges excluded.
// Qt's integer ellipse covers one pixel more than its rectangle's size, and
// unlike a path's outline it leaves no gap at the extremes.
void DrawEllipse(QPainter &painter, int l, int t, int r, int b)
{
    if (r <= l || b <= t)
        return;
    painter.drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
}

void DrawPieFace(QImage &image, const TGaugeLook &look, const Edges &e, const QRect &face,
                 const QRegion &clip)
{
    QPainter painter(&image);
    PreparePainter(painter, clip);
    painter.fillRect(face, ToQColor(look.color));
    SetPenAndBrush(painter, look.foreColor, look.backColor);
    DrawEllipse(painter, e.L, e.T, e.R, e.B);
    if (look.percent <= 0)
        return;

    // The wedge grows clockwise from twelve o'clock.
    SetPenAndBrush(painter, look.foreColor, look.foreColor);
    if (look.percent >= 100) {
        DrawEllipse(painter, e.L, e.T, e.R, e.B);
        return;
    }
    // Over the box the integer ellipse fills, so the wedge stays within it.
    const QRectF box(e.L, e.T, e.R - e.L - 1, e.B - e.T - 1);
    const double sweep = 2.0 * std::numbers::pi * look.percent / 100.0;
    const double ray = std::numbers::pi / 2.0 - sweep;  // screen angle of the wedge's leading edge
    const double start = std::atan2(std::sin(ray) * box.width(), std::cos(ray) * box.height())
                       * 180.0 / std::numbers::pi;
    double span = 90.0 - start;
    while (span <= 0)
        span += 360.0;
    FillWedge(painter, box, start, span);
}

void DrawBarFace(QImage &image, const TGaugeLook &look, const Edges &e, const QRect &face,
                 const QRegion &clip)
{
    QPainter painter(&image);
    PreparePainter(painter, clip);
    painter.fillRect(face, ToQColor(look.backColor));
    const int percent = std::clamp(look.percent, 0, 100);
    if (look.kind == gkHorizontalBar) {
        const int length = int(std::int64_t(e.R - e.L) * percent / 100);
        painter.fillRect(QRect(e.L, e.T, length, e.B - e.T), ToQColor(look.foreColor));
    } else {
        const int length = int(std::int64_t(e.B - e.T) * percent / 100);
        painter.fillRect(QRect(e.L, e.B - length, e.R - e.L, length), ToQColor(look.foreColor));
    }
}

// Draws the face within `area` (in the gauge's coordinates) only.
void DrawFaceWithin(QImage &image, const TGaugeLook &look, const QRegion &area)
{
    const Edges e = PaintEdges(look);
    const QRect face = PaintRect(look);
    const QRegion clip = area & face;
    if (clip.isEmpty())
        return;
    switch (look.kind) {
    case gkNeedle:
        DrawNeedleFace(image, look, e, face, clip);
        break;
    case gkPie:
        DrawPieFace(image, look, e, face, clip);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        DrawBarFace(image, look, e, face, clip);
        break;
    case gkText:
    default: {
        QPainter painter(&image);
        painter.setClipRegion(clip);
        painter.fillRect(face, ToQColor(look.backColor));
        break;
    }
    }
}

// Draws the text white onto `image`, whose top-left pixel is the gauge's
// pixel `origin`, within `clip` (gauge coordinates) only.
void DrawTextWithin(QImage &image, const TGaugeLook &look, QPoint origin, const QRegion &clip)
{
    if (clip.isEmpty() || image.isNull())
        return;
    const GaugeTextLayout::TextPlacement placement = GaugeTextLayout::Place(look);
    QPainter painter(&image);
    painter.translate(-origin);
    painter.setClipRegion(clip);
    painter.setFont(placement.font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(placement.cell + QPoint(0, placement.measure.ascent), placement.text);
}

// Whether two looks make the same picture apart from the percentage.
bool SameButPercent(const TGaugeLook &a, const TGaugeLook &b)
{
    return a.width == b.width && a.height == b.height && a.kind == b.kind
           && a.showText == b.showText && a.borderStyle == b.borderStyle
           && a.foreColor == b.foreColor && a.backColor == b.backColor && a.color == b.color
           && a.font == b.font;
}

} // namespace

void TGaugePainter::DrawFace(QImage &image, const TGaugeLook &look)
{
    DrawFaceWithin(image, look, PaintRect(look));
}

void TGaugePainter::DrawText(QImage &image, const TGaugeLook &look, QPoint origin)
{
    DrawTextWithin(image, look, origin, PaintRect(look));
}

QRegion TGaugePainter::NeedleArea(const TGaugeLook &look)
{
    return NeedleBands({&look});
}

QRegion TGaugePainter::ChangedArea(const TGaugeLook &before, const TGaugeLook &after)
{
    const QRect gauge(0, 0, std::max(0, after.width), std::max(0, after.height));
    if (!SameButPercent(before, after) || after.kind != gkNeedle)
        return QRegion(gauge) + QRect(0, 0, std::max(0, before.width), std::max(0, before.height));
    if (before.percent == after.percent)
        return {};
    // The dome, the base line and the corners do not depend on the
    // percentage; the needle and the text do. Each text in one rectangle,
    // as the two lie almost on top of each other.
    QRegion changed = NeedleBands({&before, &after});
    if (after.showText)
        changed += TextArea(before).united(TextArea(after));
    return changed & gauge;
}

void TGaugePainter::PaintArea(TBltBitmap &canvas, const TGaugeLook &look, const QRegion &area)
{
    const QRegion clip = area & QRect(0, 0, look.width, look.height) & canvas.Image().rect();
    if (clip.isEmpty())
        return;

    // XOR-ing a face drawn on black into a black image leaves just the face:
    // draw it straight onto the picture. With a border, the ring around the
    // face stays black.
    if (look.borderStyle == bsSingle) {
        for (const QRect &ring : clip - PaintRect(look))
            canvas.Blacken(ring);
    }
    DrawFaceWithin(canvas.Image(), look, clip);

    // The text is XOR-ed in from an image that covers only where it can show.
    if (look.showText) {
        const QRegion textClip = clip & TextArea(look);
        if (!textClip.isEmpty()) {
            const QRect box = textClip.boundingRect();
            TBltBitmap text(canvas.Allocator());
            text.SetSize(box.width(), box.height());
            text.Blacken();
            DrawTextWithin(text.Image(), look, box.topLeft(), textClip);
            canvas.Invert(text, box.topLeft());
        }
    }
}

QImage TGaugePainter::Paint(const TGaugeLook &look, const ImageAllocator &allocate)
{
    TBltBitmap base(allocate);
    base.SetSize(look.width, look.height);
    if (base.Empty())
        return {};
    PaintArea(base, look, QRect(0, 0, look.width, look.height));
    return base.Take();
}
