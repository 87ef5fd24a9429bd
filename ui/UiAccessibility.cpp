// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/UiAccessibility.h"

#include "ui/TForm.h"
#include "ui/TGraphicControl.h"
#include "ui/TLabel.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QPointer>

#include <mutex>

namespace {

constexpr const char *kHiddenProperty = "kelvoraAccessibleHidden";

// The widget's accessible children less those marked hidden.
QList<QWidget *> ShownChildren(const QWidget *widget)
{
    QList<QWidget *> shown;
    for (QObject *child : widget->children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (control != nullptr && !control->isWindow() && !AccessibleHidden(control))
            shown << control;
    }
    return shown;
}

// A widget whose children marked hidden do not count.
class FilteringAccessible : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return int(ShownChildren(widget()).size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = ShownChildren(widget());
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index])
                                                  : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child == nullptr)
            return -1;
        return int(ShownChildren(widget()).indexOf(qobject_cast<QWidget *>(child->object())));
    }
};

// A drawn label or picture; clickable ones have a press action.
class DrawnControlAccessible final : public FilteringAccessible {
public:
    explicit DrawnControlAccessible(TGraphicControl *control) : FilteringAccessible(control) {}

    QAccessible::Role role() const override
    {
        if (qobject_cast<const TLabel *>(widget()) == nullptr)
            return QAccessible::Graphic;
        return Control().Clickable() ? QAccessible::Link : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto *label = qobject_cast<const TLabel *>(widget()))
                return label->Caption();
        }
        return FilteringAccessible::text(t);
    }

    QStringList actionNames() const override
    {
        return Control().Clickable() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            Control().Click();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    TGraphicControl &Control() const { return *static_cast<TGraphicControl *>(widget()); }
};

// The status of a form, as a status bar a screen reader can read at any
// time. It is no widget of its own: the form's interface holds it.
class StatusAccessible final : public QAccessibleInterface {
public:
    explicit StatusAccessible(TForm *form) : form_(form) {}

    bool isValid() const override { return !form_.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return form_ ? form_->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(form_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return form_ && (t == QAccessible::Name || t == QAccessible::Value) ? form_->AccessibleStatus() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::StatusBar; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }

private:
    QPointer<TForm> form_;
};

// A form: its widgets, then its status.
class FormAccessible final : public FilteringAccessible {
public:
    explicit FormAccessible(TForm *form) : FilteringAccessible(form, QAccessible::Window)
    {
        status_ = QAccessible::registerAccessibleInterface(new StatusAccessible(form));
    }
    ~FormAccessible() override { QAccessible::deleteAccessibleInterface(status_); }

    int childCount() const override { return FilteringAccessible::childCount() + 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == FilteringAccessible::childCount())
            return QAccessible::accessibleInterface(status_);
        return FilteringAccessible::child(index);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child != nullptr && child == QAccessible::accessibleInterface(status_))
            return FilteringAccessible::childCount();
        return FilteringAccessible::indexOfChild(child);
    }

private:
    QAccessible::Id status_ = 0;
};

QAccessibleInterface *CreateAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("TLabel") || className == QLatin1String("TImage"))
        return new DrawnControlAccessible(static_cast<TGraphicControl *>(object));
    if (auto *form = qobject_cast<TForm *>(object); form != nullptr && className == QLatin1String(form->metaObject()->className()))
        return new FormAccessible(form);
    if (auto *widget = qobject_cast<QWidget *>(object); widget != nullptr && widget->objectName() == QLatin1String("ClientArea")
        && className == QLatin1String("QWidget"))
        return new FilteringAccessible(widget, QAccessible::Client);
    return nullptr;
}

} // namespace

void InstallUiAccessibility()
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(CreateAccessible); });
}

void SetAccessibleHidden(QWidget *control)
{
    control->setProperty(kHiddenProperty, true);
}

bool AccessibleHidden(const QWidget *control)
{
    return control->property(kHiddenProperty).toBool();
}
