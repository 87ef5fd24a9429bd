// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/Anchors.h"

#include <cmath>

namespace {

struct Span {
    int start;
    int length;
};

Span AnchorAxis(Span span, int designClient, int client, bool nearEdge, bool farEdge)
{
    const int growth = client - designClient;
    if (nearEdge && farEdge)
        return {span.start, span.length + growth};
    if (farEdge)
        return {span.start + growth, span.length};
    if (nearEdge || designClient <= 0)
        return span;
    // Neither edge: keep the centre at the same fraction of the client size.
    const double centre = (span.start + span.length / 2.0) * client / designClient;
    return {int(std::lround(centre - span.length / 2.0)), span.length};
}

} // namespace

AnchoredBounds ApplyAnchors(const AnchorRule &rule, QSize client)
{
    const Span x = AnchorAxis({rule.bounds.left, rule.bounds.width}, rule.client.width(),
                              client.width(), rule.anchors & akLeft, rule.anchors & akRight);
    const Span y = AnchorAxis({rule.bounds.top, rule.bounds.height}, rule.client.height(),
                              client.height(), rule.anchors & akTop, rule.anchors & akBottom);
    return {x.start, y.start, x.length, y.length};
}
