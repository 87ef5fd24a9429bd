// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/FakeResolver.h"
#include "support/LoopbackListener.h"
#include "support/PrivateNetwork.h"
#include "RecordingView.h"

#include "base/Exception.h"
#include "monitor/ConnectivityProbe.h"
#include "net/IdException.h"
#include "net/TIdHTTP.h"
#include "net/TIdStack.h"

#include <QtTest>

#include <cstdint>
#include <limits>
#include <stdexcept>

using namespace std::chrono;

namespace {

// What a step of the scripted client does.
enum class Fault { None, SocketError, OtherError, Foreign };

void Raise(Fault fault)
{
    switch (fault) {
    case Fault::None: return;
    case Fault::SocketError: throw EIdSocketError(10061, "Connection refused.");
    case Fault::OtherError: throw std::runtime_error("unexpected");
    case Fault::Foreign: throw 42;
    }
}

// A client whose open and close do what the test says, logging each call
// into the same list as the clock's readings.
class ScriptedClient final : public TIdTCPClient {
public:
    explicit ScriptedClient(QStringList &calls) : calls_(calls) {}
    Fault openFault = Fault::None;
    QList<Fault> closeFaults;  // one per close, in order; none when used up

    void OpenConnection(std::int32_t timeout) override
    {
        calls_ << QStringLiteral("open(%1)").arg(timeout);
        Raise(openFault);
    }
    void CloseConnection() override
    {
        calls_ << QStringLiteral("close");
        if (!closeFaults.isEmpty())
            Raise(closeFaults.takeFirst());
    }

private:
    QStringList &calls_;
};

// A clock that gives the listed readings in turn (the last one from then on).
MonotonicClock ScriptedClock(QList<qint64> readings, QStringList &calls)
{
    return [readings, &calls, next = qsizetype{0}]() mutable {
        calls << QStringLiteral("clock");
        const qint64 value = readings[std::min(next++, readings.size() - 1)];
        return nanoseconds(value);
    };
}

QStringList ReadoutLabels(const RecordingView &view)
{
    QStringList labels;
    for (const QString &entry : view.log)
        if (entry.contains(QLatin1String(".Caption := ")))
            labels << entry.section(QLatin1Char('.'), 0, 0);
    return labels;
}

// The text every label must carry, and in Label7..Label11 order.
void VerifyReadout(const RecordingView &view, const QString &text)
{
    QCOMPARE(ReadoutLabels(view), QStringList({"Label7", "Label8", "Label9", "Label10", "Label11"}));
    for (const QString &caption : view.readout)
        QCOMPARE(caption, text);
}

constexpr qint64 kMs = 1'000'000;

} // namespace

class TestConnectivityProbe : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void readingAndResult_data();
    void readingAndResult();
    void hostTextReachesTheClientUnchanged_data();
    void hostTextReachesTheClientUnchanged();
    void resultNamesTheFailure_data();
    void resultNamesTheFailure();
    void portAndTimeoutReachTheClient();
    void familyChoiceAndResolveOnceReachTheClient_data();
    void familyChoiceAndResolveOnceReachTheClient();
    void aCancelledTokenEndsTheCheck();
    void internationalNamesGoInTheirAsciiForm_data();
    void internationalNamesGoInTheirAsciiForm();
    void internationalNameResolvesThroughTheResolver();
    void realLoopbackOnPort80_data();
    void realLoopbackOnPort80();
    void steadyClockIsTheDefault();
};

void TestConnectivityProbe::cleanup()
{
    SetStackClass({});
}

