// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ExpositionReader.h"

#include "cli/FleetMetrics.h"

#include <QtTest>

using namespace std::chrono;

namespace {

std::optional<QList<ExpositionFamily>> Read(const std::string &text)
{
    QString error;
    auto families = ReadExposition(QByteArray::fromStdString(text), &error);
    if (!families)
        QTest::qFail(qPrintable(error + QStringLiteral("\n") + QString::fromStdString(text)), __FILE__, __LINE__);
    return families;
}

// The samples named `name` (with any suffix given) whose labels include
// `labels`.
QList<ExpositionSample> Samples(const QList<ExpositionFamily> &families, const QString &name,
                                const QMap<QString, QString> &labels = {})
{
    QList<ExpositionSample> found;
    for (const ExpositionFamily &family : families) {
        for (const ExpositionSample &sample : family.samples) {
            bool match = sample.name == name;
            for (auto it = labels.cbegin(); match && it != labels.cend(); ++it)
                match = sample.labels.value(it.key()) == it.value();
            if (match)
                found << sample;
        }
    }
    return found;
}

// The one value of a sample, or NaN when there is not exactly one.
double Value(const QList<ExpositionFamily> &families, const QString &name, const QMap<QString, QString> &labels = {})
{
    const QList<ExpositionSample> found = Samples(families, name, labels);
    return found.size() == 1 ? found.front().value : std::nan("");
}

CheckResult Check(bool ok, nanoseconds elapsed, AddressFamily family = AddressFamily::IPv4,
                  FailureReason reason = FailureReason::None)
{
    CheckResult result;
    result.ok = ok;
    result.elapsed = elapsed;
    result.family = family;
    result.reason = ok ? FailureReason::None : reason;
    result.startedAt = system_clock::time_point(seconds(1'700'000'000));
    return result;
}

SessionSummary Outages(std::uint64_t count, nanoseconds down)
{
    SessionSummary summary;
    summary.outagesTotal = count;
    summary.totalDown = down;
    return summary;
}

const QMap<QString, QString> kV4{{"host", "a"}, {"port", "80"}, {"family", "ipv4"}};

} // namespace

// The metrics of a run as prometheus-cpp serialises them, read back by a
// strict reader: families and labels, counting, histogram, the gauges that
// follow a target's latest address family, the internet, escaping.
class TestFleetMetrics : public QObject {
    Q_OBJECT

private slots:
    void everyFamilyWithHelpAndType();
    void everyTargetSampleCarriesHostPortAndFamily();
    void checksFailuresAndHistogramOfSuccessesOnly();
    void histogramBucketsAreCumulative();
    void gaugesFollowTheLatestFamily();
    void outageCountersOnlyGrow();
    void internetUpAndOutages();
    void lastCheckTimestampIsTheEnd();
    void labelValuesEscaped_data();
    void labelValuesEscaped();
    void promtoolFindsNothing();
    void readerRefusesBrokenText_data();
    void readerRefusesBrokenText();
};

void TestFleetMetrics::everyFamilyWithHelpAndType()
{
    FleetMetrics metrics("any", "9.9");
    const std::size_t a = metrics.AddTarget({"a", 80});
    const auto before = Read(metrics.Text());
    QVERIFY(before);
    // Before any check: down, no internet yet; the counters of a family
    // appear with its first check.
    QCOMPARE(Value(*before, "kelvora_probe_up", {{"host", "a"}}), 0.0);
    QCOMPARE(Value(*before, "kelvora_internet_up", {{"rule", "any"}}), 0.0);
    QCOMPARE(Samples(*before, "kelvora_probe_checks_total").size(), 0);

    metrics.RecordCheck(a, Check(true, milliseconds(1)), {});
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::IPv4, FailureReason::Refused), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    const QMap<QString, QString> types{{"kelvora_probe_up", "gauge"},
                                       {"kelvora_probe_checks_total", "counter"},
                                       {"kelvora_probe_failures_total", "counter"},
                                       {"kelvora_probe_duration_seconds", "histogram"},
                                       {"kelvora_probe_last_duration_seconds", "gauge"},
                                       {"kelvora_probe_last_check_timestamp_seconds", "gauge"},
                                       {"kelvora_probe_outages_total", "counter"},
                                       {"kelvora_probe_outage_seconds_total", "counter"},
                                       {"kelvora_internet_up", "gauge"},
                                       {"kelvora_internet_outages_total", "counter"},
                                       {"kelvora_probe_build_info", "gauge"}};
    QMap<QString, QString> seen;
    for (const ExpositionFamily &family : *families) {
        QVERIFY2(!family.help.isEmpty(), qPrintable(family.name));
        seen.insert(family.name, family.type);
    }
    QCOMPARE(seen, types);
    QCOMPARE(Value(*families, "kelvora_probe_build_info", {{"version", "9.9"}}), 1.0);
}

void TestFleetMetrics::everyTargetSampleCarriesHostPortAndFamily()
{
    FleetMetrics metrics("all", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    const std::size_t b = metrics.AddTarget({"b", 8080});
    QCOMPARE(a, std::size_t(0));
    QCOMPARE(b, std::size_t(1));
    metrics.RecordCheck(a, Check(true, milliseconds(1)), {});
    metrics.RecordCheck(b, Check(false, milliseconds(2), AddressFamily::IPv6, FailureReason::Refused), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    int targetSamples = 0;
    for (const ExpositionFamily &family : *families) {
        if (!family.name.startsWith(QLatin1String("kelvora_probe_")) || family.name == QLatin1String("kelvora_probe_build_info"))
            continue;
        for (const ExpositionSample &sample : family.samples) {
            ++targetSamples;
            QVERIFY2(sample.labels.contains("host") && sample.labels.contains("port") && sample.labels.contains("family"),
                     qPrintable(sample.name));
        }
    }
    QVERIFY(targetSamples > 40);
    QCOMPARE(Value(*families, "kelvora_probe_up", {{"host", "b"}, {"port", "8080"}, {"family", "ipv6"}}), 0.0);
}

void TestFleetMetrics::checksFailuresAndHistogramOfSuccessesOnly()
{
    FleetMetrics metrics("any", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    metrics.RecordCheck(a, Check(true, milliseconds(3)), {});
    metrics.RecordCheck(a, Check(false, seconds(5), AddressFamily::IPv4, FailureReason::Timeout), {});
    metrics.RecordCheck(a, Check(true, milliseconds(7)), {});
    metrics.RecordCheck(a, Check(false, microseconds(50), AddressFamily::IPv4, FailureReason::Refused), {});
    metrics.RecordCheck(a, Check(false, microseconds(60), AddressFamily::IPv4, FailureReason::Refused), {});
    // A failure that names no reason counts as "other".
    metrics.RecordCheck(a, Check(false, microseconds(60), AddressFamily::IPv4, FailureReason::None), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    auto with = [](QMap<QString, QString> labels, const char *key, const char *value) {
        labels.insert(key, value);
        return labels;
    };
    QCOMPARE(Value(*families, "kelvora_probe_checks_total", with(kV4, "result", "ok")), 2.0);
    QCOMPARE(Value(*families, "kelvora_probe_checks_total", with(kV4, "result", "failed")), 4.0);
    QCOMPARE(Value(*families, "kelvora_probe_failures_total", with(kV4, "reason", "refused")), 2.0);
    QCOMPARE(Value(*families, "kelvora_probe_failures_total", with(kV4, "reason", "timeout")), 1.0);
    QCOMPARE(Value(*families, "kelvora_probe_failures_total", with(kV4, "reason", "other")), 1.0);
    QCOMPARE(Samples(*families, "kelvora_probe_failures_total").size(), 3);
    // The failures' time is no latency.
    QCOMPARE(Value(*families, "kelvora_probe_duration_seconds_count", kV4), 2.0);
    QVERIFY(qAbs(Value(*families, "kelvora_probe_duration_seconds_sum", kV4) - 0.010) < 1e-12);
    QCOMPARE(Value(*families, "kelvora_probe_last_duration_seconds", kV4), 0.00006);
    QCOMPARE(Value(*families, "kelvora_probe_up", kV4), 0.0);
}

void TestFleetMetrics::histogramBucketsAreCumulative()
{
    FleetMetrics metrics("any", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    // At a bound counts in that bucket; beyond the last, in +Inf only.
    for (const nanoseconds d : {nanoseconds(50'000), nanoseconds(100'000), nanoseconds(100'001), nanoseconds(3'000'000),
                                nanoseconds(2'000'000'000), nanoseconds(30'000'000'000)})
        metrics.RecordCheck(a, Check(true, d), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    const QMap<QString, double> expected{{"0.0001", 2}, {"0.00025", 3}, {"0.001", 3}, {"0.005", 4},
                                         {"2.5", 5},    {"25", 5},      {"+Inf", 6}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QMap<QString, QString> labels = kV4;
        labels.insert("le", it.key());
        QCOMPARE(Value(*families, "kelvora_probe_duration_seconds_bucket", labels), it.value());
    }
    QCOMPARE(Samples(*families, "kelvora_probe_duration_seconds_bucket").size(),
             qsizetype(FleetMetrics::DurationBuckets().size() + 1));
}

void TestFleetMetrics::gaugesFollowTheLatestFamily()
{
    FleetMetrics metrics("any", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    metrics.RecordCheck(a, Check(true, milliseconds(1), AddressFamily::IPv6), {});
    metrics.RecordCheck(a, Check(true, milliseconds(1), AddressFamily::IPv4), {});
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::Unknown, FailureReason::Dns), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    // One up per target, under the family of the latest check (which
    // reached no address: the empty family).
    const QList<ExpositionSample> up = Samples(*families, "kelvora_probe_up", {{"host", "a"}});
    QCOMPARE(up.size(), 1);
    QCOMPARE(up.front().labels.value("family"), QString());
    QCOMPARE(up.front().value, 0.0);
    QCOMPARE(Samples(*families, "kelvora_probe_last_duration_seconds").size(), 1);
    // The counters stay per family: their sum is every check.
    double total = 0;
    for (const ExpositionSample &sample : Samples(*families, "kelvora_probe_checks_total"))
        total += sample.value;
    QCOMPARE(total, 3.0);
    QCOMPARE(Value(*families, "kelvora_probe_checks_total", {{"family", "ipv6"}, {"result", "ok"}}), 1.0);
    QCOMPARE(Value(*families, "kelvora_probe_failures_total", {{"family", ""}, {"reason", "dns"}}), 1.0);
}

void TestFleetMetrics::outageCountersOnlyGrow()
{
    FleetMetrics metrics("any", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::IPv4, FailureReason::Refused),
                        Outages(1, seconds(0)));
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::IPv4, FailureReason::Refused),
                        Outages(1, seconds(2)));
    metrics.RecordCheck(a, Check(true, milliseconds(1)), Outages(1, seconds(3)));
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::IPv4, FailureReason::Refused),
                        Outages(2, milliseconds(3500)));
    // A record that reads less than before (it cannot, but the counter must
    // not go down for it).
    metrics.RecordCheck(a, Check(false, milliseconds(1), AddressFamily::IPv4, FailureReason::Refused),
                        Outages(1, seconds(1)));
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    QCOMPARE(Value(*families, "kelvora_probe_outages_total", kV4), 2.0);
    QCOMPARE(Value(*families, "kelvora_probe_outage_seconds_total", kV4), 3.5);
}

void TestFleetMetrics::internetUpAndOutages()
{
    FleetMetrics metrics("quorum", "1");
    metrics.RecordInternet(true, 0);
    auto families = Read(metrics.Text());
    QVERIFY(families);
    QCOMPARE(Value(*families, "kelvora_internet_up", {{"rule", "quorum"}}), 1.0);
    metrics.RecordInternet(false, 1);
    metrics.RecordInternet(false, 1);
    metrics.RecordInternet(true, 1);
    metrics.RecordInternet(false, 2);
    families = Read(metrics.Text());
    QVERIFY(families);
    QCOMPARE(Value(*families, "kelvora_internet_up", {{"rule", "quorum"}}), 0.0);
    QCOMPARE(Value(*families, "kelvora_internet_outages_total", {{"rule", "quorum"}}), 2.0);
}

void TestFleetMetrics::lastCheckTimestampIsTheEnd()
{
    FleetMetrics metrics("any", "1");
    const std::size_t a = metrics.AddTarget({"a", 80});
    metrics.RecordCheck(a, Check(true, milliseconds(250)), {});
    const auto families = Read(metrics.Text());
    QVERIFY(families);
    QCOMPARE(Value(*families, "kelvora_probe_last_check_timestamp_seconds", kV4), 1'700'000'000.25);
}

void TestFleetMetrics::labelValuesEscaped_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("quote") << "a\"b";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("line break") << "a\nb";
    QTest::newRow("all, and a trailing backslash") << "\"\\\n\\";
    QTest::newRow("non-ASCII stays UTF-8") << QStringLiteral("пример.рф");
}

void TestFleetMetrics::labelValuesEscaped()
{
    QFETCH(QString, host);
    FleetMetrics metrics("any", "1");
    metrics.RecordCheck(metrics.AddTarget({host.toStdString(), 80}), Check(true, milliseconds(1)), {});
    const std::string text = metrics.Text();
    const auto families = Read(text);
    QVERIFY(families);
    int samples = 0;
    for (const ExpositionFamily &family : *families) {
        for (const ExpositionSample &sample : family.samples) {
            if (sample.labels.contains("host")) {
                QCOMPARE(sample.labels.value("host"), host);
                ++samples;
            }
        }
    }
    QVERIFY(samples > 20);
}

void TestFleetMetrics::promtoolFindsNothing()
{
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        QSKIP("promtool (Debian package prometheus) is not installed");
    FleetMetrics metrics("any", "1.0");
    const std::size_t a = metrics.AddTarget({"a", 80});
    const std::size_t b = metrics.AddTarget({"b", 443});
    metrics.RecordCheck(a, Check(true, milliseconds(1)), {});
    metrics.RecordCheck(b, Check(false, seconds(1), AddressFamily::IPv6, FailureReason::Timeout), Outages(1, seconds(1)));
    metrics.RecordInternet(true, 0);
    QProcess lint;
    lint.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    QVERIFY(lint.waitForStarted());
    lint.write(QByteArray::fromStdString(metrics.Text()));
    lint.closeWriteChannel();
    QVERIFY(lint.waitForFinished(20000));
    const QByteArray said = lint.readAllStandardOutput() + lint.readAllStandardError();
    QVERIFY2(said.isEmpty(), said.constData());
    QCOMPARE(lint.exitCode(), 0);
}

void TestFleetMetrics::readerRefusesBrokenText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("TYPE after the samples") << QByteArray("m{a=\"1\"} 1\n# TYPE m gauge\n");
    QTest::newRow("bad escape") << QByteArray("# TYPE m gauge\nm{a=\"\\t\"} 1\n");
    QTest::newRow("unquoted label value") << QByteArray("# TYPE m gauge\nm{a=1} 1\n");
    QTest::newRow("no value") << QByteArray("# TYPE m gauge\nm{a=\"1\"}\n");
    QTest::newRow("family in two places") << QByteArray("# TYPE m gauge\nm 1\n# TYPE n gauge\nn 1\nm 2\n");
    QTest::newRow("no final line break") << QByteArray("# TYPE m gauge\nm 1");
}

void TestFleetMetrics::readerRefusesBrokenText()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!ReadExposition(text, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestFleetMetrics)
#include "tst_fleetmetrics.moc"
