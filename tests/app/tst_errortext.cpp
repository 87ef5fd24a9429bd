// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/ErrorText.h"

#include <QtTest>

class TestErrorText : public QObject {
    Q_OBJECT
private slots:
    void fullStopRule_data();
    void fullStopRule();
    void startupErrorText_data();
    void startupErrorText();
};

void TestErrorText::fullStopRule_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter gets a stop") << "Not enough timers available" << "Not enough timers available.";
    QTest::newRow("digit gets a stop") << "Value must be between 1 and 30" << "Value must be between 1 and 30.";
    QTest::newRow("colon gets a stop") << "Host:" << "Host:.";
    QTest::newRow("slash gets a stop") << "a/" << "a/.";
    QTest::newRow("full stop unchanged") << "Winsock Initialization Error." << "Winsock Initialization Error.";
    QTest::newRow("exclamation unchanged") << "Stop!" << "Stop!";
    QTest::newRow("closing parenthesis unchanged") << "failed (10061)" << "failed (10061)";
    QTest::newRow("comma unchanged") << "a," << "a,";
    QTest::newRow("hyphen unchanged") << "a-" << "a-";
    QTest::newRow("blank unchanged") << "trailing " << "trailing ";
    QTest::newRow("line break unchanged") << "two lines\n" << "two lines\n";
    QTest::newRow("empty stays empty") << "" << "";
    QTest::newRow("cyrillic letter gets a stop") << "Ошибка" << "Ошибка.";
    QTest::newRow("single full stop unchanged") << "." << ".";
}

void TestErrorText::fullStopRule()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(WithFullStop(message), shown);
}

void TestErrorText::startupErrorText_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::newRow("stack start-up failure")
        << "EIdStackInitializationFailed" << quint32(0x0001A2B3) << "Winsock Initialization Error."
        << "Exception EIdStackInitializationFailed in module kelvora at 0001A2B3.\r\n"
           "Winsock Initialization Error.\r\n";
    QTest::newRow("stop added to a text without one")
        << "EInvalidOperation" << quint32(0xDEADBEEF) << "TProgressBar property out of range"
        << "Exception EInvalidOperation in module kelvora at DEADBEEF.\r\n"
           "TProgressBar property out of range.\r\n";
    QTest::newRow("only a full stop counts as one")
        << "Exception" << quint32(0) << "Stop!"
        << "Exception Exception in module kelvora at 00000000.\r\nStop!.\r\n";
    QTest::newRow("empty text gets no stop")
        << "Exception" << quint32(0xFF) << ""
        << "Exception Exception in module kelvora at 000000FF.\r\n\r\n";
    QTest::newRow("percent signs in the text are kept")
        << "EConvertError" << quint32(1) << "'%1' is not a valid integer value"
        << "Exception EConvertError in module kelvora at 00000001.\r\n"
           "'%1' is not a valid integer value.\r\n";
}

void TestErrorText::startupErrorText()
{
    QFETCH(QString, className);
    QFETCH(quint32, address);
    QFETCH(QString, message);
    QFETCH(QString, text);
    QCOMPARE(StartupErrorText(className, QStringLiteral("kelvora"), address, message), text);
}

QTEST_GUILESS_MAIN(TestErrorText)
#include "tst_errortext.moc"
