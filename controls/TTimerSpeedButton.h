// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "base/TTimer.h"

#include <QImage>
#include <QWidget>

#include <functional>

// A flat push button with a glyph that repeats its click while it is held.
//
// A left press draws the button pressed and tracks the pointer: it stays drawn
// pressed while the pointer is over it and is drawn released while it is not.
// A release over the button (x in 0..width-1, y in 0..height inclusive) clicks
// it once. The press also starts the repeat timer, which is created at the
// first press: its first event comes after 400 ms, later ones every 100 ms;
// each event clicks the button while it is drawn pressed and the left button
// is still held, so steps pause while the pointer is off it. The release
// disables the timer. If a click from the timer raises an error, the timer is
// disabled before the error goes on to HandleException. Errors from clicks
// made by a press or release go to HandleException too.
//
// Only the left button acts: presses and releases of the others do nothing,
// not even while a left press is held, and the button has no context menu
// (a right press is not handed on to the widget below).
class TTimerSpeedButton final : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;
    using TMouseDownEvent = std::function<void()>;

    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kRepeatMs = 100;

    // `arming` arms the repeat timer (TTimer's default when empty).
    explicit TTimerSpeedButton(QWidget *parent = nullptr, TTimer::Arming arming = {});
    ~TTimerSpeedButton() override;

    // The arrow image. Its bottom-left pixel's colour is transparent.
    const QImage &Glyph() const noexcept { return glyph_; }
    void SetGlyph(const QImage &glyph);

    // Whether a press starts the repeat timer (true by default).
    bool AllowTimer() const noexcept { return allowTimer_; }
    void SetAllowTimer(bool value);

    // Whether the focus rectangle is drawn (set by the owning pair).
    bool DrawFocus() const noexcept { return drawFocus_; }
    void SetDrawFocus(bool value);

    // Drawn pressed.
    bool Down() const noexcept { return down_; }
    // Between a left press and the next release.
    bool Tracking() const noexcept { return tracking_; }
    // The repeat timer; null until the first press.
    TTimer *RepeatTimer() const noexcept { return repeatTimer_; }

    // Raised by Click(). May raise errors; see the class comment for where they go.
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    // Raised first at every left press.
    void SetOnMouseDown(TMouseDownEvent handler) { onMouseDown_ = std::move(handler); }

    // Raises OnClick; errors propagate to the caller.
    void Click();

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Press();
    void Release(QPoint position);
    void StartRepeat();
    void RepeatTick();
    void CancelPress();
    void SetDown(bool value);
    bool Inside(QPoint position) const;
    bool HoldsMouse() const;
    void DrawGlyph(QPainter &painter, QPoint origin) const;

    QImage glyph_;
    QImage transparentGlyph_;
    bool allowTimer_ = true;
    bool drawFocus_ = false;
    bool down_ = false;
    bool tracking_ = false;
    bool holdsMouse_ = false;
    TTimer::Arming arming_;
    TTimer *repeatTimer_ = nullptr;
    TNotifyEvent onClick_;
    TMouseDownEvent onMouseDown_;
};
