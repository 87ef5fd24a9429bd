// SPDX-License-Identifier: MIT
#include "ExpositionReader.h"

#include "cli/PrometheusFormat.h"

#include <QtTest>

#include <cmath>
#include <limits>

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

const ExpositionFamily *Find(const QList<ExpositionFamily> &families, const QString &name)
{
    for (const ExpositionFamily &family : families) {
        if (family.name == name)
            return &family;
    }
    return nullptr;
}

// Durations around the bucket bounds: at a bound counts in that bucket.
ProbeMetrics SampleMetrics()
{
    ProbeMetrics m;
    m.up = false;
    m.lastDuration = seconds(30);
    m.ok = 4;
    m.failed = 2;
    m.outages = 1;
    for (const nanoseconds d : {nanoseconds(50'000), nanoseconds(100'000), nanoseconds(100'001), nanoseconds(3'000'000),
                                nanoseconds(2'000'000'000), nanoseconds(30'000'000'000)})
        m.durations.Add(d);
    return m;
}

} // namespace

// The metrics file in Prometheus' text exposition format, read back by a
// strict reader and held to the format's rules.
class TestPrometheusFormat : public QObject {
    Q_OBJECT

private slots:
    void familiesWithHelpAndType();
    void everySampleCarriesHostAndPort();
    void countersAndGauges();
    void histogramIsCumulativeEndingInInf();
    void histogramBeforeAnyCheck();
    void labelValuesEscaped_data();
    void labelValuesEscaped();
    void readerRefusesBrokenText_data();
    void readerRefusesBrokenText();
};

void TestPrometheusFormat::familiesWithHelpAndType()
{
    const auto families = Read(PrometheusText(ProbeTarget{"localhost", 8080}, SampleMetrics()));
    QVERIFY(families);
    const QList<QPair<QString, QString>> expected{
        {"kelvora_probe_up", "gauge"},
        {"kelvora_probe_last_duration_seconds", "gauge"},
        {"kelvora_probe_checks_total", "counter"},
        {"kelvora_probe_outages_total", "counter"},
        {"kelvora_probe_duration_seconds", "histogram"},
    };
    QCOMPARE(families->size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(families->at(i).name, expected[i].first);
        QCOMPARE(families->at(i).type, expected[i].second);
        QVERIFY2(!families->at(i).help.isEmpty(), qPrintable(expected[i].first));
        QVERIFY2(!families->at(i).samples.isEmpty(), qPrintable(expected[i].first));
    }
}

void TestPrometheusFormat::everySampleCarriesHostAndPort()
{
    const auto families = Read(PrometheusText(ProbeTarget{"127.0.0.1", 65535}, SampleMetrics()));
    QVERIFY(families);
    for (const ExpositionFamily &family : *families) {
        for (const ExpositionSample &sample : family.samples) {
            QCOMPARE(sample.labels.value(QStringLiteral("host")), QStringLiteral("127.0.0.1"));
            QCOMPARE(sample.labels.value(QStringLiteral("port")), QStringLiteral("65535"));
        }
    }
}

