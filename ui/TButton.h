// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QPushButton>

#include <functional>

// A push button. A click (mouse, Space, or Enter while it has the focus) runs
// OnClick; errors from OnClick go to the application's error display. It is
// never a default button: Enter in a text field clicks nothing.
class TButton final : public QPushButton {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;

    explicit TButton(const QString &caption, QWidget *parent = nullptr);
    ~TButton() override;

    void SetOnClick(TNotifyEvent handler) { onClick_ = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void RunOnClick();

    TNotifyEvent onClick_;
};
