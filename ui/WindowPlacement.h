// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>
#include <memory>

class QWidget;

// What placing a window needs to know of the desktop: the area windows may
// take (all screens, less panels and docks), and the frame the window
// manager has put around a window (null while there is none, or none is
// known yet). Tests stand in for both.
struct PlacementEnvironment {
    std::function<QRect()> availableArea;
    std::function<QMargins(const QWidget &window)> frame;

    // The screens' available virtual geometry, and the window's frame
    // geometry less its geometry.
    static PlacementEnvironment Desktop();
};

// Places a top-level window by its frame, the outer rectangle the user sees.
//
// Place() puts the window where `rule` says for the frame it has. A frame is
// known only once it encloses the window and two looks in a row find it the
// same: a window manager frames a window some time after it is mapped, and
// while it does, it may report a frame that has not yet grown around the
// window. Until the frame is known the window is placed by the outer size
// `assumedOuterSize` gives, and the placement watches for the frame a few
// times a second for a few seconds; once it is known the frame is placed
// again, once. A window that is maximized, minimized or full screen when
// the frame comes is left where the window manager put it.
class WindowPlacement final : public QObject {
    Q_OBJECT
public:
    // The frame's rectangle in `area` for a frame of `outerSize`. A smaller
    // size than `outerSize` shrinks the window by as much.
    using Rule = std::function<QRect(QRect area, QSize outerSize)>;

    WindowPlacement(QWidget &window, Rule rule, std::function<QSize()> assumedOuterSize,
                    PlacementEnvironment environment = PlacementEnvironment::Desktop());

    void SetEnvironment(PlacementEnvironment environment) { environment_ = std::move(environment); }

    // Places the window now and, while its frame is not known, watches for it.
    void Place();
    // True while the placement waits to see the window manager's frame.
    bool AwaitingFrame() const { return watch_.isActive(); }

    // Whether `frame` is a frame that has grown around its window.
    static bool Encloses(const QMargins &frame);

    // Centred in `area`, integer division, never left of or above the area
    // (a frame larger than the area goes to its top-left corner); the size
    // stays.
    static QPoint DesktopCenter(QRect area, QSize outerSize);
    static QRect CenteredOnDesktop(QRect area, QSize outerSize);
    // Centred over `over` and within `area`: no larger than the area (but
    // not below `minimum`), moved in where it would stick out, its top-left
    // corner first.
    static QRect CenteredOver(QRect over, QRect area, QSize outerSize, QSize minimum);

    // The placement of a window that opens over the main window `main`:
    // CenteredOver main's frame, within the free area of main's screen (a
    // desktop without a window manager would put it in the corner), never
    // below the window's minimum size hint. Until its own frame is known,
    // the window is taken to get main's. The window has sized itself already.
    static std::unique_ptr<WindowPlacement> OverMainWindow(QWidget &window, QWidget &main);

private:
    void PlaceWithFrame(const QMargins &frame, bool framedSinceShown);
    void LookForFrame();

    QWidget &window_;
    Rule rule_;
    std::function<QSize()> assumedOuterSize_;
    PlacementEnvironment environment_;
    QTimer watch_;
    int looksLeft_ = 0;
    QMargins lastSeen_;
};
