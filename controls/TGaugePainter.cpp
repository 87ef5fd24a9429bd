// SPDX-License-Identifier: MIT
#include "controls/TGaugePainter.h"

#include "controls/TBltBitmap.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// A rectangle by its edges, right and bottom excluded.
struct Edges {
    int L, T, R, B;
};

Edges PaintEdges(const TGaugeLook &look)
{
    if (look.borderStyle == bsSingle)
        return {1, 1, look.width - 1, look.height - 1};
    return {0, 0, look.width, look.height};
}

QRgb ToRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QColor ToQColor(TColor color)
{
    return QColor::fromRgb(ToRgb(color));
}

// The integer nearest to v, a half going to the even neighbour; independent
// of the floating-point rounding mode in force.
int RoundHalfEven(double v)
{
    const double below = std::floor(v);
    const double fraction = v - below;
    double result = below + 1;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0))
        result = below;
    return static_cast<int>(result);
}

QFontMetrics TextMetrics(const QFont &font)
{
    // Measured against an image, as the text is drawn on one.
    const QImage probe(1, 1, QImage::Format_RGB32);
    return QFontMetrics(font, &probe);
}

// Step i of the one-pixel line from `from` by (dx, dy) in `steps` steps: i/steps
// of the way, each axis rounded half away from the start. Along the longer
// axis step i lies exactly i pixels from the start.
QPoint LinePoint(QPoint from, std::int64_t dx, std::int64_t dy, std::int64_t steps, std::int64_t i)
{
    const auto offset = [&](std::int64_t d) {
        const std::int64_t part = (2 * i * std::llabs(d) + steps) / (2 * steps);
        return d < 0 ? -part : part;
    };
    return {int(from.x() + offset(dx)), int(from.y() + offset(dy))};
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

struct Needle {
    QPoint pivot;
    QPoint tip;  // not drawn
};

// The needle of a needle face with the paint rectangle's edges `e`; none at
// 0 % or less.
std::optional<Needle> NeedleOf(const TGaugeLook &look, const Edges &e)
{
    if (look.percent <= 0)
        return std::nullopt;
    // The pivot's x halves the whole control, not the face.
    const int mx = look.width / 2;
    const double theta = std::numbers::pi * look.percent / 100.0;
    const QPoint tip(RoundHalfEven(mx * (1.0 - std::cos(theta))),
                     RoundHalfEven((e.B - 1) * (1.0 - std::sin(theta))));
    return Needle{{mx, e.B - 1}, tip};
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

// What the text step needs to know of a text in a font.
struct TextMeasure {
    int advance = 0;
    int height = 0;
    int ascent = 0;
    QRect ink;  // the glyphs' bounds, relative to the start of the baseline
};

TextMeasure MeasureAnew(const QFont &font, const QString &text)
{
    const QFontMetrics metrics = TextMetrics(font);
    return {metrics.horizontalAdvance(text), metrics.height(), metrics.ascent(),
            metrics.boundingRect(text)};
}

// Measuring costs more than drawing a small part of the gauge, and a
// countdown shows the same few texts over and over: the last few
// measurements are kept, by a text naming all of the font that measuring
// depends on (so no font object outlives the application). Used from the GUI thread only, as all painting.
TextMeasure Measure(const QFont &font, const QString &text)
{
    struct Entry {
        QString font;
        QString text;
        TextMeasure measure;
    };
    static std::vector<Entry> kept;
    static std::size_t next = 0;
    constexpr std::size_t kKept = 8;
    const QString key = font.key() + QLatin1Char('|') + font.families().join(QLatin1Char(','))
                        + QLatin1Char('|') + QString::number(int(font.hintingPreference()));
    for (const Entry &entry : kept) {
        if (entry.text == text && entry.font == key)
            return entry.measure;
    }
    Entry entry{key, text, MeasureAnew(font, text)};
    if (kept.size() < kKept) {
        kept.push_back(entry);
    } else {
        kept[next] = entry;
        next = (next + 1) % kKept;
    }
    return entry.measure;
}

struct TextPlacement {
    QFont font;
    QString text;
    QPoint cell;  // top-left corner of the text cell
    TextMeasure measure;
};

TextPlacement PlaceText(const TGaugeLook &look)
{
    const Edges e = PaintEdges(look);
    TextPlacement placement{TGaugePainter::TextFont(look.font), TGaugePainter::Text(look.percent), {}, {}};
    placement.measure = Measure(placement.font, placement.text);
    const int tw = placement.measure.advance;
    const int th = placement.measure.height;
    // Centred in the paint rectangle's size, not offset by its corner.
    placement.cell = QPoint((e.R - e.L + 1 - tw) / 2, (e.B - e.T + 1 - th) / 2);
    return placement;
}

// Draws the face within `area` (in the gauge's coordinates) only.
void DrawFaceWithin(QImage &image, const TGaugeLook &look, const QRegion &area)
{
    const Edges e = PaintEdges(look);
    const QRect face = TGaugePainter::PaintRect(look);
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
    const TextPlacement placement = PlaceText(look);
    QPainter painter(&image);
    painter.translate(-origin);
    painter.setClipRegion(clip);
    painter.setFont(placement.font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(placement.cell + QPoint(0, placement.measure.ascent), placement.text);
}

// Rows (or columns) of the gauge that one rectangle of a needle area spans:
// few rectangles keep the repaint cheap to send to the window system, small
// ones keep it cheap to draw.
constexpr int kNeedleBand = 64;

// The pixels of the needles of `looks` (gauges of one size), covered by one
// rectangle per band of kNeedleBand rows, or columns when every needle is
// flatter than steep. Needles close together share their rectangles.
QRegion NeedleBands(std::initializer_list<const TGaugeLook *> looks)
{
    std::vector<Needle> needles;
    QRect face;
    for (const TGaugeLook *look : looks) {
        if (look->kind != gkNeedle)
            continue;
        face = TGaugePainter::PaintRect(*look);
        if (const auto needle = NeedleOf(*look, PaintEdges(*look)))
            needles.push_back(*needle);
    }
    if (needles.empty() || face.isEmpty())
        return {};
    const bool columns = std::all_of(needles.begin(), needles.end(), [](const Needle &n) {
        return std::abs(n.tip.x() - n.pivot.x()) > std::abs(n.tip.y() - n.pivot.y());
    });
    struct Box {
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    };
    std::vector<Box> bands(std::size_t((columns ? face.right() : face.bottom()) / kNeedleBand + 1));
    for (const Needle &needle : needles) {
        const std::int64_t dx = std::int64_t(needle.tip.x()) - needle.pivot.x();
        const std::int64_t dy = std::int64_t(needle.tip.y()) - needle.pivot.y();
        const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
        for (std::int64_t i = 0; i < steps; ++i) {
            const QPoint p = LinePoint(needle.pivot, dx, dy, steps, i);
            if (p.x() < face.left() || p.x() > face.right() || p.y() < face.top() || p.y() > face.bottom())
                continue;
            Box &box = bands[std::size_t((columns ? p.x() : p.y()) / kNeedleBand)];
            box = {std::min(box.left, p.x()), std::min(box.top, p.y()), std::max(box.right, p.x()),
                   std::max(box.bottom, p.y())};
        }
    }
    QRegion area;
    for (const Box &box : bands) {
        if (box.left <= box.right)
            area += QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom));
    }
    return area;
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

QRect TGaugePainter::PaintRect(const TGaugeLook &look)
{
    const Edges e = PaintEdges(look);
    return QRect(e.L, e.T, std::max(0, e.R - e.L), std::max(0, e.B - e.T));
}

void TGaugePainter::DrawFace(QImage &image, const TGaugeLook &look)
{
    DrawFaceWithin(image, look, PaintRect(look));
}

QString TGaugePainter::Text(int percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QFont TGaugePainter::TextFont(const QFont &font)
{
    QFont result = font;
    const auto strategy = (result.styleStrategy() & ~QFont::PreferAntialias) | QFont::NoAntialias;
    result.setStyleStrategy(QFont::StyleStrategy(strategy));
    return result;
}

QRect TGaugePainter::TextArea(const TGaugeLook &look)
{
    const QRect clip = PaintRect(look);
    if (clip.isEmpty())
        return {};
    const TextPlacement placement = PlaceText(look);
    const TextMeasure &measure = placement.measure;
    const QRect cell(placement.cell, QSize(measure.advance, measure.height));
    const QRect ink = measure.ink.translated(placement.cell + QPoint(0, measure.ascent));
    // Glyphs of bold or slanted faces may reach past both; leave room.
    const int margin = 2 + measure.height / 4;
    return cell.united(ink).adjusted(-margin, -margin, margin, margin).intersected(clip);
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
            TBltBitmap text;
            text.SetSize(box.width(), box.height());
            text.Blacken();
            DrawTextWithin(text.Image(), look, box.topLeft(), textClip);
            canvas.Invert(text, box.topLeft());
        }
    }
}

QImage TGaugePainter::Paint(const TGaugeLook &look)
{
    TBltBitmap base;
    base.SetSize(look.width, look.height);
    if (base.Empty())
        return {};
    PaintArea(base, look, QRect(0, 0, look.width, look.height));
    return base.Take();
}
