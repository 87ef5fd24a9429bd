// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/TGauge.h"

#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "controls/ControlsAccessibility.h"
#include "controls/TBltBitmap.h"
#include "controls/TGaugePainter.h"

#include <QPaintEvent>
#include <QPainter>

#include <climits>
#include <cstdint>
#include <string>

namespace {

// Both bounds are printed as they are, beyond 32 bits too.
EInvalidOperation RangeError(std::int64_t low, std::int64_t high)
{
    return EInvalidOperation("Value must be between " + std::to_string(low) + " and "
                             + std::to_string(high));
}

// a - b with 32-bit wrap-around rather than overflow.
std::int32_t WrappingDifference(std::int32_t a, std::int32_t b)
{
    return std::int32_t(std::uint32_t(a) - std::uint32_t(b));
}

} // namespace

TGauge::TGauge(QWidget *parent, ImageAllocator allocate)
    : QWidget(parent), allocate_(std::move(allocate))
{
    // The gauge covers its whole rectangle, so nothing beneath it is painted.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    InstallControlsAccessibility();
    resize(100, 100);
}

TGauge::~TGauge() = default;

void TGauge::SetMinValue(int value)
{
    if (value == minValue_)
        return;
    if (!loading_ && value > maxValue_)
        throw RangeError(-2147483647, std::int64_t(maxValue_) - 1);
    minValue_ = value;
    if (progress_ < value)
        progress_ = value;
    RepaintNow();
}

void TGauge::SetMaxValue(int value)
{
    if (value == maxValue_)
        return;
    if (!loading_ && value < minValue_)
        throw RangeError(std::int64_t(minValue_) + 1, 2147483647);
    maxValue_ = value;
    if (progress_ > value)
        progress_ = value;
    RepaintNow();
}

void TGauge::SetProgress(int value)
{
    const int before = PercentComplete();
    if (value < minValue_)
        value = minValue_;
    else if (value > maxValue_)
        value = maxValue_;
    if (value == progress_)
        return;
    progress_ = value;
    if (PercentComplete() == before)
        return;
    // What the screen shows outside the changed area is already right,
    // unless a paint failed and left the screen behind.
    if (!isVisible() || shownStale_) {
        RepaintNow();
        return;
    }
    TGaugeLook shown = Look();
    shown.percent = before;
    repaint(TGaugePainter::ChangedArea(shown, Look()));
}

void TGauge::SetKind(TGaugeKind value)
{
    if (value == kind_)
        return;
    kind_ = value;
    RepaintNow();
}

void TGauge::SetShowText(bool value)
{
    if (value == showText_)
        return;
    showText_ = value;
    RepaintNow();
}

void TGauge::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RepaintNow();
}

void TGauge::SetForeColor(TColor value)
{
    if (value == foreColor_)
        return;
    foreColor_ = value;
    RepaintNow();
}

void TGauge::SetBackColor(TColor value)
{
    if (value == backColor_)
        return;
    backColor_ = value;
    RepaintNow();
}

void TGauge::SetColor(TColor value)
{
    if (value == color_)
        return;
    color_ = value;
    parentColor_ = false;
    update();
}

void TGauge::SetParentColor(bool value)
{
    if (value == parentColor_)
        return;
    parentColor_ = value;
    if (value)
        ParentColorChanged(parentsColor_);
}

void TGauge::ParentColorChanged(TColor parentColor)
{
    parentsColor_ = parentColor;
    if (!parentColor_ || parentColor == color_)
        return;
    color_ = parentColor;
    update();
}

int TGauge::PercentComplete() const
{
    const std::int32_t span = WrappingDifference(maxValue_, minValue_);
    if (span == 0)
        return 0;
    const std::int32_t offset = WrappingDifference(progress_, minValue_);
    return int(std::int64_t(offset) * 100 / span);
}

TGaugeLook TGauge::Look() const
{
    TGaugeLook look;
    look.width = width();
    look.height = height();
    look.kind = kind_;
    look.showText = showText_;
    look.borderStyle = borderStyle_;
    look.foreColor = foreColor_;
    look.backColor = backColor_;
    look.color = color_;
    look.percent = PercentComplete();
    look.font = font();
    return look;
}

QImage TGauge::Render() const
{
    return TGaugePainter::Paint(Look(), allocate_);
}

QFont TGauge::LayoutFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    // Pixel size is the em height: the character height without internal leading.
    font.setPixelSize(32);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void TGauge::paintEvent(QPaintEvent *event)
{
    const QRegion area = event->region() & rect();
    const bool painted = CallGuarded([this, &area] {
        if (area.isEmpty())
            return;
        TBltBitmap canvas(allocate_);
        canvas.SetSize(width(), height());
        TGaugePainter::PaintArea(canvas, Look(), area);
        // The paint is clipped to the event's region, so only that part of
        // the canvas, the part drawn, reaches the screen.
        QPainter painter(this);
        painter.drawImage(0, 0, canvas.Image());
    });
    if (!painted)
        shownStale_ = true;
    else if (shownStale_ && (visibleRegion() - area).isEmpty())
        shownStale_ = false;
}

void TGauge::RepaintNow()
{
    // QWidget::repaint paints at once and does nothing while hidden; the
    // siblings stacked above within our rectangle are painted with us.
    repaint();
}
