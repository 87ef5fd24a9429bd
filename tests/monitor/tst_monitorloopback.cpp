// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The monitor end to end: real timers, the real network client and a
// listener on 127.0.0.1:80 inside a network namespace of the test's own.

#include "support/HeadlessView.h"
#include "support/PrivateNetwork.h"

#include "base/ErrorReport.h"
#include "monitor/MonitorCycle.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The lines of the first check that starts after line `from`, with the
// measured time replaced by N.
QStringList CheckLines(const QStringList &lines, qsizetype from)
{
    const qsizetype start = lines.indexOf(QStringLiteral("Form1.Color := orange"), from);
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QStringLiteral("Timer2.Enabled := true"), start);
    if (end < 0)
        return {};
    QStringList check = lines.mid(start, end - start + 2);
    check.replaceInStrings(QRegularExpression(QStringLiteral("Пинг: \\d+ мс")), QStringLiteral("Пинг: N мс"));
    return check;
}

QStringList ExpectedCheck(const char *host, bool reached)
{
    const QString status = reached ? QStringLiteral("lime") : QStringLiteral("red");
    QStringList lines{"Form1.Color := orange", "Gauge1.BackColor := orange",
                      "Timer1.Enabled := false", "Timer2.Enabled := false",
                      "ProgressBar1.Max -> 1", "ProgressBar1.Position := 1",
                      "Gauge1.MaxValue -> 1", "Gauge1.Progress := 1", "ProcessPendingEvents",
                      "CheckConnection", QStringLiteral("Edit1.Text -> \"%1\"").arg(QLatin1String(host))};
    for (int label = 7; label <= 11; ++label)
        lines << QStringLiteral("Label%1.Caption := Пинг: N мс").arg(label);
    lines << QStringLiteral("CheckConnection -> ") + (reached ? "true" : "false")
          << "Form1.Color := " + status << "Gauge1.BackColor := " + status
          << "Timer1.Enabled := true" << "Timer2.Enabled := true" << "ProcessPendingEvents";
    return lines;
}

} // namespace

class TestMonitorLoopback : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void statusFollowsTheListener();
};

void TestMonitorLoopback::initTestCase()
{
    if (!InPrivateNetwork())
        QSKIP("needs a private network namespace to listen on port 80");
}

void TestMonitorLoopback::cleanup()
{
    SetErrorHandler({});
}

void TestMonitorLoopback::statusFollowsTheListener()
{
    QStringList errors;
    SetErrorHandler([&errors](const std::exception &error) { errors << QString::fromUtf8(error.what()); });
    NamespaceListener listener(80, true);
    QVERIFY2(listener.IsValid(), qPrintable(listener.Error()));

    QStringList lines;
    HeadlessView view(QStringLiteral("127.0.0.1"), 1, [&lines](const QString &line) { lines << line; });
    MonitorCycle cycle(view);
    view.Attach(cycle);
    QElapsedTimer sinceStart;
    sinceStart.start();
    cycle.FormCreate();
    QCOMPARE(view.windowColor, clStatusWaiting);

    // The first check comes one interval after start-up, not at once.
    QTRY_VERIFY_WITH_TIMEOUT(view.checks >= 1, 10000);
    QVERIFY2(sinceStart.elapsed() >= 900, qPrintable(QString::number(sinceStart.elapsed())));
    QCOMPARE(view.windowColor, clStatusOnline);
    QCOMPARE(CheckLines(lines, 0), ExpectedCheck("127.0.0.1", true));
    QTRY_VERIFY(listener.Accepted() >= 1);

    listener.Close();
    const qsizetype mark = lines.size();
    const int checksBefore = view.checks;
    QTRY_VERIFY_WITH_TIMEOUT(view.checks > checksBefore, 10000);
    QCOMPARE(view.windowColor, clStatusOffline);
    QCOMPARE(CheckLines(lines, mark), ExpectedCheck("127.0.0.1", false));
    QVERIFY(view.readout[4].startsWith(QStringLiteral("Пинг: ")));
    QCOMPARE(lines.count(QStringLiteral("CheckConnection")), view.checks);
    QCOMPARE(errors, QStringList{});
}

KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestMonitorLoopback)

#include "tst_monitorloopback.moc"
