// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Recording must not allocate once the outage list is full (or while no
// outage closes), and the record's own memory must not grow with the number
// of checks. This file replaces the global operator new to count allocations.

#include "SessionRig.h"

#include "session/SessionRecord.h"

#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <new>

using namespace std::chrono;

namespace {

std::atomic<bool> counting{false};
std::atomic<std::uint64_t> allocations{0};

// Counts the allocations made while alive (on this thread or any other: the
// test runs no other thread meanwhile).
class AllocationCounter final {
public:
    AllocationCounter()
    {
        allocations = 0;
        counting = true;
    }
    ~AllocationCounter() { counting = false; }
    std::uint64_t Count() const { return allocations; }
};

// Checks of the steady state: every tenth fails, with changing reasons and
// round-trip times, so that an outage opens and closes every ten checks.
void FeedSteadyState(SessionRecord &record, int &second, int checks)
{
    for (int i = 0; i < checks; ++i, ++second) {
        const bool ok = second % 10 != 0;
        const auto reason = kFailureReasons[std::size_t(second) % std::size(kFailureReasons)];
        record.Record(SessionRig::Check(second, ok, reason, microseconds(100 + (second * 7919) % 500000)));
    }
}

} // namespace

void *operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void *memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

class TestSessionMemory : public QObject {
    Q_OBJECT
private slots:
    void recordingWithAFullOutageListDoesNotAllocate();
    void recordingWhileNoOutageClosesDoesNotAllocate();
    void footprintDoesNotGrowWithTheChecks();
};

void TestSessionMemory::recordingWithAFullOutageListDoesNotAllocate()
{
    SessionRig rig;
    SessionRecord record(rig.Clock(), 64);
    int second = 0;
    FeedSteadyState(record, second, 64 * 10 + 10); // fills the list
    QCOMPARE(record.OutagesKept(), std::size_t{64});
    {
        const AllocationCounter counter;
        FeedSteadyState(record, second, 100000);
        QCOMPARE(counter.Count(), 0u);
    }
    QVERIFY(record.Summary().outagesDropped > 10000u);
    // The counter does see allocations: a summary copies the list.
    const AllocationCounter counter;
    QVERIFY(!record.Summary().outages.empty());
    QVERIFY(counter.Count() > 0);
}

void TestSessionMemory::recordingWhileNoOutageClosesDoesNotAllocate()
{
    SessionRig rig;
    SessionRecord record(rig.Clock());
    const AllocationCounter counter;
    for (int second = 0; second < 50000; ++second)
        record.Record(SessionRig::Check(second, true, FailureReason::None, microseconds(second)));
    for (int second = 50000; second < 60000; ++second)
        record.Record(SessionRig::Check(second, false, FailureReason::Timeout));
    QCOMPARE(counter.Count(), 0u);
}

void TestSessionMemory::footprintDoesNotGrowWithTheChecks()
{
    SessionRig rig;
    SessionRecord record(rig.Clock(), 100);
    const std::size_t footprint = record.FootprintBeyondOutages();
    QVERIFY(footprint >= sizeof(SessionRecord));
    QCOMPARE(record.OutageListBytes(), std::size_t{0});
    int second = 0;
    FeedSteadyState(record, second, 200000);
    QCOMPARE(record.FootprintBeyondOutages(), footprint);
    QCOMPARE(record.OutageListBytes(), 100 * sizeof(Outage));
}

QTEST_GUILESS_MAIN(TestSessionMemory)
#include "tst_sessionmemory.moc"
