// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "SessionRig.h"

#include "session/LatencyHistogram.h"
#include "session/SessionRecord.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace std::chrono;

namespace {

using Samples = std::vector<std::int64_t>;

// The named series of elapsed times, in nanoseconds; fixed seeds, so every
// run sees the same values.
Samples Distribution(const QString &name)
{
    std::mt19937_64 random(20260101);
    Samples values;
    const auto uniform = [&](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    if (name == QLatin1String("uniform")) {
        for (int i = 0; i < 20000; ++i)
            values.push_back(uniform(1'000'000, 100'000'000));
    } else if (name == QLatin1String("log-normal")) {
        std::lognormal_distribution<double> lognormal(std::log(20e6), 0.8);
        for (int i = 0; i < 20000; ++i)
            values.push_back(std::llround(lognormal(random)));
    } else if (name == QLatin1String("bimodal")) {
        // Exactly 90 % fast: p90 is the slowest fast one, p95 a slow one.
        for (int i = 0; i < 9000; ++i)
            values.push_back(uniform(1'800'000, 2'200'000));
        for (int i = 0; i < 1000; ++i)
            values.push_back(uniform(270'000'000, 330'000'000));
        std::shuffle(values.begin(), values.end(), random);
    } else if (name == QLatin1String("constant")) {
        values.assign(1000, 47'000'000);
    } else if (name == QLatin1String("single")) {
        values.push_back(123'456'789);
    } else if (name == QLatin1String("extremes")) {
        // 1 ns next to hours.
        for (int i = 0; i < 4000; ++i)
            values.push_back(1);
        for (int i = 0; i < 1000; ++i)
            values.push_back(uniform(1, 300));
        for (int i = 0; i < 5000; ++i)
            values.push_back(uniform(3'600'000'000'000, 5 * 3'600'000'000'000));
        std::shuffle(values.begin(), values.end(), random);
    } else if (name == QLatin1String("jitter on hours")) {
        // Summing squares would cancel here; the deviation is about 2.87 ns.
        for (int i = 0; i < 10000; ++i)
            values.push_back(3'600'000'000'000 + i % 10);
    } else if (name == QLatin1String("bucket edges")) {
        for (int bit = 1; bit < 63; ++bit) {
            const std::int64_t power = std::int64_t{1} << bit;
            values.insert(values.end(), {power - 1, power, power + 1});
        }
    }
    return values;
}

void AddDistributionRows()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"uniform", "log-normal", "bimodal", "constant", "single", "extremes",
                             "jitter on hours", "bucket edges"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Nearest rank over the sorted values: the ceil(p / 100 * n)-th smallest.
std::int64_t ExactPercentile(const Samples &sorted, int percent)
{
    const auto n = static_cast<std::uint64_t>(sorted.size());
    const std::uint64_t rank = std::max<std::uint64_t>(1, (n * std::uint64_t(percent) + 99) / 100);
    return sorted[rank - 1];
}

double RelativeError(std::int64_t estimate, std::int64_t exact)
{
    if (exact == 0)
        return estimate == 0 ? 0.0 : 1.0;
    return std::abs(static_cast<double>(estimate) - static_cast<double>(exact)) / static_cast<double>(exact);
}

#define VERIFY_WITHIN(estimate, exact, bound, what)                                                            \
    QVERIFY2(RelativeError(estimate, exact) <= (bound),                                                       \
             qPrintable(QStringLiteral("%1: %2 ns for %3 ns").arg(what).arg(estimate).arg(exact)))

} // namespace

class TestSessionLatency : public QObject {
    Q_OBJECT
private slots:
    void histogramPercentiles_data();
    void histogramPercentiles();
    void summaryFigures_data();
    void summaryFigures();
    void smallValuesAreExact();
    void histogramEdgeCases();
};

void TestSessionLatency::histogramPercentiles_data()
{
    AddDistributionRows();
}

void TestSessionLatency::histogramPercentiles()
{
    QFETCH(QString, name);
    Samples values = Distribution(name);
    LatencyHistogram histogram;
    const std::size_t storage = histogram.StorageBytes();
    for (const std::int64_t value : values)
        histogram.Add(nanoseconds(value));
    QCOMPARE(histogram.Count(), values.size());
    QCOMPARE(histogram.StorageBytes(), storage); // no growth with the count
    std::sort(values.begin(), values.end());
    for (int percent = 1; percent <= 100; ++percent)
        VERIFY_WITHIN(histogram.ValueAtPercentile(percent).count(), ExactPercentile(values, percent),
                      LatencyHistogram::kRelativeErrorBound, QStringLiteral("p%1").arg(percent));
    VERIFY_WITHIN(histogram.ValueAtPercentile(0).count(), values.front(), LatencyHistogram::kRelativeErrorBound,
                  QStringLiteral("p0"));
}

void TestSessionLatency::summaryFigures_data()
{
    AddDistributionRows();
}

void TestSessionLatency::summaryFigures()
{
    QFETCH(QString, name);
    Samples values = Distribution(name);
    SessionRig rig;
    SessionRecord record(rig.Clock());
    double at = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        record.Record(SessionRig::Check(at++, true, FailureReason::None, nanoseconds(values[i])));
        // Failures, with times far outside the series, leave the figures alone.
        if (i % 7 == 0)
            record.Record(SessionRig::Check(at++, false, FailureReason::Timeout, hours(100)));
    }
    const std::optional<LatencyFigures> figures = record.Summary().latency;
    QVERIFY(figures.has_value());

