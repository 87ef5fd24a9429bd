// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "FormatSamples.h"

#include "cli/JsonFormat.h"

#include <QJsonArray>
#include <QtTest>

using namespace std::chrono;

namespace {

// The line parsed back; fails the test when it is no single JSON object on
// one line.
QJsonObject Parsed(const std::string &line)
{
    const QByteArray bytes = QByteArray::fromStdString(line);
    if (!bytes.endsWith('\n') || bytes.count('\n') != 1) {
        QTest::qFail("not one line", __FILE__, __LINE__);
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        QTest::qFail(qPrintable(error.errorString() + QStringLiteral(": ") + QString::fromStdString(line)), __FILE__,
                     __LINE__);
        return {};
    }
    return document.object();
}

QJsonValue StringBack(const std::string &json)
{
    const QJsonObject object = Parsed("{\"v\":" + json + "}\n");
    return object.value(QStringLiteral("v"));
}

const QStringList kCheckKeys{"type", "time", "seq", "host", "address", "port", "ok", "ms", "reason", "code", "message"};
const QStringList kSummaryKeys{"type",     "host",       "address",   "port",    "sent",           "ok",
                               "failed",   "loss",       "min_ms",    "avg_ms",  "max_ms",         "mdev_ms",
                               "p50_ms",   "p90_ms",     "p95_ms",    "p99_ms",  "uptime_s",       "downtime_s",
                               "outages",  "longest_outage", "longest_uptime_s", "start", "end",  "duration_s"};

// The keys of a line in the order they are written.
QStringList KeysInOrder(const std::string &line)
{
    QStringList keys;
    const QRegularExpression key(QStringLiteral("[{,]\"([a-z_0-9]+)\":"));
    int depth = 0;
    for (qsizetype i = 0; i < qsizetype(line.size()); ++i) {
        const char c = line[std::size_t(i)];
        if (c == '{')
            ++depth;
        if (c == '}')
            --depth;
        if (depth == 1 && (c == '{' || c == ',')) {
            const auto match = key.match(QString::fromStdString(line), i, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch())
                keys << match.captured(1);
        }
    }
    return keys;
}

} // namespace

// The json format: JSON Lines that other programs parse, so the tests read
// every line back with a JSON parser and hold each field to its shape.
class TestJsonFormat : public QObject {
    Q_OBJECT

private slots:
    void init() { samples::UseTimeZone("CET-1"); }

    void stringEscaping_data();
    void stringEscaping();
    void invalidUtf8BecomesReplacement();
    void successfulCheck();
    void failedCheck_data();
    void failedCheck();
    void numbersHaveFixedDecimals();
    void probeCheckAppendsConnectionFields_data();
    void probeCheckAppendsConnectionFields();
    void failedRaceListsEveryAttempt();
    void summaryFields();
    void summaryWhenNothingSucceeded();
    void summaryBeforeAnyCheck();
};

void TestJsonFormat::stringEscaping_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("plain") << QByteArray("localhost") << QByteArray("\"localhost\"");
    QTest::newRow("quote") << QByteArray("a\"b") << QByteArray("\"a\\\"b\"");
    QTest::newRow("backslash") << QByteArray("a\\b") << QByteArray("\"a\\\\b\"");
    QTest::newRow("line breaks and tab") << QByteArray("a\r\n\tb") << QByteArray("\"a\\r\\n\\tb\"");
    QTest::newRow("other control characters") << QByteArray("\x01\x1f\b\f") << QByteArray("\"\\u0001\\u001f\\b\\f\"");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("\"a\\u0000b\"");
    QTest::newRow("DEL stays") << QByteArray("a\x7f") << QByteArray("\"a\x7f\"");
    QTest::newRow("slash stays") << QByteArray("a/b") << QByteArray("\"a/b\"");
    QTest::newRow("Cyrillic as UTF-8") << QStringLiteral("пример.рф").toUtf8() << ("\"" + QStringLiteral("пример.рф").toUtf8() + "\"");
    QTest::newRow("outside the BMP as UTF-8") << QByteArray("\xf0\x9f\x98\x80") << QByteArray("\"\xf0\x9f\x98\x80\"");
    QTest::newRow("empty") << QByteArray() << QByteArray("\"\"");
}

