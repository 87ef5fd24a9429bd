// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program with a fresh home, inside a network namespace of its
// own: told nothing it records nothing and creates no folder, even after a
// check and with the history window opened; --history creates the default
// file (0600 in a 0700 folder) and records the checks into it.

#include "support/E2eDesktop.h"
#include "support/PrivateNetwork.h"

#include "history/HistoryReader.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kMainTitle = QStringLiteral("Kelvora 1.1");
const QString kHistoryTitle = QStringLiteral("История — Kelvora");
constexpr int kStartMs = 30000;
// Where the interval field lies in the main window's client area.
const QPoint kIntervalField(270, 553);

QString g_noNamespace;

// Whatever under `folder` has "kelvora" in its name.
QStringList KelvoraPaths(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().contains(QLatin1String("kelvora"), Qt::CaseInsensitive))
            found << path;
    }
    return found;
}

// Gives the program a one-second interval (the start's 30 s would make the
// test wait that long) and waits for the first check to end: the window red
// or lime. The host is the preset one, which the empty network cannot reach.
bool FirstCheckEnded(E2eDesktop &desktop, const E2eWindow &window)
{
    desktop.ReplaceText(window.geometry.topLeft() + kIntervalField, QStringLiteral("1"));
    return !desktop.WaitForBackground(window, {QColor(255, 0, 0), QColor(0, 255, 0)}, 15000).isNull();
}

unsigned ModeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? unsigned(info.st_mode & 0777) : 0u;
}

} // namespace

class TestE2eHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aRunToldNothingWritesNothing_data();
    void aRunToldNothingWritesNothing();
    void historyOptionCreatesTheDefaultFile();
};

void TestE2eHistory::init()
{
    if (!g_noNamespace.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace: ") + g_noNamespace));
    const QStringList missing = E2eDesktop::MissingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("missing tools: ") + missing.join(u' ')));
}

void TestE2eHistory::aRunToldNothingWritesNothing_data()
{
    QTest::addColumn<bool>("stateHomeSet");
    QTest::newRow("XDG_STATE_HOME set") << true;
    QTest::newRow("only HOME") << false;
}

void TestE2eHistory::aRunToldNothingWritesNothing()
{
    QFETCH(bool, stateHomeSet);
    QTemporaryDir home;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());
    if (stateHomeSet)
        environment.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
    E2eDesktop desktop;
    QString error;
    QVERIFY2(desktop.Start(&error), qPrintable(error));
    desktop.Launch(kProgram, {}, environment);
    const std::optional<E2eWindow> main = desktop.WaitForWindow(kMainTitle, kStartMs);
    QVERIFY2(main, qPrintable(desktop.ProgramReport()));
    QVERIFY2(FirstCheckEnded(desktop, *main), "no check ended");
    desktop.Click(main->geometry.topLeft() + QPoint(500, 350));
    QVERIFY(desktop.PressKeys(QStringLiteral("ctrl+h")));
    QVERIFY2(desktop.WaitForWindow(kHistoryTitle, 20000), "no history window after Ctrl+H");
    QVERIFY(desktop.RequestClose(*main));
    QCOMPARE(desktop.WaitForExit(20000), std::optional<int>(0));
    QCOMPARE(KelvoraPaths(home.path()), QStringList());
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("state"))));
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral(".local/state"))));
}

void TestE2eHistory::historyOptionCreatesTheDefaultFile()
{
    QTemporaryDir home;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
    E2eDesktop desktop;
    QString error;
    QVERIFY2(desktop.Start(&error), qPrintable(error));
    desktop.Launch(kProgram, {QStringLiteral("--history")}, environment);
    const std::optional<E2eWindow> main = desktop.WaitForWindow(kMainTitle, kStartMs);
    QVERIFY2(main, qPrintable(desktop.ProgramReport()));
    const QString file = home.filePath(QStringLiteral("state/kelvora/history.sqlite"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 10000);
    QVERIFY2(FirstCheckEnded(desktop, *main), "no check ended");
    QVERIFY(desktop.RequestClose(*main));
    QCOMPARE(desktop.WaitForExit(20000), std::optional<int>(0));
    QCOMPARE(ModeOf(home.filePath(QStringLiteral("state/kelvora"))), 0700u);
    QCOMPARE(ModeOf(file), 0600u);
    HistoryReader reader(file.toStdString());
    const std::vector<HistoryTarget> targets = reader.Targets();
    QCOMPARE(targets.size(), 1u);
    QCOMPARE(targets.front().port, 80);
    QVERIFY(targets.front().checks >= 1);
    // The interval the checks ran at, not the one the program started with.
    QCOMPARE(reader.LastWatched("kelvora")->interval, std::chrono::milliseconds(1'000));
}

int main(int argc, char **argv)
{
    if (!EnterPrivateNetwork(&g_noNamespace) && g_noNamespace.isEmpty())
        g_noNamespace = QStringLiteral("unknown reason");
    QCoreApplication application(argc, argv);
    TestE2eHistory test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_history.moc"
