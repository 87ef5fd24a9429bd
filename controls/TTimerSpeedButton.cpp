// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TTimerSpeedButton.h"

#include "base/ErrorReport.h"
#include "base/TTimer.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace {

// The glyph with every pixel of its bottom-left colour made transparent.
QImage withTransparentKey(const QImage &glyph)
{
    if (glyph.isNull())
        return {};
    QImage image = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(qRed(image.pixel(0, image.height() - 1)),
                          qGreen(image.pixel(0, image.height() - 1)),
                          qBlue(image.pixel(0, image.height() - 1)));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRgb(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))) == key)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// The glyph's visible pixels in one colour, for the embossed disabled look.
QImage silhouette(const QImage &transparentGlyph, const QColor &color)
{
    QImage image = transparentGlyph;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                image.setPixel(x, y, color.rgb());
    return image;
}

} // namespace

TTimerSpeedButton::TTimerSpeedButton(QWidget *parent, TTimer::Arming arming)
    : QWidget(parent), arming_(std::move(arming))
{
    setFocusPolicy(Qt::NoFocus);
    // A right press would otherwise open the context menu of the widget the
    // button sits on (the text field's edit menu).
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

TTimerSpeedButton::~TTimerSpeedButton() = default;

QSize TTimerSpeedButton::sizeHint() const
{
    return {23, 22};
}

void TTimerSpeedButton::SetGlyph(const QImage &glyph)
{
    glyph_ = glyph;
    transparentGlyph_ = withTransparentKey(glyph);
    update();
}

void TTimerSpeedButton::SetAllowTimer(bool value)
{
    allowTimer_ = value;
}

void TTimerSpeedButton::SetDrawFocus(bool value)
{
    if (value == drawFocus_)
        return;
    drawFocus_ = value;
    update();
}

void TTimerSpeedButton::Click()
{
    if (onClick_)
        onClick_();
}

void TTimerSpeedButton::SetDown(bool value)
{
    if (value == down_)
        return;
    down_ = value;
    update();
}

bool TTimerSpeedButton::Inside(QPoint position) const
{
    // The bottom edge counts as inside: y runs to the height inclusive.
    return position.x() >= 0 && position.x() < width() && position.y() >= 0 &&
           position.y() <= height();
}

bool TTimerSpeedButton::HoldsMouse() const
{
    return holdsMouse_ && (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        CallGuarded([this] { Press(); });
}

void TTimerSpeedButton::Press()
{
    holdsMouse_ = true;
    if (onMouseDown_)
        onMouseDown_();
    if (isEnabled()) {
        SetDown(true);
        tracking_ = true;
    }
    if (allowTimer_)
        StartRepeat();
}

void TTimerSpeedButton::StartRepeat()
{
    if (!repeatTimer_) {
        repeatTimer_ = new TTimer(this, arming_);
        repeatTimer_->SetEnabled(false);
        repeatTimer_->SetOnTimer([this] { RepeatTick(); });
    }
    repeatTimer_->SetInterval(kFirstRepeatMs);
    repeatTimer_->SetEnabled(true);
}

void TTimerSpeedButton::RepeatTick()
{
    repeatTimer_->SetInterval(kRepeatMs);
    if (!HoldsMouse()) {
        // The release went elsewhere (a pop-up or another window took the
        // mouse): nothing will end this press, so end it here.
        CancelPress();
        return;
    }
    if (!down_)
        return;
    try {
        Click();
    } catch (...) {
        repeatTimer_->SetEnabled(false);
        throw;
    }
}

void TTimerSpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (tracking_)
        SetDown(Inside(event->position().toPoint()));
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        CallGuarded([this, position = event->position().toPoint()] { Release(position); });
}

void TTimerSpeedButton::Release(QPoint position)
{
    holdsMouse_ = false;
    bool click = false;
    if (tracking_) {
        tracking_ = false;
        SetDown(false);
        click = Inside(position);
    }
    // Stopped before the click so that an error raised by the click cannot
    // leave the timer running.
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
    if (click)
        Click();
}

void TTimerSpeedButton::CancelPress()
{
    tracking_ = false;
    holdsMouse_ = false;
    SetDown(false);
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

bool TTimerSpeedButton::event(QEvent *event)
{
    // The window losing activation (another window or an error box came up)
    // takes the mouse away: the release will not come here.
    if (event->type() == QEvent::WindowDeactivate && holdsMouse_)
        CallGuarded([this] { CancelPress(); });
    return QWidget::event(event);
}

void TTimerSpeedButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        update();
}

void TTimerSpeedButton::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    CallGuarded([this] { CancelPress(); });
}

void TTimerSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colors = palette();
    const QBrush face = colors.brush(QPalette::Button);
    qDrawWinButton(&painter, rect(), colors, down_, &face);

    const int shift = down_ ? 1 : 0;
    const QPoint origin((width() - transparentGlyph_.width()) / 2 + shift,
                        (height() - transparentGlyph_.height()) / 2 + shift);
    DrawGlyph(painter, origin);

    if (drawFocus_) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3).translated(shift, shift);
        option.backgroundColor = face.color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TTimerSpeedButton::DrawGlyph(QPainter &painter, QPoint origin) const
{
    if (transparentGlyph_.isNull())
        return;
    if (isEnabled()) {
        painter.drawImage(origin, transparentGlyph_);
        return;
    }
    // Disabled: the glyph's shape embossed in the highlight and shadow colours.
    painter.drawImage(origin + QPoint(1, 1), silhouette(transparentGlyph_, palette().color(QPalette::Light)));
    painter.drawImage(origin, silhouette(transparentGlyph_, palette().color(QPalette::Dark)));
}
