// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Leaks on purpose, so that the sanitizer build proves it still sees a leak
// of ours. Built and run only with KELVORA_SANITIZE; each function runs on its
// own and is expected to end in LeakSanitizer's report (the runs are marked
// WILL_FAIL). The checks themselves always pass: the only failure is the leak.
//
// Each function leaks a project object from a different place a handler of
// ours runs, so a suppression that names any library on those stacks (the
// test framework, the event loop, the widgets' event dispatch) lets one of
// the runs end cleanly and so shows up as a failed test.

#include "base/Exception.h"
#include "base/TTimer.h"
#include "controls/TSpinEdit.h"

#include <QtTest>

namespace {

// An error object made and dropped: one direct leak whose allocation is ours,
// with its message (too long to be stored inline) leaked through it.
void LeakAnError(int *made)
{
    auto *error = new EInvalidOperation(std::string(64, 'x'));
    *made += error->Message().size() == 64 ? 1 : 0;
}

} // namespace

class TestLeakDetection : public QObject {
    Q_OBJECT
private slots:
    void leakInTestFunction();
    void leakInInputHandler();
    void leakInTimerHandler();
};

// Everything a test function does has the test framework's invoke below it.
void TestLeakDetection::leakInTestFunction()
{
    int made = 0;
    LeakAnError(&made);
    QCOMPARE(made, 1);
}

// A change handler run by a click on the up button: the click is delivered
// through the window system's input path and the widgets' event dispatch.
void TestLeakDetection::leakInInputHandler()
{
    QWidget window;
    window.resize(120, 40);
    auto *field = new TSpinEdit(&window);
    field->setGeometry(5, 5, 73, 22);
    int made = 0;
    field->SetOnChange([&made] { LeakAnError(&made); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TTimerSpeedButton *up = field->Button()->UpButton();
    QTest::mouseClick(up, Qt::LeftButton, {}, up->rect().center());
    QCOMPARE(made, 1);
}

// A timer handler, as the monitor's run: delivered by the event loop.
void TestLeakDetection::leakInTimerHandler()
{
    int made = 0;
    TTimer timer;
    timer.SetInterval(10);
    timer.SetOnTimer([&] {
        timer.SetEnabled(false);
        LeakAnError(&made);
    });
    QTRY_COMPARE(made, 1);
}

QTEST_MAIN(TestLeakDetection)
#include "tst_leakdetection.moc"