void TestPrometheusFormat::countersAndGauges()
{
    const auto families = Read(PrometheusText(ProbeTarget{"h", 80}, SampleMetrics()));
    QVERIFY(families);
    QCOMPARE(Find(*families, "kelvora_probe_up")->samples.at(0).value, 0.0);
    QCOMPARE(Find(*families, "kelvora_probe_last_duration_seconds")->samples.at(0).value, 30.0);
    const ExpositionFamily *checks = Find(*families, "kelvora_probe_checks_total");
    QCOMPARE(checks->samples.size(), 2);
    QMap<QString, double> byResult;
    for (const ExpositionSample &sample : checks->samples)
        byResult.insert(sample.labels.value(QStringLiteral("result")), sample.value);
    QCOMPARE(byResult, (QMap<QString, double>{{"ok", 4.0}, {"failed", 2.0}}));
    QCOMPARE(Find(*families, "kelvora_probe_outages_total")->samples.at(0).value, 1.0);

    ProbeMetrics up = SampleMetrics();
    up.up = true;
    up.lastDuration = nanoseconds(84'321);
    const auto again = Read(PrometheusText(ProbeTarget{"h", 80}, up));
    QCOMPARE(Find(*again, "kelvora_probe_up")->samples.at(0).value, 1.0);
    QCOMPARE(Find(*again, "kelvora_probe_last_duration_seconds")->samples.at(0).valueText, QStringLiteral("0.000084321"));
}

void TestPrometheusFormat::histogramIsCumulativeEndingInInf()
{
    const auto families = Read(PrometheusText(ProbeTarget{"h", 80}, SampleMetrics()));
    QVERIFY(families);
    const ExpositionFamily *histogram = Find(*families, "kelvora_probe_duration_seconds");
    QVERIFY(histogram);
    QList<double> bounds;
    QList<double> counts;
    double sum = -1;
    double count = -1;
    for (const ExpositionSample &sample : histogram->samples) {
        if (sample.name == QLatin1String("kelvora_probe_duration_seconds_bucket")) {
            QVERIFY(sample.labels.contains(QStringLiteral("le")));
            const QString le = sample.labels.value(QStringLiteral("le"));
            bounds << (le == QLatin1String("+Inf") ? std::numeric_limits<double>::infinity() : le.toDouble());
            counts << sample.value;
        } else if (sample.name == QLatin1String("kelvora_probe_duration_seconds_sum")) {
            sum = sample.value;
        } else if (sample.name == QLatin1String("kelvora_probe_duration_seconds_count")) {
            count = sample.value;
        } else {
            QFAIL(qPrintable(sample.name));
        }
    }
    QCOMPARE(bounds.size(), qsizetype(DurationHistogram::kBuckets.size() + 1));
    QVERIFY(std::isinf(bounds.last()));
    for (qsizetype i = 1; i < bounds.size(); ++i) {
        QVERIFY2(bounds[i] > bounds[i - 1], qPrintable(QString::number(i)));
        QVERIFY2(counts[i] >= counts[i - 1], qPrintable(QString::number(i)));
    }
    QCOMPARE(counts.last(), count);
    QCOMPARE(count, 6.0);
    QCOMPARE(sum, 0.00005 + 0.0001 + 0.000100001 + 0.003 + 2 + 30);
    const auto countUpTo = [&](double bound) { return counts[bounds.indexOf(bound)]; };
    QCOMPARE(countUpTo(0.0001), 2.0); // 50 us, and 100 us at the bound itself
    QCOMPARE(countUpTo(0.00025), 3.0);
    QCOMPARE(countUpTo(0.0025), 3.0);
    QCOMPARE(countUpTo(0.005), 4.0);
    QCOMPARE(countUpTo(2.5), 5.0);
    QCOMPARE(countUpTo(25), 5.0); // 30 s only under +Inf
}

void TestPrometheusFormat::histogramBeforeAnyCheck()
{
    const auto families = Read(PrometheusText(ProbeTarget{"h", 80}, ProbeMetrics{}));
    QVERIFY(families);
    for (const ExpositionSample &sample : Find(*families, "kelvora_probe_duration_seconds")->samples)
        QCOMPARE(sample.value, 0.0);
}

void TestPrometheusFormat::labelValuesEscaped_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("quote") << "a\"b";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("line break") << "a\nb";
    QTest::newRow("all, and a trailing backslash") << "\"\\\n\\";
    QTest::newRow("non-ASCII stays UTF-8") << QStringLiteral("пример.рф");
}

void TestPrometheusFormat::labelValuesEscaped()
{
    QFETCH(QString, host);
    const std::string text = PrometheusText(ProbeTarget{host.toStdString(), 80}, SampleMetrics());
    // One sample per line still: the line break is escaped.
    QCOMPARE(QByteArray::fromStdString(text).count('\n'), 10 + 5 + DurationHistogram::kBuckets.size() + 1 + 2);
    const auto families = Read(text);
    QVERIFY(families);
    for (const ExpositionFamily &family : *families) {
        for (const ExpositionSample &sample : family.samples)
            QCOMPARE(sample.labels.value(QStringLiteral("host")), host);
    }
}

void TestPrometheusFormat::readerRefusesBrokenText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("TYPE after the samples") << QByteArray("m{a=\"1\"} 1\n# TYPE m gauge\n");
    QTest::newRow("bad escape") << QByteArray("# TYPE m gauge\nm{a=\"\\t\"} 1\n");
    QTest::newRow("unquoted label value") << QByteArray("# TYPE m gauge\nm{a=1} 1\n");
    QTest::newRow("no value") << QByteArray("# TYPE m gauge\nm{a=\"1\"}\n");
    QTest::newRow("family in two places") << QByteArray("# TYPE m gauge\nm 1\n# TYPE n gauge\nn 1\nm 2\n");
    QTest::newRow("no final line break") << QByteArray("# TYPE m gauge\nm 1");
}

void TestPrometheusFormat::readerRefusesBrokenText()
{
    QFETCH(QByteArray, text);
    QString error;
    QVERIFY(!ReadExposition(text, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestPrometheusFormat)
#include "tst_prometheusformat.moc"