void TestJsonFormat::stringEscaping()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, json);
    const std::string written = JsonString(std::string_view(text.constData(), std::size_t(text.size())));
    QCOMPARE(QByteArray::fromStdString(written), json);
    QCOMPARE(StringBack(written).toString(), QString::fromUtf8(text));
}

void TestJsonFormat::invalidUtf8BecomesReplacement()
{
    const struct {
        const char *bytes;
        const char *expected;
    } cases[] = {
        {"a\xff" "b", "a\xef\xbf\xbd" "b"},
        {"\xc3", "\xef\xbf\xbd"},                             // cut short
        {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},             // overlong
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"}, // a surrogate
        {"\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"}, // above U+10FFFF
    };
    for (const auto &c : cases) {
        const std::string written = JsonString(c.bytes);
        QCOMPARE(QByteArray::fromStdString(written), "\"" + QByteArray(c.expected) + "\"");
        QVERIFY(StringBack(written).isString());
    }
}

void TestJsonFormat::successfulCheck()
{
    const ProbeTarget target{"localhost", 8080};
    const CheckResult result = samples::Ok();
    const std::string line = JsonCheckLine(CheckEvent{target, 7, result, "127.0.0.9"});
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line), kCheckKeys);
    QCOMPARE(o["type"].toString(), QStringLiteral("check"));
    QCOMPARE(o["time"].toString(), QStringLiteral("2026-12-09T15:03:07.123+01:00"));
    QCOMPARE(o["seq"].toInteger(), 7);
    QCOMPARE(o["host"].toString(), QStringLiteral("localhost"));
    QCOMPARE(o["address"].toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(o["port"].toInteger(), 8080);
    QCOMPARE(o["ok"], QJsonValue(true));
    QCOMPARE(o["ms"].toDouble(), 0.084);
    QVERIFY(o["reason"].isNull());
    QVERIFY(o["code"].isNull());
    QVERIFY(o["message"].isNull());
}

void TestJsonFormat::failedCheck_data()
{
    QTest::addColumn<CheckResult>("result");
    QTest::addColumn<QJsonValue>("address");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QJsonValue>("code");
    QTest::addColumn<QJsonValue>("message");

    QTest::newRow("refused") << samples::Failed(FailureReason::Refused, 10061, "Connection refused.")
                             << QJsonValue("127.0.0.1") << "refused" << QJsonValue(10061)
                             << QJsonValue("Connection refused.");
    QTest::newRow("timed out") << samples::Failed(FailureReason::Timeout, 10060, "Connection timed out.")
                               << QJsonValue("127.0.0.1") << "timeout" << QJsonValue(10060)
                               << QJsonValue("Connection timed out.");
    QTest::newRow("name not found: address null")
        << samples::Failed(FailureReason::Dns, 11001, "Host not found.", "") << QJsonValue(QJsonValue::Null) << "dns"
        << QJsonValue(11001) << QJsonValue("Host not found.");
    QTest::newRow("host unreachable") << samples::Failed(FailureReason::HostUnreachable, 10065, "No route to host.")
                                      << QJsonValue("127.0.0.1") << "host-unreachable" << QJsonValue(10065)
                                      << QJsonValue("No route to host.");
    QTest::newRow("network unreachable")
        << samples::Failed(FailureReason::NetworkUnreachable, 10051, "Network is unreachable.")
        << QJsonValue("127.0.0.1") << "network-unreachable" << QJsonValue(10051) << QJsonValue("Network is unreachable.");
    QTest::newRow("reset") << samples::Failed(FailureReason::Reset, 10054, "Connection reset by peer.")
                           << QJsonValue("127.0.0.1") << "reset" << QJsonValue(10054)
                           << QJsonValue("Connection reset by peer.");
    QTest::newRow("bad input") << samples::Failed(FailureReason::BadInput, 10022, "Invalid argument.")
                               << QJsonValue("127.0.0.1") << "bad-input" << QJsonValue(10022)
                               << QJsonValue("Invalid argument.");
    QTest::newRow("no error number: code null")
        << samples::Failed(FailureReason::Other, 0, "Unknown error") << QJsonValue("127.0.0.1") << "other"
        << QJsonValue(QJsonValue::Null) << QJsonValue("Unknown error");
    QTest::newRow("no category: other, no message: null")
        << samples::Failed(FailureReason::None, 10100, "") << QJsonValue("127.0.0.1") << "other" << QJsonValue(10100)
        << QJsonValue(QJsonValue::Null);
    QTest::newRow("message with quotes and a line break")
        << samples::Failed(FailureReason::Other, 5, "say \"no\"\nnow") << QJsonValue("127.0.0.1") << "other"
        << QJsonValue(5) << QJsonValue("say \"no\"\nnow");
}

