// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/WindowPlacement.h"

#include "base/ErrorReport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// Look for the frame every 25 ms for 3 s; without a window manager none
// ever comes.
constexpr int kLookEveryMs = 25;
constexpr int kLooks = 120;

// The frame around a shown window, as far as Qt knows it.
QMargins FrameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

} // namespace

PlacementEnvironment PlacementEnvironment::Desktop()
{
    return {[] {
                const QScreen *screen = QGuiApplication::primaryScreen();
                return screen != nullptr ? screen->availableVirtualGeometry() : QRect();
            },
            [](const QWidget &window) {
                // Asked of the native window: the widget's own copy is only
                // brought up to date when the window moves.
                const QWindow *native = window.windowHandle();
                return native != nullptr ? native->frameMargins() : QMargins();
            }};
}

WindowPlacement::WindowPlacement(QWidget &window, Rule rule, std::function<QSize()> assumedOuterSize,
                                 PlacementEnvironment environment)
    : window_(window), rule_(std::move(rule)), assumedOuterSize_(std::move(assumedOuterSize)),
      environment_(std::move(environment))
{
    watch_.setInterval(kLookEveryMs);
    connect(&watch_, &QTimer::timeout, this, [this] { CallGuarded([this] { LookForFrame(); }); });
}

bool WindowPlacement::Encloses(const QMargins &frame)
{
    return !frame.isNull() && frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
}

QPoint WindowPlacement::DesktopCenter(QRect area, QSize outerSize)
{
    return {area.left() + std::max(0, (area.width() - outerSize.width()) / 2),
            area.top() + std::max(0, (area.height() - outerSize.height()) / 2)};
}

QRect WindowPlacement::CenteredOnDesktop(QRect area, QSize outerSize)
{
    return {DesktopCenter(area, outerSize), outerSize};
}

QRect WindowPlacement::CenteredOver(QRect over, QRect area, QSize outerSize, QSize minimum)
{
    const QSize size = outerSize.boundedTo(area.size()).expandedTo(minimum.boundedTo(outerSize));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(over.center());
    placed.moveRight(std::min(placed.right(), area.right()));
    placed.moveBottom(std::min(placed.bottom(), area.bottom()));
    placed.moveLeft(std::max(placed.left(), area.left()));
    placed.moveTop(std::max(placed.top(), area.top()));
    return placed;
}

std::unique_ptr<WindowPlacement> WindowPlacement::OverMainWindow(QWidget &window, QWidget &main)
{
    QWidget *over = &main;
    const auto mainFrame = [over] { return FrameMargins(*over); };
    PlacementEnvironment environment = PlacementEnvironment::Desktop();
    environment.availableArea = [over] {
        const QScreen *screen = over->screen();
        return screen != nullptr ? screen->availableGeometry() : QRect();
    };
    const QSize minimum = window.minimumSizeHint();
    return std::make_unique<WindowPlacement>(
        window,
        [over, minimum, mainFrame](QRect area, QSize outerSize) {
            return CenteredOver(over->frameGeometry(), area, outerSize, minimum.grownBy(mainFrame()));
        },
        [&window, mainFrame] { return window.size().grownBy(mainFrame()); }, std::move(environment));
}

void WindowPlacement::Place()
{
    watch_.stop();
    const QMargins frame = environment_.frame(window_);
    lastSeen_ = QMargins();
    if (Encloses(frame)) {
        PlaceWithFrame(frame, false);
        return;
    }
    const QRect area = environment_.availableArea();
    if (area.isEmpty())
        return;
    const QSize assumed = assumedOuterSize_ ? assumedOuterSize_() : window_.size();
    const QRect placed = rule_(area, assumed);
    if (placed.size() != assumed)
        window_.resize(window_.size() - (assumed - placed.size()));
    // A top-level widget's position is that of its frame.
    window_.move(placed.topLeft());
    looksLeft_ = kLooks;
    watch_.start();
}

void WindowPlacement::PlaceWithFrame(const QMargins &frame, bool framedSinceShown)
{
    const QRect area = environment_.availableArea();
    if (area.isEmpty())
        return;
    const QRect placed = rule_(area, window_.size().grownBy(frame));
    if (placed.size() != window_.size().grownBy(frame))
        window_.resize(placed.size().shrunkBy(frame));
    // Framed since it was shown, the widget's own idea of its frame may be
    // stale: the native window is told.
    QWindow *native = window_.windowHandle();
    if (framedSinceShown && native != nullptr)
        native->setFramePosition(placed.topLeft());
    else
        window_.move(placed.topLeft());
}

void WindowPlacement::LookForFrame()
{
    // A maximized or minimized window is where the window manager put it;
    // moving it would take it out of that state.
    if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        watch_.stop();
        return;
    }
    const QMargins frame = environment_.frame(window_);
    if (!Encloses(frame) || frame != lastSeen_) {
        lastSeen_ = Encloses(frame) ? frame : QMargins();
        if (--looksLeft_ <= 0)
            watch_.stop();
        return;
    }
    watch_.stop();
    PlaceWithFrame(frame, true);
}