    // Directly, in long double and in two passes.
    long double sum = 0;
    for (const std::int64_t value : values)
        sum += value;
    const long double mean = sum / values.size();
    long double squares = 0;
    for (const std::int64_t value : values)
        squares += (value - mean) * (value - mean);
    const long double deviation = std::sqrt(squares / values.size());

    std::sort(values.begin(), values.end());
    QCOMPARE(figures->min.count(), values.front());
    QCOMPARE(figures->max.count(), values.back());
    const double average = figures->average.count();
    const double mdev = figures->meanDeviation.count();
    QVERIFY2(std::abs(average - double(mean)) <= 1e-12 * double(mean),
             qPrintable(QStringLiteral("average %1, directly %2").arg(average, 0, 'g', 17).arg(double(mean), 0, 'g', 17)));
    QVERIFY2(std::abs(mdev - double(deviation)) <= 1e-9 * double(deviation) + 1e-14 * double(mean),
             qPrintable(QStringLiteral("mdev %1, directly %2").arg(mdev, 0, 'g', 17).arg(double(deviation), 0, 'g', 17)));
    VERIFY_WITHIN(figures->p50.count(), ExactPercentile(values, 50), 0.01, QStringLiteral("p50"));
    VERIFY_WITHIN(figures->p90.count(), ExactPercentile(values, 90), 0.01, QStringLiteral("p90"));
    VERIFY_WITHIN(figures->p95.count(), ExactPercentile(values, 95), 0.01, QStringLiteral("p95"));
    VERIFY_WITHIN(figures->p99.count(), ExactPercentile(values, 99), 0.01, QStringLiteral("p99"));
    if (name == QLatin1String("constant") || name == QLatin1String("single")) {
        QCOMPARE(figures->p50.count(), values.front());
        QCOMPARE(figures->p99.count(), values.front());
        QCOMPARE(mdev, 0.0);
    }
}

void TestSessionLatency::smallValuesAreExact()
{
    // Below 256 ns every value has its own bucket.
    for (std::int64_t value = 0; value < 256; ++value) {
        LatencyHistogram histogram;
        histogram.Add(nanoseconds(value));
        QCOMPARE(histogram.ValueAtPercentile(50).count(), value);
    }
}

void TestSessionLatency::histogramEdgeCases()
{
    LatencyHistogram histogram;
    QCOMPARE(histogram.ValueAtPercentile(50), nanoseconds{0}); // empty
    histogram.Add(nanoseconds(-5));                             // counts as 0
    histogram.Add(nanoseconds(1000));
    histogram.Add(nanoseconds::max());
    QCOMPARE(histogram.ValueAtRank(0), nanoseconds{0});
    QCOMPARE(histogram.ValueAtRank(1), nanoseconds{0});
    VERIFY_WITHIN(histogram.ValueAtRank(2).count(), 1000, LatencyHistogram::kRelativeErrorBound, "rank 2");
    VERIFY_WITHIN(histogram.ValueAtRank(3).count(), nanoseconds::max().count(), LatencyHistogram::kRelativeErrorBound,
                  "rank 3");
    QCOMPARE(histogram.ValueAtRank(99), histogram.ValueAtRank(3));
    QCOMPARE(histogram.ValueAtPercentile(250), histogram.ValueAtRank(3));
    QCOMPARE(histogram.ValueAtPercentile(-3), histogram.ValueAtRank(1));
    QCOMPARE(histogram.ValueAtPercentile(std::numeric_limits<double>::quiet_NaN()), histogram.ValueAtRank(1));
    // Whole percents of whole counts take the exact rank: 7 % of 100 is the 7th.
    LatencyHistogram hundred;
    for (int i = 1; i <= 100; ++i)
        hundred.Add(nanoseconds(i));
    QCOMPARE(hundred.ValueAtPercentile(7).count(), 7);
    QCOMPARE(hundred.ValueAtPercentile(7.5).count(), 8);
}

QTEST_GUILESS_MAIN(TestSessionLatency)
#include "tst_sessionlatency.moc"
