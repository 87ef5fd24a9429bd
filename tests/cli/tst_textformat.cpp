// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "FormatSamples.h"

#include "session/SessionText.h"
#include "cli/TextFormat.h"

#include <QtTest>

using namespace std::chrono;

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

// The text format for people, and the number and time texts that every
// format shares.
class TestTextFormat : public QObject {
    Q_OBJECT

private slots:
    void init() { samples::UseTimeZone("UTC0"); }

    void millisecondTexts_data();
    void millisecondTexts();
    void secondsAndDurations_data();
    void secondsAndDurations();
    void decimals_data();
    void decimals();
    void localTime_data();
    void localTime();

    void checkLine_data();
    void checkLine();
    void timestampAndColour();
    void header();
    void summaryWithOutage();
    void summaryWhenNothingSucceeded();
    void summaryBeforeAnyCheck();
};

void TestTextFormat::millisecondTexts_data()
{
    QTest::addColumn<qint64>("ns");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0.000";
    QTest::newRow("84.321 us") << qint64(84'321) << "0.084";
    QTest::newRow("half a microsecond rounds up") << qint64(500) << "0.001";
    QTest::newRow("just under half rounds down") << qint64(499) << "0.000";
    QTest::newRow("0.9995 ms rounds to 1.000") << qint64(999'500) << "1.000";
    QTest::newRow("one second") << qint64(1'000'000'000) << "1000.000";
    QTest::newRow("21 s time-out") << qint64(21'000'400'000) << "21000.400";
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "9223372036854.776";
    QTest::newRow("negative") << qint64(-1'500'000) << "-1.500";
}

void TestTextFormat::millisecondTexts()
{
    QFETCH(qint64, ns);
    QFETCH(QString, text);
    QCOMPARE(Q(MillisecondsText(nanoseconds(ns))), text);
}

void TestTextFormat::secondsAndDurations_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("human");
    QTest::newRow("zero") << qint64(0) << "0.000" << "0.000 s";
    QTest::newRow("4 s") << qint64(4004) << "4.004" << "4.004 s";
    QTest::newRow("just under a minute") << qint64(59'999) << "59.999" << "59.999 s";
    QTest::newRow("a minute") << qint64(60'000) << "60.000" << "1 min 00.000 s";
    QTest::newRow("an hour and a bit") << qint64(3'723'004) << "3723.004" << "1 h 02 min 03.004 s";
    QTest::newRow("days") << qint64(3LL * 86'400'000 + 3'723'004) << "262923.004" << "3 d 01 h 02 min 03.004 s";
}

void TestTextFormat::secondsAndDurations()
{
    QFETCH(qint64, ms);
    QFETCH(QString, seconds);
    QFETCH(QString, human);
    QCOMPARE(Q(SecondsText(std::chrono::milliseconds(ms))), seconds);
    QCOMPARE(Q(HumanDuration(std::chrono::milliseconds(ms))), human);
}

void TestTextFormat::decimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("third of a hundred") << 100.0 / 3 << "33.333" << "33.333";
    QTest::newRow("whole") << 20.0 << "20.000" << "20";
    QTest::newRow("half") << 0.5 << "0.500" << "0.5";
    QTest::newRow("zero") << 0.0 << "0.000" << "0";
    QTest::newRow("tiny negative is not -0") << -0.0001 << "0.000" << "0";
    QTest::newRow("not a number") << std::nan("") << "0.000" << "0";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "0.000" << "0";
    QTest::newRow("large") << 1e15 << "1000000000000000.000" << "1000000000000000";
}

void TestTextFormat::decimals()
{
    QFETCH(double, value);
    QFETCH(QString, fixed);
    QFETCH(QString, trimmed);
    QCOMPARE(Q(FixedDecimal(value, 3)), fixed);
    QCOMPARE(Q(TrimmedDecimal(value, 3)), trimmed);
}

void TestTextFormat::localTime_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<int>("extraMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTC") << QByteArray("UTC0") << 0 << "2026-12-09T14:03:07.123+00:00";
    QTest::newRow("one hour east") << QByteArray("CET-1") << 0 << "2026-12-09T15:03:07.123+01:00";
    QTest::newRow("half hours east") << QByteArray("IST-5:30") << 0 << "2026-12-09T19:33:07.123+05:30";
    QTest::newRow("west") << QByteArray("NST+3:30") << 0 << "2026-12-09T10:33:07.123-03:30";
    QTest::newRow("across midnight") << QByteArray("XST-10") << 0 << "2026-12-10T00:03:07.123+10:00";
    QTest::newRow("whole second") << QByteArray("UTC0") << -123 << "2026-12-09T14:03:07.000+00:00";
    QTest::newRow("last millisecond") << QByteArray("UTC0") << 876 << "2026-12-09T14:03:07.999+00:00";
}

void TestTextFormat::localTime()
{
    QFETCH(QByteArray, tz);
    QFETCH(int, extraMs);
    QFETCH(QString, text);
    samples::UseTimeZone(tz.constData());
    QCOMPARE(Q(LocalIsoTime(samples::At(extraMs))), text);
}

void TestTextFormat::checkLine_data()
{
    QTest::addColumn<CheckResult>("result");
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("line");

    QTest::newRow("success") << samples::Ok() << QString()
                             << "localhost (127.0.0.1) port 8080: seq=3 time=0.084 ms\n";
    QTest::newRow("refused")
        << samples::Failed(FailureReason::Refused, 10061, "Connection refused.") << QString()
        << "localhost (127.0.0.1) port 8080: seq=3 failed: connection refused (Connection refused.) after 0.061 ms\n";
    QTest::newRow("timed out")
        << samples::Failed(FailureReason::Timeout, 10060, "Connection timed out.", "127.0.0.1", milliseconds(1000))
        << QString()
        << "localhost (127.0.0.1) port 8080: seq=3 failed: timed out (Connection timed out.) after 1000.000 ms\n";
    QTest::newRow("name not found: no address")
        << samples::Failed(FailureReason::Dns, 11001, "Host not found.", "") << QString()
        << "localhost (no address) port 8080: seq=3 failed: host not found (Host not found.) after 0.061 ms\n";
    QTest::newRow("failure without a message")
        << samples::Failed(FailureReason::Other, 0, "") << QString()
        << "localhost (127.0.0.1) port 8080: seq=3 failed: other error after 0.061 ms\n";
    QTest::newRow("address changed")
        << samples::Ok(nanoseconds(84'321), "127.0.0.2") << "127.0.0.1"
        << "localhost (127.0.0.2) port 8080: seq=3 time=0.084 ms; address changed from 127.0.0.1\n";

    CheckResult v6 = samples::Ok(nanoseconds(84'321), "2001:db8::1");
    v6.family = AddressFamily::IPv6;
    QTest::newRow("IPv6 in brackets") << v6 << QString()
                                      << "localhost ([2001:db8::1]) port 8080: seq=3 time=0.084 ms\n";
    QTest::newRow("changed between the families: both in their forms")
        << v6 << "127.0.0.1"
        << "localhost ([2001:db8::1]) port 8080: seq=3 time=0.084 ms; address changed from 127.0.0.1\n";
    QTest::newRow("changed from IPv6") << samples::Ok() << "::1"
                                       << "localhost (127.0.0.1) port 8080: seq=3 time=0.084 ms; address changed from [::1]\n";

    CheckResult slowLookup = samples::Ok(microseconds(25'250));
    slowLookup.lookupElapsed = microseconds(25'000);
    slowLookup.connectElapsed = microseconds(250);
    QTest::newRow("a lookup of 25 ms shown apart")
        << slowLookup << QString() << "localhost (127.0.0.1) port 8080: seq=3 time=25.250 ms (dns 25.000 ms)\n";
    CheckResult oneMs = samples::Ok(microseconds(1'100));
    oneMs.lookupElapsed = milliseconds(1);
    QTest::newRow("a lookup of exactly 1 ms shown")
        << oneMs << QString() << "localhost (127.0.0.1) port 8080: seq=3 time=1.100 ms (dns 1.000 ms)\n";
    CheckResult fastLookup = samples::Ok(microseconds(1'100));
    fastLookup.lookupElapsed = microseconds(999);
    QTest::newRow("a lookup under 1 ms left out")
        << fastLookup << QString() << "localhost (127.0.0.1) port 8080: seq=3 time=1.100 ms\n";
    CheckResult slowFailure = samples::Failed(FailureReason::Dns, 11001, "Host not found.", "", milliseconds(5000));
    slowFailure.lookupElapsed = milliseconds(5000);
    QTest::newRow("a failed slow lookup shows it too")
        << slowFailure << QString()
        << "localhost (no address) port 8080: seq=3 failed: host not found (Host not found.) after 5000.000 ms"
           " (dns 5000.000 ms)\n";
}

void TestTextFormat::checkLine()
{
    QFETCH(CheckResult, result);
    QFETCH(QString, previous);
    QFETCH(QString, line);
    const ProbeTarget target{"localhost", 8080};
    const std::string previousAddress = previous.toStdString();
    QCOMPARE(Q(TextCheckLine(CheckEvent{target, 3, result, previousAddress}, TextStyle{})), line);
}

void TestTextFormat::timestampAndColour()
{
    samples::UseTimeZone("CET-1");
    const ProbeTarget target{"127.0.0.1", 80};
    const CheckResult ok = samples::Ok();
    const CheckResult refused = samples::Failed(FailureReason::Refused, 10061, "Connection refused.");

    const QString stamped = Q(TextCheckLine(CheckEvent{target, 1, ok, {}}, TextStyle{true, false}));
    QCOMPARE(stamped, QStringLiteral("[2026-12-09T15:03:07.123+01:00] 127.0.0.1 (127.0.0.1) port 80: seq=1 time=0.084 ms\n"));

    const QString green = Q(TextCheckLine(CheckEvent{target, 1, ok, {}}, TextStyle{false, true}));
    QCOMPARE(green, QStringLiteral("127.0.0.1 (127.0.0.1) port 80: seq=1 \x1b[32mtime=0.084 ms\x1b[0m\n"));
    const QString red = Q(TextCheckLine(CheckEvent{target, 2, refused, "127.0.0.2"}, TextStyle{false, true}));
    QVERIFY2(red.contains(QStringLiteral("\x1b[31mfailed: connection refused (Connection refused.)\x1b[0m")), qPrintable(red));
    QVERIFY2(red.contains(QStringLiteral("\x1b[33m; address changed from 127.0.0.2\x1b[0m")), qPrintable(red));

    QVERIFY(!Q(TextSummary(target, "127.0.0.1", samples::Summary(), false)).contains(QLatin1Char('\x1b')));
    QVERIFY(Q(TextSummary(target, "127.0.0.1", samples::Summary(), true)).contains(QLatin1Char('\x1b')));
}

void TestTextFormat::header()
{
    const ProbeTarget target{"127.0.0.1", 8080};
    QCOMPARE(Q(TextHeader(target, milliseconds(250), 5000)),
             QStringLiteral("probing 127.0.0.1 port 8080 every 0.25 s, time-out 5 s\n"));
    QCOMPARE(Q(TextHeader(target, seconds(1), 0)),
             QStringLiteral("probing 127.0.0.1 port 8080 every 1 s, time-out the client's own (21 s)\n"));
}

void TestTextFormat::summaryWithOutage()
{
    const QString text = Q(TextSummary(ProbeTarget{"localhost", 8080}, "127.0.0.1", samples::Summary(), false));
    const QStringList expected{
        "--- localhost (127.0.0.1) port 8080 statistics ---",
        "10 checks, 8 ok, 2 failed, 20% loss",
        "time min/avg/max/mdev = 0.071/0.084/0.102/0.011 ms",
        "time p50/p90/p95/p99 = 0.080/0.100/0.102/0.102 ms",
        "up 7.500 s, down 2.000 s, 1 outage",
        "longest outage: 2.000 s, from 2026-12-09T14:03:10.123+00:00 to 2026-12-09T14:03:12.123+00:00, "
        "2 failed checks: connection refused 1, timed out 1",
        "longest uptime: 4.500 s",
        "session: 2026-12-09T14:03:07.123+00:00 to 2026-12-09T14:03:16.623+00:00, 9.500 s",
        "",
    };
    QCOMPARE(text.split(QLatin1Char('\n')), expected);
}

void TestTextFormat::summaryWhenNothingSucceeded()
{
    const QString text = Q(TextSummary(ProbeTarget{"127.0.0.1", 81}, "127.0.0.1", samples::AllFailed(), false));
    QVERIFY2(text.contains(QStringLiteral("3 checks, 0 ok, 3 failed, 100% loss\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("time min/avg/max/mdev = -/-/-/- ms (no check succeeded)\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("longest outage: 2.000 s, from 2026-12-09T14:03:07.123+00:00 (going on), "
                                          "3 failed checks: connection refused 3\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("longest uptime: none\n")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("p50")), qPrintable(text));
}

void TestTextFormat::summaryBeforeAnyCheck()
{
    SessionSummary empty;
    empty.sessionStart = empty.now = samples::At();
    const QString text = Q(TextSummary(ProbeTarget{"h", 80}, "", empty, false));
    QVERIFY2(text.startsWith(QStringLiteral("--- h (no address) port 80 statistics ---\n0 checks, 0 ok, 0 failed, no loss figure\n")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("up 0.000 s, down 0.000 s, 0 outages\nlongest outage: none\n")), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestTextFormat)
#include "tst_textformat.moc"
