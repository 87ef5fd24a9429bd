// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program on a private X server without a tray, inside a network
// namespace of its own: Ctrl+I opens the session window, once.

#include "support/E2eDesktop.h"
#include "support/PrivateNetwork.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kMainTitle = QStringLiteral("Kelvora 1.1");
const QString kSessionTitle = QStringLiteral("Сеанс — Kelvora");
constexpr int kStartMs = 30000;

QString g_noNamespace;

// xdotool with the desktop's display; true when it ran.
bool Xdotool(const E2eDesktop &desktop, const QStringList &arguments)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), desktop.Display());
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

// Top-level windows with exactly this title, as `xwininfo -root -tree` lists them.
int WindowsTitled(const E2eDesktop &desktop, const QString &title)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), desktop.Display());
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!tool.waitForFinished(10000))
        return -1;
    const QString tree = QString::fromUtf8(tool.readAllStandardOutput());
    const QRegularExpression line(QStringLiteral("^\\s*0x[0-9a-f]+ \"%1\": ").arg(QRegularExpression::escape(title)),
                                  QRegularExpression::MultilineOption);
    int count = 0;
    for (auto it = line.globalMatch(tree); it.hasNext(); it.next())
        ++count;
    return count;
}

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
    QVERIFY(main);
    QCOMPARE(WindowsTitled(desktop, kSessionTitle), 0);

    // The pointer on the gauge, a click there to be sure of the focus, then the key.
    const QPoint gauge = main->geometry.topLeft() + QPoint(500, 350);
    desktop.Click(gauge);
    QVERIFY(Xdotool(desktop, {QStringLiteral("key"), QStringLiteral("ctrl+i")}));
    const std::optional<E2eWindow> session = desktop.WaitForWindow(kSessionTitle, 20000);
    QVERIFY2(session, "no window titled \"Сеанс — Kelvora\" after Ctrl+I");
    QCOMPARE(session->title, kSessionTitle);
    QVERIFY(session->geometry.width() >= 400);

    // Again, from the main window: still one.
    desktop.Click(gauge);
    QVERIFY(Xdotool(desktop, {QStringLiteral("key"), QStringLiteral("ctrl+i")}));
    QTest::qWait(1000);
    QCOMPARE(WindowsTitled(desktop, kSessionTitle), 1);
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
