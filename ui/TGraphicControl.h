// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QSize>
#include <QWidget>

#include <functional>

class QMouseEvent;

// A drawn control: it has no window of its own, takes no focus and is painted
// within its rectangle by its host window.
//
// - The whole rectangle takes the pointer; a click (left button pressed and
//   released over the control) runs OnClick. Errors from OnClick go to the
//   application's error display.
// - A size the control asks for itself (a label fitting its text, an image
//   fitting its picture) goes through OnResize, so the host can measure its
//   anchors anew; without a host handler the control resizes itself.
class TGraphicControl : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;
    using ResizeRequest = std::function<void(QSize)>;

    explicit TGraphicControl(QWidget *parent = nullptr);
    ~TGraphicControl() override;

    void SetOnResize(ResizeRequest request) { onResize_ = std::move(request); }
    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }
    bool Clickable() const { return bool(onClick_); }
    // Runs OnClick as a click with the pointer does (assistive technology's
    // press action comes here too).
    void Click();

protected:
    // Applies a size the control asks for (see OnResize above).
    void RequestSize(QSize size);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool pressed_ = false;
    ResizeRequest onResize_;
    TNotifyEvent onClick_;
};
