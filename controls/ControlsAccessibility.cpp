// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/ControlsAccessibility.h"

#include "base/ErrorReport.h"
#include "controls/TGauge.h"
#include "controls/TTimerSpeedButton.h"

#include <QAccessibleWidget>

#include <mutex>

namespace {

class SpeedButtonAccessible final : public QAccessibleWidget {
public:
    explicit SpeedButtonAccessible(TTimerSpeedButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction())
            return;
        auto *button = static_cast<TTimerSpeedButton *>(widget());
        // A step may fail (the interval field refuses it); the error is
        // shown as for a click.
        CallGuarded([button] { button->Click(); });
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

class GaugeAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(TGauge *gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QStringLiteral("%1%").arg(Gauge().PercentComplete());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return Gauge().Progress(); }
    void setCurrentValue(const QVariant &) override {} // read only
    QVariant maximumValue() const override { return Gauge().MaxValue(); }
    QVariant minimumValue() const override { return Gauge().MinValue(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    const TGauge &Gauge() const { return *static_cast<const TGauge *>(object()); }
};

QAccessibleInterface *CreateAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("TTimerSpeedButton"))
        return new SpeedButtonAccessible(static_cast<TTimerSpeedButton *>(object));
    if (className == QLatin1String("TGauge"))
        return new GaugeAccessible(static_cast<TGauge *>(object));
    return nullptr;
}

} // namespace

void InstallControlsAccessibility()
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(CreateAccessible); });
}
