// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program on a private X server without a tray, inside a network
// namespace of its own: Ctrl+I opens the session window, once.

#include "support/E2eDesktop.h"
#include "support/PrivateNetwork.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kMainTitle = QStringLiteral("Kelvora 1.1");
const QString kSessionTitle = QStringLiteral("Сеанс — Kelvora");
constexpr int kStartMs = 30000;

QString g_noNamespace;

} // namespace

class TestE2eSession : public QObject {
    Q_OBJECT
private slots:
    void ctrlIOpensTheSessionWindowOnceWithoutATray();
};

void TestE2eSession::ctrlIOpensTheSessionWindowOnceWithoutATray()
{
    if (!g_noNamespace.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace: ") + g_noNamespace));
    const QStringList missing = E2eDesktop::MissingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("missing tools: ") + missing.join(u' ')));
    E2eDesktop desktop;
    QString error;
    QVERIFY2(desktop.Start(&error), qPrintable(error));
    desktop.Launch(kProgram);
    const std::optional<E2eWindow> main = desktop.WaitForWindow(kMainTitle, kStartMs);
    QVERIFY2(main, qPrintable(desktop.ProgramReport()));
    QCOMPARE(desktop.WindowsTitled(kSessionTitle), 0);

    // The pointer on the gauge, a click there to be sure of the focus, then the key.
    const QPoint gauge = main->geometry.topLeft() + QPoint(500, 350);
    desktop.Click(gauge);
    QVERIFY(desktop.PressKeys(QStringLiteral("ctrl+i")));
    const std::optional<E2eWindow> session = desktop.WaitForWindow(kSessionTitle, 20000);
    QVERIFY2(session, "no window titled \"Сеанс — Kelvora\" after Ctrl+I");
    QCOMPARE(session->title, kSessionTitle);
    QVERIFY(session->geometry.width() >= 400);

    // Again, from the main window: still one.
    desktop.Click(gauge);
    QVERIFY(desktop.PressKeys(QStringLiteral("ctrl+i")));
    QTest::qWait(1000);
    QCOMPARE(desktop.WindowsTitled(kSessionTitle), 1);
    // No tray here: the program runs on, and ends as ever.
    QVERIFY(desktop.Running());
    QVERIFY(desktop.RequestClose(*main));
    QCOMPARE(desktop.WaitForExit(20000), std::optional<int>(0));
}

int main(int argc, char **argv)
{
    if (!EnterPrivateNetwork(&g_noNamespace) && g_noNamespace.isEmpty())
        g_noNamespace = QStringLiteral("unknown reason");
    QCoreApplication application(argc, argv);
    TestE2eSession test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_session.moc"
