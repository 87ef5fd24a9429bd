// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TColor.h"
#include "ui/Anchors.h"
#include "ui/WindowPlacement.h"

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <functional>
#include <vector>

class QScrollBar;

// Where a window is placed the first time it is shown.
enum TPosition {
    poDesigned,      // where it is
    poDesktopCenter, // centred on the desktop (see TForm::DesktopCenter)
};

// A top-level window with a client area in which its controls are laid out:
// - Color: the client area's background, which controls that follow the
//   window's colour take as well (AddColorFollower).
// - Controls are children of Client(). Each holds bounds in client
//   coordinates and an anchor rule, measured against the client size
//   whenever its bounds are set other than by the anchors. Every change of
//   the client size applies the rules.
// - Scrolling: while the client area is narrower than the horizontal extent
//   (the largest right edge among visible controls anchored left but not
//   right) a horizontal scroll bar is shown, and likewise vertically with
//   the bottom edges of controls anchored top but not bottom. Scrolling
//   shifts all controls together.
// - Close path: every close request (RequestClose, the close box, Alt+F4,
//   the window manager) asks CloseQuery; the application's main window then
//   asks the application to end (a quit request is posted), any other window
//   hides.
class TForm : public QWidget {
    Q_OBJECT
public:
    // `outerSize` is the window's size with its frame as the layout gives
    // it; only the placement uses it. The client area starts at
    // `clientSize`.
    TForm(QSize clientSize, QSize outerSize);
    ~TForm() override;

    TColor Color() const { return color_; }
    // Same value: nothing. Else stored, passed to every colour follower and
    // the client area marked for repaint.
    void SetColor(TColor color);
    void AddColorFollower(std::function<void(TColor)> follower);

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }

    // The parent of every control.
    QWidget *Client() const { return client_; }
    // The client area's size: the window less the scroll bars shown.
    QSize ClientSize() const;

    // Adds a child of Client() with its bounds and anchors.
    void AddControl(QWidget *control, QRect bounds, TAnchors anchors);
    // New bounds for a control (left and top kept by SetControlSize); its
    // anchor rule is measured anew.
    void SetControlBounds(QWidget *control, QRect bounds);
    void SetControlSize(QWidget *control, QSize size);
    // The control's bounds in unscrolled client coordinates (as the anchors
    // compute them; the size may be empty).
    AnchoredBounds ControlBounds(const QWidget *control) const;

    // The scrolling extents (see above).
    QSize ScrollExtent() const;
    QScrollBar *HorizontalScrollBar() const { return horizontal_; }
    QScrollBar *VerticalScrollBar() const { return vertical_; }

    // What the window's state is, in words, for assistive technology: the
    // window's accessible description and the text of its status bar
    // object. Same text: nothing; else it is announced once.
    const QString &AccessibleStatus() const { return accessibleStatus_; }
    void SetAccessibleStatus(const QString &text);

    // The close path (see above).
    void RequestClose();
    // Whether the window may close; yes unless a derived window says no.
    virtual bool CloseQuery() { return true; }

    // Where poDesktopCenter puts the outer top-left corner of a window of
    // `outerSize` in the `area` windows may take (WindowPlacement).
    static QPoint DesktopCenter(QRect area, QSize outerSize) { return WindowPlacement::DesktopCenter(area, outerSize); }

    // Replaces how the desktop is seen when placing (tests).
    void SetPlacementEnvironment(PlacementEnvironment environment);
    // True while the first placement waits to see the window manager's frame.
    bool AwaitingFrame() const { return placement_.AwaitingFrame(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Control {
        QWidget *widget;
        AnchorRule rule;
        AnchoredBounds bounds;
    };

    Control *Find(const QWidget *control);
    const Control *Find(const QWidget *control) const;
    void Realign();
    void UpdateScrollBars();
    void PlaceControls();
    void PlaceOnFirstSight();

    TColor color_ = clWindow;
    TPosition position_ = poDesigned;
    QSize outerSize_;
    QWidget *client_;
    QScrollBar *horizontal_;
    QScrollBar *vertical_;
    QWidget *corner_;
    std::vector<Control> controls_;
    std::vector<std::function<void(TColor)>> colorFollowers_;
    bool realigning_ = false;
    QString accessibleStatus_;
    // Until the window manager's frame is known, the window is centred by
    // the layout's outer size; once it is, the real frame is centred.
    WindowPlacement placement_;
};
