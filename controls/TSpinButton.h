// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "controls/TTimerSpeedButton.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <functional>

// A pair of auto-repeating arrow buttons stacked vertically: up on top, down
// below, overlapping by one pixel row.
//
// Whenever its size is set, the pair lays out its buttons from its width W
// (never below 15) and height H: the up button is W x (H / 2) at the top, the
// down button starts one row above the up button's bottom and fills the rest.
// A left press on either button first hands the keyboard focus to
// FocusControl (when that control takes focus by Tab, can take it and does
// not have it yet), or else to the pair itself when TabStop is set. A press of
// any other mouse button on the pair does nothing at all: it moves no focus
// (not even the toolkit's own focus on click, which would hand it to the
// field below) and opens no context menu.
// With the focus (only possible with TabStop set) Space clicks the focused
// button and the Up and Down keys make that button the focused one and click it.
class TSpinButton final : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;

    static constexpr int kMinimumWidth = 15;

    // `arming` arms the buttons' repeat timers (TTimer's default when empty).
    explicit TSpinButton(QWidget *parent = nullptr, const TTimer::Arming &arming = {});
    ~TSpinButton() override;

    // The control that receives the focus when a button is pressed.
    QWidget *FocusControl() const noexcept { return focusControl_; }
    void SetFocusControl(QWidget *control) { focusControl_ = control; }

    // Arrow images; assigning a null image restores the built-in arrow.
    const QImage &UpGlyph() const noexcept { return up_->Glyph(); }
    void SetUpGlyph(const QImage &glyph);
    const QImage &DownGlyph() const noexcept { return down_->Glyph(); }
    void SetDownGlyph(const QImage &glyph);

    // Whether the pair itself can take the focus (false by default).
    bool TabStop() const noexcept;
    void SetTabStop(bool value);

    TTimerSpeedButton *UpButton() const noexcept { return up_; }
    TTimerSpeedButton *DownButton() const noexcept { return down_; }
    // The button that Space clicks; the up button at first.
    TTimerSpeedButton *FocusedButton() const noexcept { return focused_; }

    // Raised when the up or the down button is clicked; errors propagate.
    void SetOnUpClick(TNotifyEvent handler) { onUpClick_ = std::move(handler); }
    void SetOnDownClick(TNotifyEvent handler) { onDownClick_ = std::move(handler); }

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void LayoutButtons();
    void ButtonMouseDown(TTimerSpeedButton *button);
    void WatchWindow();
    bool IsOtherButtonPressOnPair(const QEvent &event) const;
    void ButtonClick(TTimerSpeedButton *button);
    void SetFocusedButton(TTimerSpeedButton *button);
    void UpdateFocusRects();
    bool CanTakeFocus(const QWidget *widget) const;

    TTimerSpeedButton *up_;
    TTimerSpeedButton *down_;
    TTimerSpeedButton *focused_;
    QPointer<QWidget> focusControl_;
    // The window whose mouse presses are looked at before the toolkit routes
    // them (and gives the focus on click).
    QPointer<QWindow> watchedWindow_;
    TNotifyEvent onUpClick_;
    TNotifyEvent onDownClick_;
};
