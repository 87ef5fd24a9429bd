#include "ui/TImage.h"

#include "base/ErrorReport.h"

#include <QMouseEvent>
#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

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
    if (onResize_)
        onResize_(picture_.size());
    else
        resize(picture_.size());
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

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    event->accept();
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
    event->accept();
    if (click && onClick_) {
        const TNotifyEvent handler = onClick_;
        CallGuarded(handler);
    }
}
