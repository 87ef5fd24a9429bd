// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TGaugeLook.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <initializer_list>
#include <optional>

// Where a gauge's parts lie, apart from how they are painted: the paint
// rectangle's edges, the needle and the pixels of its one-pixel line. The
// painter draws with these and the repaint area is worked out from them, so
// the two always agree on which pixels the needle covers.
namespace GaugeGeometry {

// A rectangle by its edges, right and bottom excluded.
struct Edges {
    int L, T, R, B;
};

// The paint rectangle: the whole gauge, or with a single border the gauge
// less its outermost ring of pixels.
Edges PaintEdges(const TGaugeLook &look);
// The same as a rectangle; empty when the gauge has no pixels to paint.
QRect PaintRect(const TGaugeLook &look);

// The integer nearest to v, a half going to the even neighbour; independent
// of the floating-point rounding mode in force.
int RoundHalfEven(double v);

// Step i of the one-pixel line from `from` by (dx, dy) in `steps` steps: i/steps
// of the way, each axis rounded half away from the start. Along the longer
// axis step i lies exactly i pixels from the start.
QPoint LinePoint(QPoint from, std::int64_t dx, std::int64_t dy, std::int64_t steps, std::int64_t i);

struct Needle {
    QPoint pivot;
    QPoint tip;  // not drawn
};

// The needle of a needle face with the paint rectangle's edges `e`; none at
// 0 % or less.
std::optional<Needle> NeedleOf(const TGaugeLook &look, const Edges &e);

// Rows (or columns) of the gauge that one rectangle of a needle area spans:
// few rectangles keep the repaint cheap to send to the window system, small
// ones keep it cheap to draw.
constexpr int kNeedleBand = 64;

// The pixels of the needles of `looks` (gauges of one size) within the paint
// rectangle, covered by one rectangle per band of kNeedleBand rows, or
// columns when every needle is flatter than steep. Needles close together
// share their rectangles. Looks of other kinds add nothing.
QRegion NeedleBands(std::initializer_list<const TGaugeLook *> looks);

} // namespace GaugeGeometry
