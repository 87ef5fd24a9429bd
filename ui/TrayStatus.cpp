// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/TrayStatus.h"

#include "base/ErrorReport.h"
#include "ui/QtColor.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

SystemTrayIcon::SystemTrayIcon() : icon_(std::make_unique<QSystemTrayIcon>())
{
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && onClick_)
                             CallGuarded(onClick_);
                     });
}

SystemTrayIcon::~SystemTrayIcon() = default;

void SystemTrayIcon::SetIcon(const QIcon &icon)
{
    icon_->setIcon(icon);
}

void SystemTrayIcon::SetToolTip(const QString &text)
{
    icon_->setToolTip(text);
}

void SystemTrayIcon::SetMenu(QMenu *menu)
{
    icon_->setContextMenu(menu);
}

void SystemTrayIcon::Show()
{
    icon_->show();
}

void SystemTrayIcon::ShowMessage(const QString &title, const QString &body)
{
    icon_->showMessage(title, body, QSystemTrayIcon::Information);
}

void SystemTrayIcon::SetOnClick(std::function<void()> handler)
{
    onClick_ = std::move(handler);
}

TrayStatus::TrayStatus(std::unique_ptr<TrayIcon> icon, QMenu *menu, std::function<void()> onClick)
    : icon_(std::move(icon))
{
    icon_->SetMenu(menu);
    icon_->SetOnClick(std::move(onClick));
}

TrayStatus::~TrayStatus() = default;

QIcon TrayStatus::StatusIcon(TColor color)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal ring = std::max(1.0, size / 16.0);
        painter.setPen(QPen(QColor(40, 40, 40), ring));
        painter.setBrush(ToQColor(color));
        painter.drawEllipse(QRectF(ring / 2, ring / 2, size - ring, size - ring));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QIcon &TrayStatus::IconOf(TColor color)
{
    auto found = icons_.find(color);
    if (found == icons_.end())
        found = icons_.emplace(color, StatusIcon(color)).first;
    return found->second;
}

void TrayStatus::SetColor(TColor color)
{
    if (color_ == color)
        return;
    color_ = color;
    ++iconPaints_;
    icon_->SetIcon(IconOf(color));
    // The tray shows an icon only once it has one.
    if (iconPaints_ == 1)
        icon_->Show();
}

void TrayStatus::SetStatus(const QString &host, const QString &result, const QString &reason)
{
    QString text = QStringLiteral("Kelvora — ") + host + QStringLiteral("\n") + result;
    if (!reason.isEmpty())
        text += QStringLiteral("\n") + reason;
    if (text == toolTip_)
        return;
    toolTip_ = text;
    icon_->SetToolTip(text);
}
