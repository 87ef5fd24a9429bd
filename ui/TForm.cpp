// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TForm.h"

#include "base/ErrorReport.h"
#include "ui/FormHost.h"
#include "ui/QtColor.h"
#include "ui/UiAccessibility.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

namespace {

// Lines moved by one click on a scroll bar arrow.
constexpr int kScrollLine = 8;

} // namespace

TForm::TForm(QSize clientSize, QSize outerSize)
    : outerSize_(outerSize), client_(new QWidget(this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)), corner_(new QWidget(this)),
      placement_(*this, WindowPlacement::CenteredOnDesktop, [this] { return outerSize_; })
{
    InstallUiAccessibility();
    client_->setObjectName(QStringLiteral("ClientArea"));
    client_->setAttribute(Qt::WA_OpaquePaintEvent);
    client_->installEventFilter(this);
    for (QScrollBar *bar : {horizontal_, vertical_}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(kScrollLine);
        connect(bar, &QScrollBar::valueChanged, this, [this] { CallGuarded([this] { PlaceControls(); }); });
    }
    corner_->setAutoFillBackground(true);
    corner_->setBackgroundRole(QPalette::Button);
    corner_->hide();
    resize(clientSize);
    client_->setGeometry(0, 0, clientSize.width(), clientSize.height());
}

TForm::~TForm() = default;

void TForm::SetAccessibleStatus(const QString &text)
{
    if (text == accessibleStatus_)
        return;
    accessibleStatus_ = text;
    // Setting the description announces the change; the status bar object
    // reads the same text when asked.
    setAccessibleDescription(text);
}

void TForm::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    for (const auto &follower : colorFollowers_)
        follower(color_);
    client_->update();
}

void TForm::AddColorFollower(std::function<void(TColor)> follower)
{
    follower(color_);
    colorFollowers_.push_back(std::move(follower));
}

QSize TForm::ClientSize() const
{
    return client_->size();
}

void TForm::AddControl(QWidget *control, QRect bounds, TAnchors anchors)
{
    if (control->parentWidget() != client_)
        control->setParent(client_);
    const AnchoredBounds initial{bounds.x(), bounds.y(), bounds.width(), bounds.height()};
    controls_.push_back({control, AnchorRule{initial, ClientSize(), anchors}, initial});
    Realign();
}

void TForm::SetControlBounds(QWidget *control, QRect bounds)
{
    Control *entry = Find(control);
    if (entry == nullptr) {
        control->setGeometry(bounds);
        return;
    }
    entry->rule.bounds = {bounds.x(), bounds.y(), bounds.width(), bounds.height()};
    entry->rule.client = ClientSize();
    Realign();
}

void TForm::SetControlSize(QWidget *control, QSize size)
{
    const Control *entry = Find(control);
    if (entry == nullptr) {
        control->resize(size);
        return;
    }
    SetControlBounds(control, QRect(entry->bounds.left, entry->bounds.top, size.width(),
                                    size.height()));
}

AnchoredBounds TForm::ControlBounds(const QWidget *control) const
{
    const Control *entry = Find(control);
    return entry != nullptr ? entry->bounds : AnchoredBounds{};
}

QSize TForm::ScrollExtent() const
{
    int right = 0;
    int bottom = 0;
    for (const Control &control : controls_) {
        if (control.widget->isHidden())
            continue;
        const AnchorRule &rule = control.rule;
        // These edges do not move with the client size, so the rule's own
        // bounds are the current ones.
        if ((rule.anchors & akLeft) && !(rule.anchors & akRight))
            right = std::max(right, rule.bounds.left + rule.bounds.width);
        if ((rule.anchors & akTop) && !(rule.anchors & akBottom))
            bottom = std::max(bottom, rule.bounds.top + rule.bounds.height);
    }
    return {right, bottom};
}

TForm::Control *TForm::Find(const QWidget *control)
{
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [control](const Control &entry) { return entry.widget == control; });
    return found != controls_.end() ? &*found : nullptr;
}

