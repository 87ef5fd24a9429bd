// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "base/TColor.h"

#include <QtTest>

#include <string>
#include <vector>

class TestErrorReport : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetErrorHandler({}); }
    void guardedCallHandsEscapingErrorToInstalledHandler();
    void guardedCallReportsNonStandardErrors();
    void failingHandlerDoesNotEscape();
    void setErrorHandlerReturnsThePreviousOne();
    void exceptionClassNames();
    void systemColoursResolveThroughClassicScheme();
};

void TestErrorReport::guardedCallHandsEscapingErrorToInstalledHandler()
{
    std::vector<std::string> shown;
    SetErrorHandler([&](const std::exception &e) { shown.push_back(e.what()); });
    int stepsRun = 0;
    const bool finished = CallGuarded([&] {
        ++stepsRun;
        throw EOutOfResources("Not enough timers available");
        ++stepsRun;
    });
    QVERIFY(!finished);
    QCOMPARE(stepsRun, 1);
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(QString::fromStdString(shown[0]), QString("Not enough timers available"));
    QVERIFY(CallGuarded([] {}));
    QCOMPARE(shown.size(), size_t(1));
}

void TestErrorReport::guardedCallReportsNonStandardErrors()
{
    int reports = 0;
    SetErrorHandler([&](const std::exception &) { ++reports; });
    QVERIFY(!CallGuarded([] { throw 42; }));
    QCOMPARE(reports, 1);
}

void TestErrorReport::failingHandlerDoesNotEscape()
{
    SetErrorHandler([](const std::exception &) { throw std::runtime_error("display broke"); });
    QVERIFY(!CallGuarded([] { throw EConvertError("x"); }));
}

void TestErrorReport::setErrorHandlerReturnsThePreviousOne()
{
    int first = 0;
    SetErrorHandler([&](const std::exception &) { ++first; });
    ErrorHandler previous = SetErrorHandler({});
    QVERIFY(bool(previous));
    previous(std::runtime_error("x"));
    QCOMPARE(first, 1);
}

void TestErrorReport::exceptionClassNames()
{
    QCOMPARE(QString(ExceptionClassName(EInvalidOperation("m"))), QString("EInvalidOperation"));
    QCOMPARE(QString(ExceptionClassName(Exception("m"))), QString("Exception"));
    QCOMPARE(QString(ExceptionClassName(std::runtime_error("m"))), QString("Exception"));
}

void TestErrorReport::systemColoursResolveThroughClassicScheme()
{
    QCOMPARE(ColorToRGB(clWindow), clWhite);
    QCOMPARE(ColorToRGB(clWindowFrame), clBlack);
    QCOMPARE(ColorToRGB(clWindowText), clBlack);
    QCOMPARE(ColorToRGB(clStatusChecking), TColor(0x000080FF));
    QCOMPARE(GetRValue(clStatusChecking), std::uint8_t(255));
    QCOMPARE(GetGValue(clStatusChecking), std::uint8_t(128));
    QCOMPARE(GetBValue(clStatusChecking), std::uint8_t(0));
}

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