void TestJsonFormat::failedCheck()
{
    QFETCH(CheckResult, result);
    QFETCH(QJsonValue, address);
    QFETCH(QString, reason);
    QFETCH(QJsonValue, code);
    QFETCH(QJsonValue, message);
    const ProbeTarget target{"h\"st", 80};
    const std::string line = JsonCheckLine(CheckEvent{target, 1, result, {}});
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line), kCheckKeys);
    QCOMPARE(o["host"].toString(), QStringLiteral("h\"st"));
    QCOMPARE(o["ok"], QJsonValue(false));
    QCOMPARE(o["ms"].toDouble(), 0.061);
    QCOMPARE(o["address"], address);
    QCOMPARE(o["reason"].toString(), reason);
    QCOMPARE(o["code"], code);
    QCOMPARE(o["message"], message);
}

void TestJsonFormat::numbersHaveFixedDecimals()
{
    const ProbeTarget target{"h", 80};
    const CheckResult slow = samples::Ok(nanoseconds(21'000'000'000));
    QVERIFY(JsonCheckLine(CheckEvent{target, 1, slow, {}}).find(",\"ms\":21000.000,") != std::string::npos);
    const CheckResult fast = samples::Ok(nanoseconds(400));
    QVERIFY(JsonCheckLine(CheckEvent{target, 1, fast, {}}).find(",\"ms\":0.000,") != std::string::npos);
    const std::string summary = JsonSummaryLine(target, "127.0.0.1", samples::Summary());
    for (const char *field : {"\"loss\":20.000,", "\"min_ms\":0.071,", "\"avg_ms\":0.084,", "\"mdev_ms\":0.011,",
                              "\"uptime_s\":7.500,", "\"duration_s\":9.500}"})
        QVERIFY2(summary.find(field) != std::string::npos, field);
}

void TestJsonFormat::probeCheckAppendsConnectionFields_data()
{
    QTest::addColumn<CheckResult>("result");
    QTest::addColumn<QJsonValue>("family");
    QTest::addColumn<double>("dnsMs");
    QTest::addColumn<QJsonValue>("connectMs");

    CheckResult v4 = samples::Ok(microseconds(25'950));
    v4.family = AddressFamily::IPv4;
    v4.lookupElapsed = microseconds(25'000);
    v4.connectElapsed = microseconds(250);
    QTest::newRow("IPv4 after a slow lookup") << v4 << QJsonValue("ipv4") << 25.0 << QJsonValue(0.25);
    CheckResult v6 = samples::Ok(microseconds(90), "2001:db8::1");
    v6.family = AddressFamily::IPv6;
    v6.connectElapsed = microseconds(80);
    QTest::newRow("IPv6 literal: no lookup") << v6 << QJsonValue("ipv6") << 0.0 << QJsonValue(0.08);
    CheckResult refused = samples::Failed(FailureReason::Refused, 10061, "Connection refused.", "::1");
    refused.family = AddressFamily::IPv6;
    refused.lookupElapsed = microseconds(12);
    refused.connectElapsed = microseconds(40);
    QTest::newRow("refused over IPv6") << refused << QJsonValue("ipv6") << 0.012 << QJsonValue(0.04);
    CheckResult unresolved = samples::Failed(FailureReason::Dns, 11001, "Host not found.", "");
    unresolved.lookupElapsed = microseconds(61);
    QTest::newRow("name not found: no family, no connect")
        << unresolved << QJsonValue(QJsonValue::Null) << 0.061 << QJsonValue(QJsonValue::Null);
}

void TestJsonFormat::probeCheckAppendsConnectionFields()
{
    QFETCH(CheckResult, result);
    QFETCH(QJsonValue, family);
    QFETCH(double, dnsMs);
    QFETCH(QJsonValue, connectMs);
    const ProbeTarget target{"localhost", 8080};
    const CheckEvent event{target, 2, result, {}};
    const std::string line = JsonProbeCheckLine(event);
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line), kCheckKeys + QStringList({"family", "dns_ms", "connect_ms"}));
    // The fields every check object has stay as they were, to the byte.
    std::string common = JsonCheckLine(event);
    common.resize(common.size() - 2);
    QCOMPARE(QString::fromStdString(line.substr(0, common.size())), QString::fromStdString(common));
    QCOMPARE(line[common.size()], ',');
    QCOMPARE(o["family"], family);
    QCOMPARE(o["dns_ms"].toDouble(), dnsMs);
    QCOMPARE(o["connect_ms"], connectMs);
}

void TestJsonFormat::failedRaceListsEveryAttempt()
{
    CheckResult result = samples::Failed(FailureReason::Timeout, 10060, "2001:db8::1: Connection timed out.; "
                                                                        "192.0.2.1: Connection refused.",
                                         "2001:db8::1", milliseconds(21'000));
    result.family = AddressFamily::IPv6;
    result.attempts = {{"2001:db8::1", AddressFamily::IPv6, FailureReason::Timeout, 10060, "Connection timed out.",
                        milliseconds(21'000)},
                       {"192.0.2.1", AddressFamily::IPv4, FailureReason::Refused, 10061, "Connection refused.",
                        microseconds(1'250)},
                       {"192.0.2.2", AddressFamily::IPv4, FailureReason::None, 0, "", milliseconds(0)}};
    const ProbeTarget target{"dual.test", 80};
    const std::string line = JsonProbeCheckLine(CheckEvent{target, 1, result, {}});
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line).last(), QStringLiteral("attempts"));
    QCOMPARE(o["reason"].toString(), QStringLiteral("timeout"));
    const QJsonArray attempts = o["attempts"].toArray();
    QCOMPARE(attempts.size(), 3);
    const QJsonObject first = attempts[0].toObject();
    QCOMPARE(first.keys().size(), 4);
    QCOMPARE(first["address"].toString(), QStringLiteral("2001:db8::1"));
    QCOMPARE(first["family"].toString(), QStringLiteral("ipv6"));
    QCOMPARE(first["reason"].toString(), QStringLiteral("timeout"));
    QCOMPARE(first["ms"].toDouble(), 21000.0);
    QCOMPARE(attempts[1].toObject()["family"].toString(), QStringLiteral("ipv4"));
    QCOMPARE(attempts[1].toObject()["reason"].toString(), QStringLiteral("refused"));
    QCOMPARE(attempts[1].toObject()["ms"].toDouble(), 1.25);
    // An attempt that names no reason (cut short by the race's end) is
    // "other", as a check's failure without one is.
    QCOMPARE(attempts[2].toObject()["reason"].toString(), QStringLiteral("other"));

    // A success after a race names no attempts: the losers are not counted.
    CheckResult won = samples::Ok(microseconds(300), "192.0.2.1");
    won.family = AddressFamily::IPv4;
    won.attempts = result.attempts;
    QVERIFY(!Parsed(JsonProbeCheckLine(CheckEvent{target, 2, won, {}})).contains(QStringLiteral("attempts")));
}

void TestJsonFormat::summaryFields()
{
    const std::string line = JsonSummaryLine(ProbeTarget{"localhost", 8080}, "127.0.0.1", samples::Summary());
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line), kSummaryKeys);
    QCOMPARE(o["type"].toString(), QStringLiteral("summary"));
    QCOMPARE(o["host"].toString(), QStringLiteral("localhost"));
    QCOMPARE(o["address"].toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(o["port"].toInteger(), 8080);
    QCOMPARE(o["sent"].toInteger(), 10);
    QCOMPARE(o["ok"].toInteger(), 8);
    QCOMPARE(o["failed"].toInteger(), 2);
    QCOMPARE(o["loss"].toDouble(), 20.0);
    QCOMPARE(o["min_ms"].toDouble(), 0.071);
    QCOMPARE(o["avg_ms"].toDouble(), 0.084);
    QCOMPARE(o["max_ms"].toDouble(), 0.102);
    QCOMPARE(o["mdev_ms"].toDouble(), 0.011);
    QCOMPARE(o["p50_ms"].toDouble(), 0.080);
    QCOMPARE(o["p90_ms"].toDouble(), 0.100);
    QCOMPARE(o["p95_ms"].toDouble(), 0.102);
    QCOMPARE(o["p99_ms"].toDouble(), 0.102);
    QCOMPARE(o["uptime_s"].toDouble(), 7.5);
    QCOMPARE(o["downtime_s"].toDouble(), 2.0);
    QCOMPARE(o["outages"].toInteger(), 1);
    const QJsonObject outage = o["longest_outage"].toObject();
    QCOMPARE(outage.keys(), (QStringList{"duration_s", "end", "failed", "reasons", "start"}));
    QCOMPARE(outage["start"].toString(), QStringLiteral("2026-12-09T15:03:10.123+01:00"));
    QCOMPARE(outage["end"].toString(), QStringLiteral("2026-12-09T15:03:12.123+01:00"));
    QCOMPARE(outage["duration_s"].toDouble(), 2.0);
    QCOMPARE(outage["failed"].toInteger(), 2);
    QCOMPARE(outage["reasons"].toObject(), (QJsonObject{{"refused", 1}, {"timeout", 1}}));
    QCOMPARE(o["longest_uptime_s"].toDouble(), 4.5);
    QCOMPARE(o["start"].toString(), QStringLiteral("2026-12-09T15:03:07.123+01:00"));
    QCOMPARE(o["end"].toString(), QStringLiteral("2026-12-09T15:03:16.623+01:00"));
    QCOMPARE(o["duration_s"].toDouble(), 9.5);
}

void TestJsonFormat::summaryWhenNothingSucceeded()
{
    const QJsonObject o = Parsed(JsonSummaryLine(ProbeTarget{"h", 81}, "127.0.0.1", samples::AllFailed()));
    QCOMPARE(o["loss"].toDouble(), 100.0);
    for (const char *field : {"min_ms", "avg_ms", "max_ms", "mdev_ms", "p50_ms", "p90_ms", "p95_ms", "p99_ms",
                              "longest_uptime_s"}) {
        QVERIFY2(o.contains(QLatin1String(field)), field);
        QVERIFY2(o[QLatin1String(field)].isNull(), field);
    }
    const QJsonObject outage = o["longest_outage"].toObject();
    QVERIFY(outage.contains(QStringLiteral("end")));
    QVERIFY(outage["end"].isNull()); // still going on
    QCOMPARE(outage["reasons"].toObject(), (QJsonObject{{"refused", 3}}));
}

void TestJsonFormat::summaryBeforeAnyCheck()
{
    SessionSummary empty;
    empty.sessionStart = empty.now = samples::At();
    const std::string line = JsonSummaryLine(ProbeTarget{"h", 80}, "", empty);
    const QJsonObject o = Parsed(line);
    QCOMPARE(KeysInOrder(line), kSummaryKeys);
    QVERIFY(o["address"].isNull());
    QCOMPARE(o["sent"].toInteger(), 0);
    QVERIFY(o["loss"].isNull());
    QVERIFY(o["longest_outage"].isNull());
    QCOMPARE(o["outages"].toInteger(), 0);
}

QTEST_GUILESS_MAIN(TestJsonFormat)
#include "tst_jsonformat.moc"