const TForm::Control *TForm::Find(const QWidget *control) const
{
    return const_cast<TForm *>(this)->Find(control);
}

void TForm::Realign()
{
    if (realigning_)
        return;
    realigning_ = true;
    UpdateScrollBars();
    for (Control &control : controls_)
        control.bounds = ApplyAnchors(control.rule, ClientSize());
    PlaceControls();
    realigning_ = false;
}

void TForm::UpdateScrollBars()
{
    const QSize total = size();
    const QSize extent = ScrollExtent();
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool needHorizontal = total.width() < extent.width();
    bool needVertical = total.height() < extent.height();
    // A bar on one side takes room from the other axis.
    if (needHorizontal && !needVertical)
        needVertical = total.height() - thickness < extent.height();
    if (needVertical && !needHorizontal)
        needHorizontal = total.width() - thickness < extent.width();

    const QSize client(std::max(0, total.width() - (needVertical ? thickness : 0)),
                       std::max(0, total.height() - (needHorizontal ? thickness : 0)));
    client_->setGeometry(0, 0, client.width(), client.height());

    const QSignalBlocker blockHorizontal(horizontal_);
    const QSignalBlocker blockVertical(vertical_);
    horizontal_->setRange(0, needHorizontal ? extent.width() - client.width() : 0);
    horizontal_->setPageStep(std::max(1, client.width()));
    horizontal_->setGeometry(0, client.height(), client.width(), thickness);
    horizontal_->setVisible(needHorizontal);
    vertical_->setRange(0, needVertical ? extent.height() - client.height() : 0);
    vertical_->setPageStep(std::max(1, client.height()));
    vertical_->setGeometry(client.width(), 0, thickness, client.height());
    vertical_->setVisible(needVertical);
    corner_->setGeometry(client.width(), client.height(), thickness, thickness);
    corner_->setVisible(needHorizontal && needVertical);
}

void TForm::PlaceControls()
{
    const QPoint offset(horizontal_->isHidden() ? 0 : horizontal_->value(),
                        vertical_->isHidden() ? 0 : vertical_->value());
    for (const Control &control : controls_) {
        const AnchoredBounds &b = control.bounds;
        control.widget->setGeometry(b.left - offset.x(), b.top - offset.y(), std::max(0, b.width),
                                    std::max(0, b.height));
    }
}

void TForm::RequestClose()
{
    if (!CloseQuery())
        return;
    FormHost *host = FormHost::Current();
    if (host != nullptr && host->IsMainForm(this))
        host->Terminate();
    else
        hide();
}

void TForm::SetPlacementEnvironment(PlacementEnvironment environment)
{
    placement_.SetEnvironment(std::move(environment));
}

void TForm::closeEvent(QCloseEvent *event)
{
    // The window stays until the shutdown hides it.
    event->ignore();
    CallGuarded([this] { RequestClose(); });
}

void TForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CallGuarded([this] { Realign(); });
}

void TForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    PlaceOnFirstSight();
}

void TForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A window that started minimized is first seen when it is restored.
    if (event->type() == QEvent::WindowStateChange && isVisible())
        PlaceOnFirstSight();
}

void TForm::PlaceOnFirstSight()
{
    // Moving a minimized window would show it; it is placed once restored.
    if (position_ != poDesktopCenter || (windowState() & Qt::WindowMinimized))
        return;
    CallGuarded([this] { placement_.Place(); });
    // A later show (after a minimize and restore) leaves the window where it is.
    position_ = poDesigned;
}

bool TForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != client_)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Paint) {
        CallGuarded([this, event] {
            QPainter painter(client_);
            painter.fillRect(static_cast<QPaintEvent *>(event)->rect(), ToQColor(color_));
        });
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        const bool sideways = wheel->modifiers() & Qt::ShiftModifier;
        QScrollBar *bar = sideways ? horizontal_ : vertical_;
        if (bar->isVisible()) {
            const int steps = wheel->angleDelta().y() / 120;
            bar->setValue(bar->value() - steps * 3 * kScrollLine);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
