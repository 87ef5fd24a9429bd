// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TProgressBar.h"

#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "ui/QtColor.h"

#include <QPainter>
#include <QProgressBar>
#include <QStyleOptionProgressBar>
#include <QStylePainter>

#include <algorithm>

namespace {

// The native bar. An empty range (minimum = maximum) shows an empty bar
// rather than the toolkit's animated "busy" indicator.
class NativeProgressBar final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent *) override
    {
        CallGuarded([this] {
            QStylePainter painter(this);
            QStyleOptionProgressBar option;
            initStyleOption(&option);
            if (option.minimum == option.maximum) {
                option.maximum = option.minimum + 1;
                option.progress = option.minimum;
            }
            painter.drawControl(QStyle::CE_ProgressBar, option);
        });
    }
};

[[noreturn]] void RaiseOutOfRange()
{
    throw EInvalidOperation("TProgressBar property out of range");
}

} // namespace

TProgressBar::TProgressBar(QWidget *parent) : QWidget(parent), bar_(new NativeProgressBar(this))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setTextVisible(false);
    bar_->setRange(min_, max_);
    bar_->setValue(0);
    PlaceBar();
}

TProgressBar::~TProgressBar() = default;

std::int32_t TProgressBar::Min() const
{
    return bar_->minimum();
}

void TProgressBar::SetMin(std::int32_t value)
{
    if (value == min_)
        return;
    if (value > max_)
        RaiseOutOfRange();
    SetRange(value, max_);
}

std::int32_t TProgressBar::Max() const
{
    return bar_->maximum();
}

void TProgressBar::SetMax(std::int32_t value)
{
    if (value == max_)
        return;
    if (value < min_)
        RaiseOutOfRange();
    SetRange(min_, value);
}

void TProgressBar::SetRange(std::int32_t min, std::int32_t max)
{
    // The native bar keeps its position within a new range instead of
    // resetting it.
    const std::int32_t position = bar_->value();
    min_ = min;
    max_ = max;
    bar_->setRange(min, max);
    bar_->setValue(std::clamp(position, min, max));
}

std::int32_t TProgressBar::Position() const
{
    return bar_->value();
}

void TProgressBar::SetPosition(std::int32_t value)
{
    bar_->setValue(std::clamp(value, min_, max_));
}

void TProgressBar::SetBorderWidth(int width)
{
    width = std::max(0, width);
    if (width == borderWidth_)
        return;
    borderWidth_ = width;
    PlaceBar();
    update();
}

void TProgressBar::ParentColorChanged(TColor windowColor)
{
    if (windowColor == color_)
        return;
    color_ = windowColor;
    update();
}

void TProgressBar::paintEvent(QPaintEvent *)
{
    CallGuarded([this] {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(color_));
    });
}

void TProgressBar::resizeEvent(QResizeEvent *)
{
    CallGuarded([this] { PlaceBar(); });
}

void TProgressBar::PlaceBar()
{
    const int inset = borderWidth_;
    bar_->setGeometry(inset, inset, std::max(0, width() - 2 * inset),
                      std::max(0, height() - 2 * inset));
}
