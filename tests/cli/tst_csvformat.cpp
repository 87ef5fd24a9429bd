// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "CsvReader.h"
#include "FormatSamples.h"

#include "cli/ProbeCsv.h"
#include "session/SessionCsv.h"

#include <QtTest>

using namespace std::chrono;

// The csv format, read back by a strict RFC 4180 reader.
class TestCsvFormat : public QObject {
    Q_OBJECT

private slots:
    void init() { samples::UseTimeZone("UTC0"); }

    void header();
    void rows_data();
    void rows();
    void probeRowsAppendConnectionColumns_data();
    void probeRowsAppendConnectionColumns();
    void awkwardTextRoundTrips_data();
    void awkwardTextRoundTrips();
    void readerRefusesBrokenCsv_data();
    void readerRefusesBrokenCsv();
};

void TestCsvFormat::header()
{
    QCOMPARE(QByteArray::fromStdString(CsvHeader()), QByteArray("time,seq,host,address,port,ok,ms,reason,code,message\r\n"));
}

void TestCsvFormat::rows_data()
{
    QTest::addColumn<CheckResult>("result");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("success: no reason, code or message")
        << samples::Ok()
        << QStringList{"2026-12-09T14:03:07.123+00:00", "4", "localhost", "127.0.0.1", "8080", "true", "0.084", "", "", ""};
    QTest::newRow("refused")
        << samples::Failed(FailureReason::Refused, 10061, "Connection refused.")
        << QStringList{"2026-12-09T14:03:07.123+00:00", "4", "localhost", "127.0.0.1", "8080", "false", "0.061",
                       "refused", "10061", "Connection refused."};
    QTest::newRow("name not found: no address")
        << samples::Failed(FailureReason::Dns, 11001, "Host not found.", "")
        << QStringList{"2026-12-09T14:03:07.123+00:00", "4", "localhost", "", "8080", "false", "0.061", "dns", "11001",
                       "Host not found."};
    QTest::newRow("no error number: empty code")
        << samples::Failed(FailureReason::None, 0, "Unknown error")
        << QStringList{"2026-12-09T14:03:07.123+00:00", "4", "localhost", "127.0.0.1", "8080", "false", "0.061", "other",
                       "", "Unknown error"};
}

void TestCsvFormat::rows()
{
    QFETCH(CheckResult, result);
    QFETCH(QStringList, fields);
    const ProbeTarget target{"localhost", 8080};
    const QByteArray text = QByteArray::fromStdString(CsvHeader() + CsvRow(CheckEvent{target, 4, result, {}}));
    QVERIFY(text.endsWith("\r\n"));
    QString error;
    const auto records = ReadCsv(text, &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->size(), 2);
    QCOMPARE(records->at(0).size(), 10);
    QCOMPARE(records->at(1), fields);
}

void TestCsvFormat::probeRowsAppendConnectionColumns_data()
{
    QTest::addColumn<CheckResult>("result");
    QTest::addColumn<QStringList>("connection");
    CheckResult v6 = samples::Ok(microseconds(25'950), "2001:db8::1");
    v6.family = AddressFamily::IPv6;
    v6.lookupElapsed = microseconds(25'000);
    v6.connectElapsed = microseconds(250);
    QTest::newRow("IPv6 after a slow lookup") << v6 << QStringList{"ipv6", "25.000", "0.250"};
    CheckResult v4 = samples::Failed(FailureReason::Refused, 10061, "Connection refused.");
    v4.family = AddressFamily::IPv4;
    v4.connectElapsed = microseconds(61);
    QTest::newRow("refused over IPv4, no lookup") << v4 << QStringList{"ipv4", "0.000", "0.061"};
    CheckResult unresolved = samples::Failed(FailureReason::Dns, 11001, "Host not found.", "");
    unresolved.lookupElapsed = microseconds(61);
    QTest::newRow("name not found: empty family and connect") << unresolved << QStringList{"", "0.061", ""};
}

void TestCsvFormat::probeRowsAppendConnectionColumns()
{
    QFETCH(CheckResult, result);
    QFETCH(QStringList, connection);
    const ProbeTarget target{"localhost", 8080};
    const CheckEvent event{target, 4, result, {}};
    const QByteArray text = QByteArray::fromStdString(ProbeCsvHeader() + ProbeCsvRow(event));
    QString error;
    const auto records = ReadCsv(text, &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->size(), 2);
    const QStringList header = records->at(0);
    QCOMPARE(header.mid(10), (QStringList{"family", "dns_ms", "connect_ms"}));
    // The first ten columns are the session rows' own, unchanged.
    const auto common = ReadCsv(QByteArray::fromStdString(CsvHeader() + CsvRow(event)), &error);
    QVERIFY2(common, qPrintable(error));
    QCOMPARE(header.first(10), common->at(0));
    QCOMPARE(records->at(1).first(10), common->at(1));
    QCOMPARE(records->at(1).mid(10), connection);
}

void TestCsvFormat::awkwardTextRoundTrips_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("message");
    QTest::newRow("comma") << "a,b" << "one, two";
    QTest::newRow("quotes") << "\"quoted\"" << "say \"no\"";
    QTest::newRow("line breaks") << "h" << "first\r\nsecond\nthird\rfourth";
    QTest::newRow("leading blank and quote") << " h" << "\"";
    QTest::newRow("non-ASCII") << QStringLiteral("пример.рф") << QStringLiteral("ошибка, да");
}

void TestCsvFormat::awkwardTextRoundTrips()
{
    QFETCH(QString, host);
    QFETCH(QString, message);
    const ProbeTarget target{host.toStdString(), 80};
    const CheckResult result = samples::Failed(FailureReason::Other, 1, message.toStdString());
    const std::string rows = CsvRow(CheckEvent{target, 1, result, {}}) + CsvRow(CheckEvent{target, 2, result, {}});
    QString error;
    const auto records = ReadCsv(QByteArray::fromStdString(rows), &error);
    QVERIFY2(records, qPrintable(error));
    QCOMPARE(records->size(), 2);
    for (const QStringList &record : *records) {
        QCOMPARE(record.size(), 10);
        QCOMPARE(record[2], host);
        QCOMPARE(record[9], message);
    }
    QCOMPARE(records->at(1)[1], QStringLiteral("2"));
}

// The reader is itself a check: it must refuse what RFC 4180 does not allow.
void TestCsvFormat::readerRefusesBrokenCsv_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("bare line feed") << QByteArray("a,b\nc,d\r\n");
    QTest::newRow("quote inside an unquoted field") << QByteArray("a\"b,c\r\n");
    QTest::newRow("unclosed quote") << QByteArray("\"abc,d\r\n");
    QTest::newRow("text after a closing quote") << QByteArray("\"a\"b,c\r\n");
}

void TestCsvFormat::readerRefusesBrokenCsv()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!ReadCsv(text, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvFormat)
#include "tst_csvformat.moc"