void TestConnectivityProbe::readingAndResult_data()
{
    QTest::addColumn<QList<qint64>>("clock");
    QTest::addColumn<Fault>("openFault");
    QTest::addColumn<QList<Fault>>("closeFaults");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("readout");

    const QStringList ok{"clock", "open(-1)", "close", "clock"};
    const QStringList failedOpen{"clock", "open(-1)", "close", "clock"};
    const QStringList failedClose{"clock", "open(-1)", "close", "close", "clock"};
    const QList<Fault> none;
    QTest::newRow("both readings in the same clock step")
        << QList<qint64>{5 * kMs, 5 * kMs} << Fault::None << none << ok << true << "Пинг: 0 мс";
    QTest::newRow("same clock step on a failure")
        << QList<qint64>{5 * kMs, 5 * kMs} << Fault::SocketError << none << failedOpen << false << "Пинг: 0 мс";
    QTest::newRow("exactly 16 ms shows 16")
        << QList<qint64>{1000 * kMs, 1016 * kMs} << Fault::None << none << ok << true << "Пинг: 16 мс";
    QTest::newRow("15.9996 ms truncates to 15")
        << QList<qint64>{0, 15'999'600} << Fault::None << none << ok << true << "Пинг: 15 мс";
    QTest::newRow("just under 1 ms shows 0")
        << QList<qint64>{7, 7 + kMs - 1} << Fault::None << none << ok << true << "Пинг: 0 мс";
    QTest::newRow("a 40 ms check read backwards shows 40")
        << QList<qint64>{3'600'040 * kMs, 3'600'000 * kMs} << Fault::None << none << ok << true << "Пинг: 40 мс";
    QTest::newRow("a check of an hour")
        << QList<qint64>{0, 3'600'000 * kMs} << Fault::None << none << ok << true << "Пинг: 3600000 мс";
    QTest::newRow("readings at the two ends of the clock's range")
        << QList<qint64>{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()}
        << Fault::None << none << ok << true << "Пинг: 18446744073709 мс";
    QTest::newRow("refused open: false, time up to the failure")
        << QList<qint64>{0, 3 * kMs} << Fault::SocketError << none << failedOpen << false << "Пинг: 3 мс";
    QTest::newRow("open raises a standard error")
        << QList<qint64>{0, 2 * kMs} << Fault::OtherError << none << failedOpen << false << "Пинг: 2 мс";
    QTest::newRow("open raises something that is no exception class")
        << QList<qint64>{0, 2 * kMs} << Fault::Foreign << none << failedOpen << false << "Пинг: 2 мс";
    QTest::newRow("close raises after a successful open")
        << QList<qint64>{0, 9 * kMs} << Fault::None << QList<Fault>{Fault::SocketError} << failedClose << false
        << "Пинг: 9 мс";
    QTest::newRow("clean-up close raises as well")
        << QList<qint64>{0, 9 * kMs} << Fault::SocketError << QList<Fault>{Fault::OtherError} << failedOpen
        << false << "Пинг: 9 мс";
}

void TestConnectivityProbe::readingAndResult()
{
    QFETCH(QList<qint64>, clock);
    QFETCH(Fault, openFault);
    QFETCH(QList<Fault>, closeFaults);
    QFETCH(QStringList, calls);
    QFETCH(bool, result);
    QFETCH(QString, readout);

    QStringList log;
    RecordingView view;
    view.hostText = QStringLiteral("127.0.0.1");
    ScriptedClient client(log);
    client.openFault = openFault;
    client.closeFaults = closeFaults;
    ConnectivityProbe probe(view, client, ScriptedClock(clock, log));

    bool ok = !result;
    try {
        ok = probe.CheckConnection();
    } catch (...) {
        QFAIL("the probe let an error out");
    }
    QCOMPARE(ok, result);
    QCOMPARE(log, calls);
    QCOMPARE(client.Port(), 80);
    VerifyReadout(view, readout);

    const CheckResult &found = probe.LastResult();
    QCOMPARE(found.ok, result);
    QCOMPARE(found.startedMonotonic, nanoseconds(clock.front()));
    const auto apart = static_cast<std::uint64_t>(clock.back()) - static_cast<std::uint64_t>(clock.front());
    const std::uint64_t expected = clock.back() >= clock.front() ? apart : ~apart + 1;
    QCOMPARE(std::uint64_t(found.elapsed.count()), std::min<std::uint64_t>(expected, INT64_MAX));
    QCOMPARE(found.reason == FailureReason::None, result);
}

