// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "history/CompactHistogram.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace std::chrono;

class TestCompactHistogram : public QObject {
    Q_OBJECT

private slots:
    void percentilesWithinTheBound_data();
    void percentilesWithinTheBound();
    void storedFormRoundTrips_data();
    void storedFormRoundTrips();
    void mergedEqualsOneOfAll();
    void badBytesAreRefused_data();
    void badBytesAreRefused();
};

namespace {

// The exact nearest-rank value of sorted samples.
std::int64_t Exact(const std::vector<std::int64_t> &sorted, double percent)
{
    auto rank = static_cast<std::size_t>(std::ceil(percent * static_cast<double>(sorted.size()) / 100.0));
    rank = std::clamp<std::size_t>(rank, 1, sorted.size());
    return sorted[rank - 1];
}

} // namespace

void TestCompactHistogram::percentilesWithinTheBound_data()
{
    QTest::addColumn<double>("logMean");
    QTest::addColumn<double>("logSpread");
    QTest::addColumn<int>("count");
    QTest::newRow("loopback connects around 80 us") << std::log(80'000.0) << 0.3 << 5000;
    QTest::newRow("internet connects around 25 ms") << std::log(25e6) << 0.5 << 2000;
    QTest::newRow("wide spread from ns to seconds") << std::log(1e6) << 4.0 << 20000;
    QTest::newRow("three values") << std::log(4e7) << 1.0 << 3;
}

void TestCompactHistogram::percentilesWithinTheBound()
{
    QFETCH(double, logMean);
    QFETCH(double, logSpread);
    QFETCH(int, count);
    std::mt19937_64 random(12345);
    std::lognormal_distribution<double> latency(logMean, logSpread);
    CompactHistogram histogram;
    std::vector<std::int64_t> values;
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<std::int64_t>(latency(random));
        values.push_back(v);
        histogram.Add(nanoseconds(v));
    }
    std::sort(values.begin(), values.end());
    QCOMPARE(histogram.Count(), static_cast<std::uint64_t>(count));
    for (const double percent : {0.0, 1.0, 50.0, 90.0, 95.0, 99.0, 100.0}) {
        const double exact = static_cast<double>(Exact(values, percent));
        const double answer = static_cast<double>(histogram.ValueAtPercentile(percent).count());
        const double bound = std::max(1.0, exact * CompactHistogram::kRelativeErrorBound);
        QVERIFY2(std::abs(answer - exact) <= bound,
                 qPrintable(QStringLiteral("p%1: %2 ns for %3 ns").arg(percent).arg(answer).arg(exact)));
    }
}

void TestCompactHistogram::storedFormRoundTrips_data()
{
    QTest::addColumn<QList<qint64>>("values");
    QTest::newRow("empty") << QList<qint64>{};
    QTest::newRow("one value many times") << QList<qint64>(60, 25'000'000);
    QTest::newRow("exact small values and huge ones")
        << QList<qint64>{0, 1, 31, 32, 33, 1'000'000'000'000'000'000LL, std::numeric_limits<qint64>::max()};
    QTest::newRow("negative counts as zero") << QList<qint64>{-5, 0};
}

void TestCompactHistogram::storedFormRoundTrips()
{
    QFETCH(QList<qint64>, values);
    CompactHistogram histogram;
    for (const qint64 v : values)
        histogram.Add(nanoseconds(v));
    const std::vector<std::uint8_t> bytes = histogram.Encode();
    const auto decoded = CompactHistogram::Decode(bytes);
    QVERIFY(decoded.has_value());
    QVERIFY(*decoded == histogram);
    QCOMPARE(decoded->Count(), static_cast<std::uint64_t>(values.size()));
    if (values.size() == 60)
        QCOMPARE(bytes.size(), std::size_t{3}); // one bucket: its index (2 bytes) and its count
    if (values.isEmpty())
        QVERIFY(bytes.empty());
}

void TestCompactHistogram::mergedEqualsOneOfAll()
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> latency(0, 2'000'000'000);
    CompactHistogram all;
    CompactHistogram merged;
    for (int part = 0; part < 24; ++part) {
        CompactHistogram hour;
        for (int i = 0; i < 100; ++i) {
            const nanoseconds v(latency(random));
            hour.Add(v);
            all.Add(v);
        }
        merged.Merge(*CompactHistogram::Decode(hour.Encode()));
    }
    QVERIFY(merged == all);
    QCOMPARE(merged.ValueAtPercentile(95), all.ValueAtPercentile(95));
}

void TestCompactHistogram::badBytesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("a number cut short") << QByteArray("\x05\x80", 2);
    QTest::newRow("a gap without its count") << QByteArray("\x05", 1);
    QTest::newRow("a bucket past the last") << QByteArray("\xc0\x07\x01", 3);
    QTest::newRow("a zero count") << QByteArray("\x05\x00", 2);
    QTest::newRow("a number past 64 bits") << QByteArray("\x01\xff\xff\xff\xff\xff\xff\xff\xff\xff\x7f", 11);
    QTest::newRow("counts that overflow") << QByteArray("\x01\xff\xff\xff\xff\xff\xff\xff\xff\xff\x01"
                                                         "\x00\x02", 13);
}

void TestCompactHistogram::badBytesAreRefused()
{
    QFETCH(QByteArray, bytes);
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    QVERIFY(!CompactHistogram::Decode(std::span<const std::uint8_t>(data, static_cast<std::size_t>(bytes.size()))));
}

QTEST_GUILESS_MAIN(TestCompactHistogram)
#include "tst_compacthistogram.moc"
