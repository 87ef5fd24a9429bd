// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TGaugeLook.h"

#include <QSize>

// The look of the window's gauge as its layout stores it, at `percent`: a
// blue needle on a yellow half-dial, no border, the layout's font, the
// percentage shown, the window's yellow around the dial; 858 x 521 unless
// another size is asked for.
TGaugeLook StoredGaugeLook(int percent, QSize size = QSize(858, 521));
