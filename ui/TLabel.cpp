// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TLabel.h"

#include "base/ErrorReport.h"
#include "ui/QtColor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

TLabel::TLabel(QWidget *parent) : TGraphicControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

TLabel::~TLabel() = default;

void TLabel::SetCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    setAccessibleName(caption_);
    AdjustBounds();
    update();
}

void TLabel::SetFontColor(TColor color)
{
    if (color == fontColor_)
        return;
    fontColor_ = color;
    update();
}

void TLabel::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    // An opaque label covers its rectangle, so nothing beneath needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent_);
    update();
}

void TLabel::SetColor(TColor color)
{
    parentColor_ = false;
    if (color == color_)
        return;
    color_ = color;
    if (!transparent_)
        update();
}

void TLabel::ParentColorChanged(TColor windowColor)
{
    if (!parentColor_ || windowColor == color_)
        return;
    color_ = windowColor;
    if (!transparent_)
        update();
}

QSize TLabel::TextExtent() const
{
    const QString measured = caption_.isEmpty() ? QStringLiteral(" ") : caption_;
    return QFontMetrics(font()).size(Qt::TextSingleLine | Qt::TextExpandTabs, measured);
}

void TLabel::AdjustBounds()
{
    RequestSize(TextExtent());
}

void TLabel::paintEvent(QPaintEvent *)
{
    CallGuarded([this] {
        QPainter painter(this);
        if (!transparent_)
            painter.fillRect(rect(), ToQColor(color_));
        painter.setPen(ToQColor(fontColor_));
        painter.setFont(font());
        painter.drawText(QRect(0, 0, width(), height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         caption_);
    });
}

void TLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        CallGuarded([this] { AdjustBounds(); });
}
