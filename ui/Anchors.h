// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QRect>
#include <QSize>

// The client-area edges whose distance a control holds when the window is
// resized.
enum TAnchorKind : unsigned {
    akLeft = 1u << 0,
    akTop = 1u << 1,
    akRight = 1u << 2,
    akBottom = 1u << 3,
};
using TAnchors = unsigned;

// Bounds of a control on one axis, which may be empty or negative in size
// when the client area has become very small.
struct AnchoredBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const AnchoredBounds &, const AnchoredBounds &) = default;
};

// What a control's position depends on: its bounds and the client size at
// the moment they were last set other than by the anchors themselves.
struct AnchorRule {
    AnchoredBounds bounds;
    QSize client;
    TAnchors anchors = akLeft | akTop;
};

// The control's bounds for client size `client`, per axis:
// - near edge only: unchanged;
// - far edge only: moved by as much as the far client edge moved;
// - both edges: near edge stays, size changes by as much as the client's;
// - neither: the centre moves in proportion to the client size.
AnchoredBounds ApplyAnchors(const AnchorRule &rule, QSize client);
