// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TSpinButton.h"

#include "base/ErrorReport.h"
#include "controls/ControlsAccessibility.h"
#include "controls/SpinGlyphs.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TSpinButton::TSpinButton(QWidget *parent, const TTimer::Arming &arming)
    : QWidget(parent), up_(new TTimerSpeedButton(this, arming)), down_(new TTimerSpeedButton(this, arming)),
      focused_(up_)
{
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumWidth(kMinimumWidth);
    // Over a text field the pointer should not keep the text cursor shape.
    setCursor(Qt::ArrowCursor);

    InstallControlsAccessibility();
    up_->SetGlyph(SpinUpGlyph());
    down_->SetGlyph(SpinDownGlyph());
    up_->setAccessibleName(QCoreApplication::translate("SpinButton", "Increase"));
    down_->setAccessibleName(QCoreApplication::translate("SpinButton", "Decrease"));
    for (TTimerSpeedButton *button : {up_, down_}) {
        button->SetOnClick([this, button] { ButtonClick(button); });
        button->SetOnMouseDown([this, button] { ButtonMouseDown(button); });
    }
    resize(sizeHint());
    LayoutButtons();
}

TSpinButton::~TSpinButton() = default;

QSize TSpinButton::sizeHint() const
{
    return {20, 25};
}

void TSpinButton::SetUpGlyph(const QImage &glyph)
{
    up_->SetGlyph(glyph.isNull() ? SpinUpGlyph() : glyph);
}

void TSpinButton::SetDownGlyph(const QImage &glyph)
{
    down_->SetGlyph(glyph.isNull() ? SpinDownGlyph() : glyph);
}

bool TSpinButton::TabStop() const noexcept
{
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TSpinButton::SetTabStop(bool value)
{
    if (value == TabStop())
        return;
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

void TSpinButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutButtons();
}

void TSpinButton::LayoutButtons()
{
    const int w = width();
    const int upHeight = height() / 2;
    up_->setGeometry(0, 0, w, upHeight);
    down_->setGeometry(0, upHeight - 1, w, height() - upHeight + 1);
}

void TSpinButton::paintEvent(QPaintEvent *)
{
    // The buttons cover the pair; this only shows while they are laid out anew.
    QPainter painter(this);
    painter.fillRect(rect(), palette().brush(QPalette::Button));
}

bool TSpinButton::CanTakeFocus(const QWidget *widget) const
{
    return widget->isEnabled() && widget->isVisible() && widget->focusPolicy() != Qt::NoFocus;
}

void TSpinButton::ButtonMouseDown(TTimerSpeedButton *button)
{
    SetFocusedButton(button);
    QWidget *control = focusControl_;
    if (control && (control->focusPolicy() & Qt::TabFocus) && CanTakeFocus(control) &&
        !control->hasFocus())
        control->setFocus(Qt::OtherFocusReason);
    else if (TabStop() && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

bool TSpinButton::event(QEvent *event)
{
    // The window exists once the pair is shown; it changes with the parent.
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange)
        CallGuarded([this] { WatchWindow(); });
    return QWidget::event(event);
}

void TSpinButton::WatchWindow()
{
    QWindow *window = isVisible() ? this->window()->windowHandle() : nullptr;
    if (window == watchedWindow_)
        return;
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = window;
    if (watchedWindow_)
        watchedWindow_->installEventFilter(this);
}

bool TSpinButton::IsOtherButtonPressOnPair(const QEvent &event) const
{
    if (event.type() != QEvent::MouseButtonPress && event.type() != QEvent::MouseButtonDblClick)
        return false;
    const auto &mouse = static_cast<const QMouseEvent &>(event);
    // With another button held, or the mouse grabbed, the press goes to the
    // widget holding it, not to the one under the pointer.
    if (mouse.button() == Qt::LeftButton || mouse.buttons() != mouse.button() ||
        QWidget::mouseGrabber() != nullptr)
        return false;
    const QWidget *target = window()->childAt(mouse.position().toPoint());
    return target != nullptr && (target == this || isAncestorOf(target));
}

bool TSpinButton::eventFilter(QObject *watched, QEvent *event)
{
    // The toolkit gives the focus to the nearest widget under the pointer that
    // takes it on click (the field) before the press reaches a button, and
    // opens that widget's context menu on a right press. A press that is not
    // the left button's is dropped here, before either can happen.
    bool drop = false;
    if (watched == watchedWindow_)
        CallGuarded([&] { drop = IsOtherButtonPressOnPair(*event); });
    return drop || QWidget::eventFilter(watched, event);
}

void TSpinButton::ButtonClick(TTimerSpeedButton *button)
{
    const TNotifyEvent &handler = button == up_ ? onUpClick_ : onDownClick_;
    if (handler) {
        // Copy: the handler may replace itself while it runs.
        const TNotifyEvent call = handler;
        call();
    }
}

void TSpinButton::SetFocusedButton(TTimerSpeedButton *button)
{
    if (!TabStop() || !CanTakeFocus(this) || button == focused_)
        return;
    focused_ = button;
    UpdateFocusRects();
}

void TSpinButton::UpdateFocusRects()
{
    up_->SetDrawFocus(hasFocus() && focused_ == up_);
    down_->SetDrawFocus(hasFocus() && focused_ == down_);
}

void TSpinButton::keyPressEvent(QKeyEvent *event)
{
    TTimerSpeedButton *target = nullptr;
    switch (event->key()) {
    case Qt::Key_Space:
        target = focused_;
        break;
    case Qt::Key_Up:
        SetFocusedButton(up_);
        target = up_;
        break;
    case Qt::Key_Down:
        SetFocusedButton(down_);
        target = down_;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    CallGuarded([target] { target->Click(); });
}

void TSpinButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    UpdateFocusRects();
}

void TSpinButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    UpdateFocusRects();
}