void TestConnectivityProbe::resultNamesTheFailure_data()
{
    QTest::addColumn<Fault>("openFault");
    QTest::addColumn<FailureReason>("reason");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("a socket error keeps its code and text")
        << Fault::SocketError << FailureReason::Refused << 10061 << "Connection refused.";
    QTest::newRow("another error has no code")
        << Fault::OtherError << FailureReason::Other << 0 << "unexpected";
    QTest::newRow("something that is no exception class")
        << Fault::Foreign << FailureReason::Other << 0 << "Unknown error";
    QTest::newRow("success") << Fault::None << FailureReason::None << 0 << QString();
}

void TestConnectivityProbe::resultNamesTheFailure()
{
    QFETCH(Fault, openFault);
    QFETCH(FailureReason, reason);
    QFETCH(int, code);
    QFETCH(QString, message);

    QStringList log;
    RecordingView view;
    view.hostText = QStringLiteral("127.0.0.1");
    ScriptedClient client(log);
    client.openFault = openFault;
    const auto wall = system_clock::time_point(hours(24 * 365 * 50));
    ConnectivityProbe probe(view, client, ScriptedClock({0, 3 * kMs}, log), [wall] { return wall; });
    probe.CheckConnection();
    const CheckResult &found = probe.LastResult();
    QCOMPARE(found.reason, reason);
    QCOMPARE(found.errorCode, code);
    QCOMPARE(QString::fromStdString(found.errorMessage), message);
    QCOMPARE(found.startedAt, wall);
    QCOMPARE(found.elapsed, nanoseconds(3 * kMs));
    // A scripted client has no handler, so no address is known.
    QVERIFY(found.address.empty());
}

void TestConnectivityProbe::portAndTimeoutReachTheClient()
{
    QStringList log;
    RecordingView view;
    view.hostText = QStringLiteral("127.0.0.1");
    ScriptedClient client(log);
    ConnectivityProbe probe(view, client, ScriptedClock({0, 0}, log));
    QCOMPARE(probe.Port(), 80);
    QCOMPARE(probe.Timeout(), -1);
    probe.SetPort(8080);
    probe.SetTimeout(250);
    QVERIFY(probe.CheckConnection());
    QCOMPARE(client.Port(), 8080);
    QVERIFY(log.contains(QStringLiteral("open(250)")));
}

void TestConnectivityProbe::familyChoiceAndResolveOnceReachTheClient_data()
{
    QTest::addColumn<FamilyChoice>("choice");
    QTest::addColumn<IPFamilies>("families");
    QTest::addColumn<bool>("resolveOnce");
    QTest::newRow("IPv4 only, resolving once") << FamilyChoice::IPv4Only << IPFamilies::IPv4Only << true;
    QTest::newRow("IPv6 only") << FamilyChoice::IPv6Only << IPFamilies::IPv6Only << false;
    QTest::newRow("auto, resolving once") << FamilyChoice::Auto << IPFamilies::Any << true;
}

void TestConnectivityProbe::familyChoiceAndResolveOnceReachTheClient()
{
    QFETCH(FamilyChoice, choice);
    QFETCH(IPFamilies, families);
    QFETCH(bool, resolveOnce);
    QStringList log;
    RecordingView view;
    view.hostText = QStringLiteral("127.0.0.1");
    ScriptedClient client(log);
    ConnectivityProbe probe(view, client, ScriptedClock({0, 0}, log));
    QCOMPARE(probe.GetFamilyChoice(), FamilyChoice::Auto);
    QVERIFY(!probe.ResolveOnce());
    // The client's own settings differ from the probe's: the check writes them.
    client.SetFamilies(families == IPFamilies::Any ? IPFamilies::IPv6Only : IPFamilies::Any);
    client.SetResolveOnce(!resolveOnce);
    probe.SetFamilyChoice(choice);
    probe.SetResolveOnce(resolveOnce);
    QCOMPARE(probe.GetFamilyChoice(), choice);
    QVERIFY(probe.CheckConnection());
    QCOMPARE(client.Families(), families);
    QCOMPARE(client.ResolveOnce(), resolveOnce);
}

