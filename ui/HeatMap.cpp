// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/HeatMap.h"

#include "base/ErrorReport.h"
#include "ui/HistoryTexts.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

const QColor kAllUp(0x00, 0xFF, 0x00);       // lime, the window's own online colour
const QColor kNotMonitored(0xC0, 0xC0, 0xC0); // silver
constexpr int kGap = 6;

bool Outside(const Span &cell, const Span &range)
{
    return cell.end <= range.start || cell.start >= range.end;
}

} // namespace

HeatMap::HeatMap(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAccessibleName(QCoreApplication::translate("HistoryWindow", "Availability heat map"));
}

QColor HeatMap::ColorOf(const HistoryCell &cell, Span range, const QColor &outside)
{
    if (Outside(cell.span, range))
        return outside;
    const std::optional<double> failed = cell.FailedShare();
    if (!failed)
        return kNotMonitored;
    if (*failed <= 0.0)
        return kAllUp;
    // Yellow for the least failure, red for all down: hue 60° to 0°.
    const double share = std::clamp(*failed, 0.0, 1.0);
    return QColor::fromHsvF(float((1.0 - share) * 60.0 / 360.0), 1.0f, 1.0f).toRgb();
}

void HeatMap::SetView(const HistoryView &view)
{
    days_ = view.days;
    range_ = view.range;
    cellMs_ = view.cellMs > 0 ? view.cellMs : kFineCellMs;
    current_.reset();
    updateGeometry();
    resize(sizeHint());
    update();
}

int HeatMap::CellWidth() const
{
    return cellMs_ > kFineCellMs ? kCoarseCellWidth : kFineCellWidth;
}

int HeatMap::CellsPerDay() const
{
    // A day of 25 hours (the clocks go back) has more cells; the widest day
    // sets the width.
    std::size_t most = std::size_t(86'400'000 / cellMs_);
    for (const HistoryDay &day : days_)
        most = std::max(most, day.cells.size());
    return int(most);
}

// Room for the widest day and share: the Russian forms, or the chosen
// language's where they are wider (a long date format, say).
int HeatMap::LabelWidth() const
{
    const QFontMetrics metrics = fontMetrics();
    return std::max(metrics.horizontalAdvance(QStringLiteral("00.00.0000")),
                    metrics.horizontalAdvance(HistoryTexts::Date("2026-12-28")))
        + kGap;
}

int HeatMap::PercentWidth() const
{
    const QFontMetrics metrics = fontMetrics();
    return kGap + std::max(metrics.horizontalAdvance(QStringLiteral("100,000 %")),
                           metrics.horizontalAdvance(HistoryTexts::Percent(99.999)));
}

QSize HeatMap::sizeHint() const
{
    return {LabelWidth() + CellsPerDay() * CellWidth() + PercentWidth(),
            std::max<int>(1, int(days_.size())) * kRowHeight};
}

QSize HeatMap::minimumSizeHint() const
{
    return sizeHint();
}

QRect HeatMap::CellRect(int day, int cell) const
{
    if (day < 0 || std::size_t(day) >= days_.size() || cell < 0 || std::size_t(cell) >= days_[day].cells.size())
        return {};
    // One pixel between rows, none between cells: a day reads as one band.
    return {LabelWidth() + cell * CellWidth(), day * kRowHeight, CellWidth(), kRowHeight - 1};
}

std::optional<std::pair<int, int>> HeatMap::CellAt(QPoint point) const
{
    if (point.x() < LabelWidth() || point.y() < 0)
        return std::nullopt;
    const int day = point.y() / kRowHeight;
    const int cell = (point.x() - LabelWidth()) / CellWidth();
    if (CellRect(day, cell).isNull())
        return std::nullopt;
    return std::make_pair(day, cell);
}

void HeatMap::PaintRow(QPainter &painter, int day) const
{
    const HistoryDay &row = days_[std::size_t(day)];
    const QColor outside = palette().color(QPalette::Base);
    for (std::size_t cell = 0; cell < row.cells.size(); ++cell)
        painter.fillRect(CellRect(day, int(cell)), ColorOf(row.cells[cell], range_, outside));
    painter.setPen(palette().color(QPalette::WindowText));
    const int y = day * kRowHeight;
    painter.drawText(QRect(0, y, LabelWidth() - kGap, kRowHeight), Qt::AlignRight | Qt::AlignVCenter,
                     HistoryTexts::Date(row.day.date));
    const int right = LabelWidth() + CellsPerDay() * CellWidth() + kGap;
    painter.drawText(QRect(right, y, PercentWidth() - kGap, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     HistoryTexts::Percent(row.Availability()));
}

void HeatMap::paintEvent(QPaintEvent *event)
{
    CallGuarded([&] {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        const int first = std::max(0, event->rect().top() / kRowHeight);
        const int last = std::min(int(days_.size()) - 1, event->rect().bottom() / kRowHeight);
        for (int day = first; day <= last; ++day)
            PaintRow(painter, day);
        if (current_ && hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
            painter.drawRect(CellRect(current_->first, current_->second).adjusted(0, 0, -1, -1));
        }
    });
}

void HeatMap::SetCurrent(int day, int cell)
{
    if (CellRect(day, cell).isNull() || current_ == std::make_pair(day, cell))
        return;
    const std::optional<std::pair<int, int>> before = current_;
    current_ = std::make_pair(day, cell);
    if (before)
        update(CellRect(before->first, before->second));
    update(CellRect(day, cell));
    const QString text = CurrentText();
    setAccessibleDescription(text);
    emit CurrentChanged(text);
}

QString HeatMap::CurrentText() const
{
    if (!current_)
        return {};
    return HistoryTexts::CellText(days_[std::size_t(current_->first)].cells[std::size_t(current_->second)]);
}

void HeatMap::mouseMoveEvent(QMouseEvent *event)
{
    CallGuarded([&] {
        const std::optional<std::pair<int, int>> cell = CellAt(event->position().toPoint());
        if (!cell) {
            QToolTip::hideText();
            return;
        }
        SetCurrent(cell->first, cell->second);
        QToolTip::showText(event->globalPosition().toPoint(), CurrentText(), this, CellRect(cell->first, cell->second));
    });
}

void HeatMap::MoveCurrent(int days, int cells)
{
    if (days_.empty())
        return;
    std::pair<int, int> at = current_.value_or(std::make_pair(int(days_.size()) - 1, 0));
    at.first = std::clamp(at.first + days, 0, int(days_.size()) - 1);
    at.second = std::clamp(at.second + cells, 0, int(days_[std::size_t(at.first)].cells.size()) - 1);
    SetCurrent(at.first, at.second);
}

void HeatMap::keyPressEvent(QKeyEvent *event)
{
    const int row = CellsPerDay();
    switch (event->key()) {
    case Qt::Key_Left: MoveCurrent(0, -1); break;
    case Qt::Key_Right: MoveCurrent(0, 1); break;
    case Qt::Key_Up: MoveCurrent(-1, 0); break;
    case Qt::Key_Down: MoveCurrent(1, 0); break;
    case Qt::Key_PageUp: MoveCurrent(-7, 0); break;
    case Qt::Key_PageDown: MoveCurrent(7, 0); break;
    case Qt::Key_Home: MoveCurrent(0, -row); break;
    case Qt::Key_End: MoveCurrent(0, row); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void HeatMap::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!current_)
        MoveCurrent(0, 0);
    else
        emit CurrentChanged(CurrentText());
    if (current_)
        update(CellRect(current_->first, current_->second));
}

void HeatMap::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (current_)
        update(CellRect(current_->first, current_->second));
}
