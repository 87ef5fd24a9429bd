// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TGaugeLook.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

// Where a gauge's percentage text goes and what it says, measured as it is
// drawn: the painter draws it at the placement given here, and the repaint
// area of a change is the text area given here.
namespace GaugeTextLayout {

// The percentage as the gauge writes it: "0%", "37%", "100%".
QString Text(int percent);

// The gauge's font as the text is drawn: the same font, unsmoothed.
QFont TextFont(const QFont &font);

// What drawing needs to know of a text in a font.
struct TextMeasure {
    int advance = 0;
    int height = 0;
    int ascent = 0;
    QRect ink;  // the glyphs' bounds, relative to the start of the baseline
};

// The text measured against an image, as it is drawn on one. The last few
// measurements are kept; GUI thread only, as all painting.
TextMeasure Measure(const QFont &font, const QString &text);

struct TextPlacement {
    QFont font;
    QString text;
    QPoint cell;  // top-left corner of the text cell
    TextMeasure measure;
};

// The text of `look` in its drawing font, its cell centred on the paint
// rectangle's size.
TextPlacement Place(const TGaugeLook &look);

// The area of the gauge, within the paint rectangle, outside which the
// text leaves no mark. Empty when nothing of the text can show.
QRect TextArea(const TGaugeLook &look);

} // namespace GaugeTextLayout