void TestConnectivityProbe::aCancelledTokenEndsTheCheck()
{
    LoopbackListener listener;
    TIdHTTP client;
    RecordingView view;
    view.hostText = QStringLiteral("127.0.0.1");
    ConnectivityProbe probe(view, client);
    probe.SetPort(listener.Port());
    CancelSource source;
    probe.SetCancellation(source.Token());
    source.Cancel();
    QVERIFY(!probe.CheckConnection());
    QCOMPARE(probe.LastResult().errorCode, 10004);
    QCOMPARE(client.State(), csIdle);
    source.Reset();
    QVERIFY(probe.CheckConnection());
    QTRY_COMPARE(listener.Accepted(), 1);
}

void TestConnectivityProbe::internationalNamesGoInTheirAsciiForm_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("forClient");

    QTest::newRow("a Russian name") << QStringLiteral("пример.рф") << QByteArray("xn--e1afmkfd.xn--p1ai");
    QTest::newRow("in capitals") << QStringLiteral("ПРИМЕР.РФ") << QByteArray("xn--e1afmkfd.xn--p1ai");
    QTest::newRow("one label only partly Latin") << QStringLiteral("bücher.example")
                                                 << QByteArray("xn--bcher-kva.example");
    QTest::newRow("fully qualified") << QStringLiteral("пример.рф.") << QByteArray("xn--e1afmkfd.xn--p1ai.");
    QTest::newRow("ASCII stays exactly as typed") << QStringLiteral(" Probe-Host ") << QByteArray(" Probe-Host ");
    QTest::newRow("no ASCII form: unchanged") << QStringLiteral("http://пример.рф/")
                                              << QStringLiteral("http://пример.рф/").toUtf8();
    QTest::newRow("an empty label: unchanged") << QStringLiteral("пример..рф")
                                               << QStringLiteral("пример..рф").toUtf8();
}

void TestConnectivityProbe::internationalNamesGoInTheirAsciiForm()
{
    QFETCH(QString, host);
    QFETCH(QByteArray, forClient);
    QCOMPARE(QByteArray::fromStdString(ConnectivityProbe::HostForClient(host)), forClient);
}

void TestConnectivityProbe::internationalNameResolvesThroughTheResolver()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace for a resolver of its own");
    FakeResolver resolver;
    if (!resolver.IsValid())
        QSKIP(qPrintable(resolver.Error()));
    resolver.Answer("xn--e1afmkfd.xn--p1ai", "127.0.0.1");
    NamespaceListener listener(80, true);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));
    TIdHTTP client;
    RecordingView view;
    ConnectivityProbe probe(view, client);

    view.hostText = QStringLiteral("пример.рф");
    QVERIFY(probe.CheckConnection());
    QCOMPARE(probe.LastResult().address, std::string("127.0.0.1"));
    QTRY_COMPARE(listener.AcceptPending(), 1);
    QCOMPARE(resolver.AskedNames(), std::vector<std::string>{"xn--e1afmkfd.xn--p1ai"});

    // A name the resolver does not know, and a text with no ASCII form,
    // fail as "host not found".
    for (const QString &unknown : {QStringLiteral("нет.рф"), QStringLiteral("пример рф")}) {
        view.hostText = unknown;
        QVERIFY(!probe.CheckConnection());
        QCOMPARE(probe.LastResult().errorCode, 11001);
        QCOMPARE(probe.LastResult().reason, FailureReason::Dns);
        QVERIFY(probe.LastResult().address.empty());
    }
    // The UTF-8 text never went out as a query.
    QCOMPARE(resolver.AskedNames(), (std::vector<std::string>{"xn--e1afmkfd.xn--p1ai", "xn--e1apq.xn--p1ai"}));
}

void TestConnectivityProbe::hostTextReachesTheClientUnchanged_data()
{
    QTest::addColumn<QString>("host");

    QTest::newRow("blanks around a name") << QStringLiteral("  probe-host  ");
    QTest::newRow("scheme in front of a name") << QStringLiteral("http://probe-host/");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("NUL inside") << QString::fromUtf16(u"probe\0host", 10);
    QTest::newRow("control characters") << QStringLiteral("probe\thost\r\n");
    QTest::newRow("non-ASCII that has no ASCII form") << QStringLiteral("пример рф");
    QTest::newRow("100000 characters") << QString(100000, QLatin1Char('a'));
    QTest::newRow("dotted address with a blank after it") << QStringLiteral("127.0.0.1 ");
}

