// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The login autostart entry: where it goes, what it says, the item ticked by
// the entry's presence, ticking and unticking writing and removing it, a
// folder that cannot be made said once; and a --tray run hiding the window
// when it is minimized.

#include "ui/AutostartEntry.h"
#include "ui/TrayRun.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <map>

namespace {

EnvironmentLookup Environment(std::map<std::string, std::string> values)
{
    return [values](const char *name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    };
}

} // namespace

class TestAutostartEntry : public QObject {
    Q_OBJECT
private slots:
    void whereTheEntryGoes_data();
    void whereTheEntryGoes();
    void tickingWritesAndUntickingRemoves();
    void thePresenceIsTheChoice();
    void aFolderThatCannotBeMadeIsSaidOnce();
    void aTrayRunHidesTheMinimizedWindow();
};

void TestAutostartEntry::whereTheEntryGoes_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("XDG_CONFIG_HOME") << "/c" << "/h" << "/c/autostart/kelvora.desktop";
    QTest::newRow("unset: ~/.config") << QString() << "/h" << "/h/.config/autostart/kelvora.desktop";
    QTest::newRow("relative: ~/.config") << "rel" << "/h" << "/h/.config/autostart/kelvora.desktop";
    QTest::newRow("no home at all") << QString() << QString() << "";
}

void TestAutostartEntry::whereTheEntryGoes()
{
    QFETCH(QString, config);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    std::map<std::string, std::string> values;
    if (!config.isNull())
        values["XDG_CONFIG_HOME"] = config.toStdString();
    if (!home.isNull())
        values["HOME"] = home.toStdString();
    QCOMPARE(QString::fromStdString(AutostartFile(Environment(values)).string()), expected);
}

void TestAutostartEntry::tickingWritesAndUntickingRemoves()
{
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "cfg/autostart/kelvora.desktop";
    QStringList notices;
    AutostartItem item(file, [&](const QString &line) { notices << line; });
    QVERIFY(item.Action()->isEnabled());
    QVERIFY(!item.Action()->isChecked());
    item.Action()->trigger();
    QVERIFY(item.Action()->isChecked());
    QFile entry(QString::fromStdString(file.string()));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    entry.close();
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("\nExec=kelvora --tray\n"));
    QVERIFY(text.contains("\nType=Application\n"));
    item.Action()->trigger();
    QVERIFY(!item.Action()->isChecked());
    QVERIFY(!entry.exists());
    QVERIFY(notices.isEmpty());

    QMenu context;
    QMenu tray;
    tray.addAction(QStringLiteral("Показать окно"));
    tray.addSeparator();
    tray.addAction(QStringLiteral("Выход"));
    item.AddMenuItems(context, tray);
    QCOMPARE(context.actions().last(), item.Action());
    QCOMPARE(tray.actions().indexOf(item.Action()), 1);
}

void TestAutostartEntry::thePresenceIsTheChoice()
{
    QTemporaryDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "kelvora.desktop";
    QFile entry(QString::fromStdString(file.string()));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nExec=kelvora --tray\n");
    entry.close();
    AutostartItem item(file, {});
    QVERIFY(item.Action()->isChecked());
    AutostartItem nowhere({}, {});
    QVERIFY(!nowhere.Action()->isEnabled());
}

void TestAutostartEntry::aFolderThatCannotBeMadeIsSaidOnce()
{
    QTemporaryDir dir;
    // A plain file where the folder should be.
    QFile blocker(dir.filePath(QStringLiteral("autostart")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "autostart/kelvora.desktop";
    QStringList notices;
    AutostartItem item(file, [&](const QString &line) { notices << line; });
    item.Action()->trigger();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.front().startsWith(QString::fromStdString(file.string())), qPrintable(notices.front()));
    QVERIFY(!item.Action()->isChecked());
    QCOMPARE(blocker.size(), 0);
}

void TestAutostartEntry::aTrayRunHidesTheMinimizedWindow()
{
    QWidget window;
    TrayRun run(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    QVERIFY(window.isVisible());
    window.showMinimized();
    QTRY_VERIFY(window.isHidden());
    window.showNormal();
    QTest::qWait(50);
    QVERIFY(window.isVisible());

    // Started minimized, as --tray starts it: straight to the tray.
    QWidget started;
    TrayRun startedRun(started);
    started.setWindowState(Qt::WindowMinimized);
    started.showMinimized();
    QTRY_VERIFY(started.isHidden());
}

QTEST_MAIN(TestAutostartEntry)
#include "tst_autostartentry.moc"
