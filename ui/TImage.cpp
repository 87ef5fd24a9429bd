// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TImage.h"

#include "base/ErrorReport.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : TGraphicControl(parent) {}

TImage::~TImage() = default;

void TImage::SetPicture(const QImage &picture)
{
    picture_ = picture;
    RebuildPixmap();
    ApplyAutoSize();
    update();
}

void TImage::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    ApplyAutoSize();
}

void TImage::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    RebuildPixmap();
    update();
}

QColor TImage::TransparentColor() const
{
    if (picture_.isNull())
        return {};
    return picture_.pixelColor(0, picture_.height() - 1);
}

void TImage::RebuildPixmap()
{
    if (picture_.isNull()) {
        shown_ = QPixmap();
        return;
    }
    QImage shown = picture_.convertToFormat(QImage::Format_ARGB32);
    if (transparent_) {
        // Pixels of the key colour are left out, so what lies below shows.
        const QRgb key = shown.pixel(0, shown.height() - 1);
        for (int y = 0; y < shown.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x) {
                if (line[x] == key)
                    line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    shown_ = QPixmap::fromImage(shown);
}

void TImage::ApplyAutoSize()
{
    if (!autoSize_ || picture_.isNull())
        return;
    RequestSize(picture_.size());
}

void TImage::paintEvent(QPaintEvent *)
{
    CallGuarded([this] {
        if (shown_.isNull())
            return;
        QPainter painter(this);
        painter.drawPixmap(0, 0, shown_);
    });
}

