// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QImage>

// The arrow images of the spin buttons: 9 x 6 pixels, a solid black triangle
// on olive (128, 128, 0). The olive background is meant to be transparent;
// buttons take the colour of the bottom-left pixel as their transparent colour.
QImage SpinUpGlyph();
QImage SpinDownGlyph();
