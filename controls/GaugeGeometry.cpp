// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/GaugeGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace GaugeGeometry {

Edges PaintEdges(const TGaugeLook &look)
{
    if (look.borderStyle == bsSingle)
        return {1, 1, look.width - 1, look.height - 1};
    return {0, 0, look.width, look.height};
}

QRect PaintRect(const TGaugeLook &look)
{
    const Edges e = PaintEdges(look);
    return QRect(e.L, e.T, std::max(0, e.R - e.L), std::max(0, e.B - e.T));
}

int RoundHalfEven(double v)
{
    const double below = std::floor(v);
    const double fraction = v - below;
    double result = below + 1;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0))
        result = below;
    return static_cast<int>(result);
}

QPoint LinePoint(QPoint from, std::int64_t dx, std::int64_t dy, std::int64_t steps, std::int64_t i)
{
    const auto offset = [&](std::int64_t d) {
        const std::int64_t part = (2 * i * std::llabs(d) + steps) / (2 * steps);
        return d < 0 ? -part : part;
    };
    return {int(from.x() + offset(dx)), int(from.y() + offset(dy))};
}

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

QRegion NeedleBands(std::initializer_list<const TGaugeLook *> looks)
{
    std::vector<Needle> needles;
    QRect face;
    for (const TGaugeLook *look : looks) {
        if (look->kind != gkNeedle)
            continue;
        face = PaintRect(*look);
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
            if (!face.contains(p))
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

} // namespace GaugeGeometry
