// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// What assistive technology finds in the drawn controls: the spin field's
// two buttons, named, with a press action that steps the value, and the
// gauge as a progress bar with its value and range.

#include "controls/TGauge.h"
#include "controls/TSpinEdit.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QtTest>

namespace {

QAccessibleInterface *ChildNamed(QAccessibleInterface *parent, const QString &name)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface *child = parent->child(i);
        if (child == nullptr)
            continue;
        if (child->text(QAccessible::Name) == name)
            return child;
        if (QAccessibleInterface *deeper = ChildNamed(child, name))
            return deeper;
    }
    return nullptr;
}

} // namespace

class TestControlsAccessibility : public QObject {
    Q_OBJECT
private slots:
    void spinButtonsAreNamedButtonsThatStep_data();
    void spinButtonsAreNamedButtonsThatStep();
    void gaugeIsAProgressBarWithItsValue();
};

void TestControlsAccessibility::spinButtonsAreNamedButtonsThatStep_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("after");
    QTest::newRow("up") << QStringLiteral("Больше") << 31;
    QTest::newRow("down") << QStringLiteral("Меньше") << 29;
}

void TestControlsAccessibility::spinButtonsAreNamedButtonsThatStep()
{
    QFETCH(QString, name);
    QFETCH(int, after);
    TSpinEdit field;
    field.SetValue(30);
    int changes = 0;
    field.SetOnChange([&] { ++changes; });
    field.show();
    QAccessibleInterface *fieldInterface = QAccessible::queryAccessibleInterface(&field);
    QVERIFY(fieldInterface != nullptr);
    QAccessibleInterface *button = ChildNamed(fieldInterface, name);
    QVERIFY2(button != nullptr, qPrintable(name));
    QCOMPARE(button->role(), QAccessible::Button);
    QAccessibleActionInterface *actions = button->actionInterface();
    QVERIFY(actions != nullptr);
    QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(field.Value(), after);
    QCOMPARE(changes, 1);
    // No keyboard focus came with it: the buttons stay drawn controls.
    QVERIFY(!button->state().focusable);
}

void TestControlsAccessibility::gaugeIsAProgressBarWithItsValue()
{
    TGauge gauge;
    gauge.SetKind(gkNeedle);
    gauge.SetMaxValue(30);
    gauge.SetProgress(12);
    gauge.setAccessibleName(QStringLiteral("Время до следующей проверки"));
    QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(&gauge);
    QVERIFY(interface != nullptr);
    QCOMPARE(interface->role(), QAccessible::ProgressBar);
    QCOMPARE(interface->text(QAccessible::Name), QStringLiteral("Время до следующей проверки"));
    QAccessibleValueInterface *value = interface->valueInterface();
    QVERIFY(value != nullptr);
    QCOMPARE(value->currentValue().toInt(), 12);
    QCOMPARE(value->minimumValue().toInt(), 0);
    QCOMPARE(value->maximumValue().toInt(), 30);
    QCOMPARE(interface->text(QAccessible::Value), QStringLiteral("40%"));
    gauge.SetProgress(30);
    QCOMPARE(value->currentValue().toInt(), 30);
    // Read only: the countdown is the monitor's to set.
    value->setCurrentValue(3);
    QCOMPARE(gauge.Progress(), 30);
}

QTEST_MAIN(TestControlsAccessibility)
#include "tst_controlsaccessibility.moc"
