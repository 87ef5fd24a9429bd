// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/DisplayCheck.h"
#include "support/ArgumentVector.h"

#include <QtTest>

class TestDisplayCheck : public QObject {
    Q_OBJECT
private slots:
    void startsOnlyWithADisplayOrAnExplicitPlatform_data();
    void startsOnlyWithADisplayOrAnExplicitPlatform();
    void platformArgumentIsNoticed_data();
    void platformArgumentIsNoticed();
    void displayArgumentStandsForDisplay_data();
    void displayArgumentStandsForDisplay();
};

void TestDisplayCheck::startsOnlyWithADisplayOrAnExplicitPlatform_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<bool>("argument");
    QTest::addColumn<bool>("starts");
    const QByteArray unset;
    QTest::newRow("nothing set") << unset << unset << unset << false << false;
    QTest::newRow("all empty") << QByteArray("") << QByteArray("") << QByteArray("") << false << false;
    QTest::newRow("X11 display") << QByteArray(":0") << unset << unset << false << true;
    QTest::newRow("Wayland display") << unset << QByteArray("wayland-0") << unset << false << true;
    QTest::newRow("platform chosen") << unset << unset << QByteArray("offscreen") << false << true;
    QTest::newRow("platform argument") << unset << unset << unset << true << true;
}

void TestDisplayCheck::startsOnlyWithADisplayOrAnExplicitPlatform()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, platform);
    QFETCH(bool, argument);
    QFETCH(bool, starts);
    DisplayEnvironment environment;
    environment.display = display.isNull() ? nullptr : display.constData();
    environment.waylandDisplay = wayland.isNull() ? nullptr : wayland.constData();
    environment.qpaPlatform = platform.isNull() ? nullptr : platform.constData();
    environment.platformArgument = argument;
    const auto message = MissingDisplayMessage(environment);
    QCOMPARE(!message.has_value(), starts);
    if (message) {
        // One line that names the cause.
        QVERIFY(message->find('\n') == std::string::npos);
        QVERIFY(message->find("DISPLAY") != std::string::npos);
    }
}

void TestDisplayCheck::platformArgumentIsNoticed_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("noticed");
    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("single dash") << QStringList{"-platform", "offscreen"} << true;
    QTest::newRow("double dash") << QStringList{"--platform", "xcb"} << true;
    QTest::newRow("other Qt option") << QStringList{"-qwindowgeometry", "400x300"} << false;
    QTest::newRow("platform as a value") << QStringList{"-style", "platform"} << false;
}

void TestDisplayCheck::platformArgumentIsNoticed()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, noticed);
    ArgumentVector argv(arguments);
    QCOMPARE(CurrentDisplayEnvironment(argv.Count(), argv.Values()).platformArgument, noticed);
}

void TestDisplayCheck::displayArgumentStandsForDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("starts");
    QTest::newRow("no argument") << QStringList{} << false;
    QTest::newRow("single dash with a server") << QStringList{"-display", ":174"} << true;
    QTest::newRow("double dash with a server") << QStringList{"--display", ":174"} << true;
    QTest::newRow("no server after it") << QStringList{"-display"} << false;
    QTest::newRow("empty server") << QStringList{"-display", ""} << false;
    QTest::newRow("display as a value") << QStringList{"-qwindowtitle", "display"} << false;
}

void TestDisplayCheck::displayArgumentStandsForDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, starts);
    ArgumentVector argv(arguments);
    // Only the arguments count here: no variable is read.
    DisplayEnvironment environment = CurrentDisplayEnvironment(argv.Count(), argv.Values());
    environment.display = nullptr;
    environment.waylandDisplay = nullptr;
    environment.qpaPlatform = nullptr;
    QCOMPARE(!MissingDisplayMessage(environment).has_value(), starts);
}

QTEST_GUILESS_MAIN(TestDisplayCheck)
#include "tst_displaycheck.moc"