// Names that go to the resolver are answered "not found" by a stack that
// never asks the platform, so no lookup leaves the test.
void TestConnectivityProbe::hostTextReachesTheClientUnchanged()
{
    QFETCH(QString, host);

    auto record = std::make_shared<ResolverRecord>();
    SetStackClass([record] { return MakeNoResolverStack(record); });
    TIdHTTP client;
    client.SetPort(8080);
    RecordingView view;
    view.hostText = host;
    QStringList clockCalls;
    ConnectivityProbe probe(view, client, ScriptedClock({0, 7 * kMs}, clockCalls));

    QVERIFY(!probe.CheckConnection());
    const std::string bytes = host.toStdString();
    QCOMPARE(client.Host(), bytes);
    QCOMPARE(client.Port(), 80);
    // One attempt per check: the resolver, if asked, was asked once for
    // exactly that text.
    QVERIFY(record->names.size() <= 1);
    for (const std::string &name : record->names)
        QCOMPARE(name, bytes);
    QCOMPARE(clockCalls.size(), 2);
    VerifyReadout(view, QStringLiteral("Пинг: 7 мс"));
    QCOMPARE(client.State(), csIdle);
}

void TestConnectivityProbe::realLoopbackOnPort80_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("peer");
    QTest::addColumn<bool>("reached");

    QTest::newRow("listener on 127.0.0.1") << QStringLiteral("127.0.0.1") << "listening" << true;
    QTest::newRow("LOCALHOST in mixed case") << QStringLiteral("LocalHost") << "listening" << true;
    QTest::newRow("dotted address with a blank and a hex part") << QStringLiteral(" 0x7f.0.0.1") << "listening" << true;
    QTest::newRow("bound socket that does not listen") << QStringLiteral("127.0.0.1") << "bound" << false;
    QTest::newRow("nothing bound at all") << QStringLiteral("127.0.0.1") << "nothing" << false;
}

void TestConnectivityProbe::realLoopbackOnPort80()
{
    QFETCH(QString, host);
    QFETCH(QString, peer);
    QFETCH(bool, reached);

    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to use port 80");
    const bool listening = peer == QLatin1String("listening");
    std::unique_ptr<NamespaceListener> listener;
    if (peer != QLatin1String("nothing")) {
        listener = std::make_unique<NamespaceListener>(80, listening);
        QVERIFY2(listener->IsValid(), qPrintable(listener->Error()));
    }
    TIdHTTP client;
    RecordingView view;
    view.hostText = host;
    ConnectivityProbe probe(view, client);

    QCOMPARE(probe.CheckConnection(), reached);
    if (listening)
        QTRY_COMPARE(listener->AcceptPending(), 1);
    QCOMPARE(probe.LastResult().address, std::string("127.0.0.1"));
    QCOMPARE(probe.LastResult().reason, reached ? FailureReason::None : FailureReason::Refused);
    const QString text = view.readout[0];
    QVERIFY2(text.startsWith(QStringLiteral("Пинг: ")) && text.endsWith(QStringLiteral(" мс")), qPrintable(text));
    bool isNumber = false;
    const qlonglong ms = text.mid(6, text.size() - 9).toLongLong(&isNumber);
    QVERIFY2(isNumber && ms >= 0 && ms < 5000, qPrintable(text));
    VerifyReadout(view, text);
    QCOMPARE(client.State(), csIdle);
}

void TestConnectivityProbe::steadyClockIsTheDefault()
{
    const auto before = steady_clock::now().time_since_epoch();
    const nanoseconds reading = SteadyClockNow();
    const auto after = steady_clock::now().time_since_epoch();
    QVERIFY(before <= reading && reading <= after);
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestConnectivityProbe)

#include "tst_connectivityprobe.moc"
