// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/GaugeTextLayout.h"

#include "controls/GaugeGeometry.h"

#include <QFontMetrics>
#include <QImage>
#include <QStringList>

#include <cstddef>
#include <vector>

namespace GaugeTextLayout {

namespace {

TextMeasure MeasureAnew(const QFont &font, const QString &text)
{
    // Measured against an image, as the text is drawn on one.
    const QImage probe(1, 1, QImage::Format_RGB32);
    const QFontMetrics metrics(font, &probe);
    return {metrics.horizontalAdvance(text), metrics.height(), metrics.ascent(),
            metrics.boundingRect(text)};
}

} // namespace

QString Text(int percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QFont TextFont(const QFont &font)
{
    QFont result = font;
    const auto strategy = (result.styleStrategy() & ~QFont::PreferAntialias) | QFont::NoAntialias;
    result.setStyleStrategy(QFont::StyleStrategy(strategy));
    return result;
}

// Measuring costs more than drawing a small part of the gauge, and a
// countdown shows the same few texts over and over: the last few
// measurements are kept, by a text naming all of the font that measuring
// depends on (so no font object outlives the application).
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

TextPlacement Place(const TGaugeLook &look)
{
    const GaugeGeometry::Edges e = GaugeGeometry::PaintEdges(look);
    TextPlacement placement{TextFont(look.font), Text(look.percent), {}, {}};
    placement.measure = Measure(placement.font, placement.text);
    const int tw = placement.measure.advance;
    const int th = placement.measure.height;
    // Centred in the paint rectangle's size, not offset by its corner.
    placement.cell = QPoint((e.R - e.L + 1 - tw) / 2, (e.B - e.T + 1 - th) / 2);
    return placement;
}

QRect TextArea(const TGaugeLook &look)
{
    const QRect clip = GaugeGeometry::PaintRect(look);
    if (clip.isEmpty())
        return {};
    const TextPlacement placement = Place(look);
    const TextMeasure &measure = placement.measure;
    const QRect cell(placement.cell, QSize(measure.advance, measure.height));
    const QRect ink = measure.ink.translated(placement.cell + QPoint(0, measure.ascent));
    // Glyphs of bold or slanted faces may reach past both; leave room.
    const int margin = 2 + measure.height / 4;
    return cell.united(ink).adjusted(-margin, -margin, margin, margin).intersected(clip);
}

} // namespace GaugeTextLayout
