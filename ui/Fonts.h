// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QFont>

// The window's fonts. The layout was drawn with two classic Windows faces
// that Linux desktops do not have; these stand-ins have Cyrillic glyphs and
// the same pixel heights (character height without internal leading) and
// weights. Each names a list of families, the first installed one wins.

// The window font: a plain sans serif, 11 pixels (8 points at 96 dpi) in the
// layout. Liberation Sans first: metric-compatible with the common Windows
// sans serif and close in width to the layout's labels.
QFont WindowFont(int pixelSize, bool bold = false, bool underline = false);

// The readout font: bold, 24 pixels (18 points) in the layout. DejaVu Sans
// Condensed first: a humanist sans of the same build as the original face.
QFont ReadoutFont(int pixelSize);
