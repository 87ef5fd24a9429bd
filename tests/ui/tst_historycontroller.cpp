// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Recording from the window: nothing written unless asked, one question and
// then every check, the file's presence as the choice on the next start, the
// last target watched taken up again, unticking with the offer to remove,
// and a file that cannot be used said once while the monitor goes on.

#include "support/ApplicationTestMain.h"

#include "history/HistoryReader.h"
#include "session/SessionHistory.h"
#include "ui/Addresses.h"
#include "ui/HistoryController.h"
#include "ui/HistoryPrompts.h"
#include "ui/HistoryWindow.h"
#include "ui/SessionController.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

class ScriptedPrompts final : public HistoryPrompts {
public:
    bool record = true;
    bool remove = false;
    QStringList recordingAsked;
    QStringList removalAsked;
    QStringList notices;

    bool ConfirmRecording(QWidget *, const QString &file) override
    {
        recordingAsked << file;
        return record;
    }
    bool ConfirmRemoval(QWidget *, const QString &file) override
    {
        removalAsked << file;
        return remove;
    }
    void Notice(QWidget *, const QString &line) override { notices << line; }
};

std::filesystem::path DefaultIn(const QTemporaryDir &dir)
{
    return std::filesystem::path(dir.path().toStdString()) / "state" / "kelvora" / "history.sqlite";
}

// Every stored check of the file: its host and whether it succeeded.
std::vector<std::string> StoredHosts(const std::filesystem::path &file)
{
    std::vector<std::string> hosts;
    HistoryReader reader(file);
    reader.ForEachCheck(0, {0, reader.NowMs() + 1}, [&](const StoredCheck &check) {
        hosts.push_back(check.host);
        return true;
    });
    return hosts;
}

unsigned ModeOf(const std::filesystem::path &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? unsigned(info.st_mode & 0777) : 0u;
}

QByteArray Bytes(const std::filesystem::path &file)
{
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

class TestHistoryController : public QObject {
    Q_OBJECT
private slots:
    void init();

    void nothingIsWrittenUnlessAsked();
    void tickingAsksOnceThenRecordsEveryCheck_data();
    void tickingAsksOnceThenRecordsEveryCheck();
    void theFilesPresenceIsTheChoiceAndTheLastTargetIsTakenUp();
    void untickingStopsAndOffersRemoval_data();
    void untickingStopsAndOffersRemoval();
    void aBadFileIsOneNoticeAndTheMonitorGoesOn_data();
    void aBadFileIsOneNoticeAndTheMonitorGoesOn();
    void commandLineChoices();
    void menusAndCtrlHOpenOneHistoryWindow();

private:
    std::unique_ptr<TForm1> Window(HistoryStart start);
    static void Check(TForm1 &w, const QString &host);

    std::unique_ptr<QTemporaryDir> dir_;
    std::shared_ptr<ScriptedPrompts> prompts_;
};

void TestHistoryController::init()
{
    RecordBoxes(App());
    dir_ = std::make_unique<QTemporaryDir>();
    prompts_ = std::make_shared<ScriptedPrompts>();
}

std::unique_ptr<TForm1> TestHistoryController::Window(HistoryStart start)
{
    Form1Services services;
    services.session = {};
    services.history = std::move(start);
    services.historyServices.prompts = prompts_;
    return std::make_unique<TForm1>(std::move(services));
}

void TestHistoryController::Check(TForm1 &w, const QString &host)
{
    w.Edit1->setText(host);
    w.Timer1Timer();
}

void TestHistoryController::nothingIsWrittenUnlessAsked()
{
    const std::filesystem::path file = DefaultIn(*dir_);
    auto w = Window({HistoryStart::Mode::FollowFile, file});
    QAction *record = w->History()->RecordAction();
    QVERIFY(record->isEnabled());
    QVERIFY(!record->isChecked());
    Check(*w, QStringLiteral("no.such.host"));
    Check(*w, QStringLiteral("no.such.host"));
    QCOMPARE(w->Session()->History().Record().Sent(), 2u);
    w->History()->OpenHistoryWindow();
    QTRY_VERIFY(w->History()->Window()->isVisible());
    w.reset();
    // Not the file, not even its folder.
    QVERIFY(!std::filesystem::exists(file.parent_path().parent_path()));
    QVERIFY(prompts_->recordingAsked.isEmpty());
}

void TestHistoryController::tickingAsksOnceThenRecordsEveryCheck_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("the user agrees") << true;
    QTest::newRow("the user declines") << false;
}

void TestHistoryController::tickingAsksOnceThenRecordsEveryCheck()
{
    QFETCH(bool, answer);
    prompts_->record = answer;
    const std::filesystem::path file = DefaultIn(*dir_);
    auto w = Window({HistoryStart::Mode::FollowFile, file});
    Check(*w, QStringLiteral("before.ticking"));
    w->History()->RecordAction()->trigger();
    QCOMPARE(prompts_->recordingAsked, QStringList{QString::fromStdString(file.string())});
    QCOMPARE(w->History()->RecordAction()->isChecked(), answer);
    QCOMPARE(w->History()->Recording(), answer);
    Check(*w, QStringLiteral("no.such.host"));
    Check(*w, QStringLiteral("no.such.host"));
    Check(*w, QStringLiteral("other.host"));
    w.reset();
    QCOMPARE(prompts_->recordingAsked.size(), 1);
    QVERIFY(prompts_->notices.isEmpty());
    if (!answer) {
        QVERIFY(!std::filesystem::exists(file.parent_path()));
        return;
    }
    QCOMPARE(ModeOf(file.parent_path()), 0700u);
    QCOMPARE(ModeOf(file), 0600u);
    const std::vector<std::string> expected{"no.such.host", "no.such.host", "other.host"};
    QCOMPARE(StoredHosts(file), expected);
}

void TestHistoryController::theFilesPresenceIsTheChoiceAndTheLastTargetIsTakenUp()
{
    const std::filesystem::path file = DefaultIn(*dir_);
    {
        auto w = Window({HistoryStart::Mode::FollowFile, file});
        w->History()->RecordAction()->trigger();
        w->SpinEdit1->SetValue(7);
        Check(*w, QStringLiteral("watched.last"));
    }
    auto w = Window({HistoryStart::Mode::FollowFile, file});
    QVERIFY(w->History()->Recording());
    QVERIFY(w->History()->RecordAction()->isChecked());
    QCOMPARE(prompts_->recordingAsked.size(), 1);
    QCOMPARE(w->Edit1->text(), QStringLiteral("watched.last"));
    QCOMPARE(w->SpinEdit1->Value(), 7);
    QCOMPARE(w->Session()->History().Target().host, std::string("watched.last"));
    // The monitor took the interval as it starts: its bar counts 7 seconds.
    QCOMPARE(w->ProgressBarMax(), 7);
    w->Timer1Timer();
    w.reset();
    QCOMPARE(StoredHosts(file).size(), 2u);
}

void TestHistoryController::untickingStopsAndOffersRemoval_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("kept, the default") << false;
    QTest::newRow("removed") << true;
}

void TestHistoryController::untickingStopsAndOffersRemoval()
{
    QFETCH(bool, remove);
    prompts_->remove = remove;
    const std::filesystem::path file = DefaultIn(*dir_);
    auto w = Window({HistoryStart::Mode::Record, file});
    QVERIFY(w->History()->RecordAction()->isChecked());
    QVERIFY(prompts_->recordingAsked.isEmpty()); // asking on the command line is the choice
    Check(*w, QStringLiteral("recorded.host"));
    w->History()->RecordAction()->trigger();
    QCOMPARE(prompts_->removalAsked, QStringList{QString::fromStdString(file.string())});
    QVERIFY(!w->History()->Recording());
    Check(*w, QStringLiteral("not.recorded"));
    QCOMPARE(std::filesystem::exists(file), !remove);
    QVERIFY(!std::filesystem::exists(file.string() + "-wal") || !remove);
    if (!remove)
        QCOMPARE(StoredHosts(file), std::vector<std::string>{"recorded.host"});
    QVERIFY(prompts_->notices.isEmpty());
}

void TestHistoryController::aBadFileIsOneNoticeAndTheMonitorGoesOn_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not SQLite") << QByteArray("this is no database\n");
    QByteArray damaged("SQLite format 3");
    damaged.append('\0');
    damaged.append(QByteArray(4000, '\x5a'));
    QTest::newRow("damaged") << damaged;
}

void TestHistoryController::aBadFileIsOneNoticeAndTheMonitorGoesOn()
{
    QFETCH(QByteArray, content);
    const std::filesystem::path file = std::filesystem::path(dir_->path().toStdString()) / "history.sqlite";
    {
        QFile out(QString::fromStdString(file.string()));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    auto w = Window({HistoryStart::Mode::FollowFile, file});
    QCOMPARE(prompts_->notices.size(), 1);
    QVERIFY2(prompts_->notices.front().startsWith(QString::fromStdString(file.string())),
             qPrintable(prompts_->notices.front()));
    QVERIFY(!w->History()->Recording());
    QVERIFY(!w->History()->RecordAction()->isChecked());
    Check(*w, QStringLiteral("no.such.host"));
    Check(*w, QStringLiteral("no.such.host"));
    QCOMPARE(w->Session()->History().Record().Sent(), 2u);
    // Ticking again tries again and says so again, once.
    w->History()->RecordAction()->trigger();
    QCOMPARE(prompts_->notices.size(), 2);
    QVERIFY(!w->History()->RecordAction()->isChecked());
    w.reset();
    QCOMPARE(Bytes(file), content);
    QVERIFY(!std::filesystem::exists(file.string() + "-wal"));
}

void TestHistoryController::commandLineChoices()
{
    const std::filesystem::path file = DefaultIn(*dir_);
    // --history=FILE in a folder that is not there: said once, nothing made.
    const std::filesystem::path missing = std::filesystem::path(dir_->path().toStdString()) / "no" / "h.sqlite";
    {
        auto w = Window({HistoryStart::Mode::Record, missing, false});
        QCOMPARE(prompts_->notices.size(), 1);
        QVERIFY(!w->History()->Recording());
        Check(*w, QStringLiteral("no.such.host"));
    }
    QVERIFY(!std::filesystem::exists(missing.parent_path()));
    // --history: the default file, folders and all.
    {
        auto w = Window({HistoryStart::Mode::Record, file});
        Check(*w, QStringLiteral("no.such.host"));
    }
    QCOMPARE(StoredHosts(file).size(), 1u);
    // --no-history: the file is there, yet nothing is recorded, and the
    // item cannot be ticked this run.
    {
        auto w = Window({HistoryStart::Mode::Never, file});
        QVERIFY(!w->History()->Recording());
        QVERIFY(!w->History()->RecordAction()->isEnabled());
        QCOMPARE(w->Edit1->text(), Addresses::kPresetHosts[0]);
        Check(*w, QStringLiteral("no.such.host"));
    }
    QCOMPARE(StoredHosts(file).size(), 1u);
    QCOMPARE(prompts_->notices.size(), 1);
}

void TestHistoryController::menusAndCtrlHOpenOneHistoryWindow()
{
    auto w = Window({HistoryStart::Mode::FollowFile, DefaultIn(*dir_)});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    HistoryController *history = w->History();
    QMenu *context = w->Session()->ContextMenu();
    QVERIFY(context->actions().contains(history->OpenAction()));
    QVERIFY(context->actions().contains(history->RecordAction()));
    // In the tray menu before the separator that keeps "Выход" apart.
    const QList<QAction *> tray = w->Session()->TrayMenu()->actions();
    const qsizetype separator = std::find_if(tray.begin(), tray.end(), [](QAction *a) { return a->isSeparator(); }) -
                                tray.begin();
    QVERIFY(tray.indexOf(history->RecordAction()) >= 0 && tray.indexOf(history->RecordAction()) < separator);
    QVERIFY(tray.indexOf(history->OpenAction()) >= 0 && tray.indexOf(history->OpenAction()) < separator);
    QCOMPARE(tray.last()->text(), QStringLiteral("Выход"));

    QCOMPARE(history->Shortcut()->key(), QKeySequence(Qt::CTRL | Qt::Key_H));
    emit history->Shortcut()->activated();
    QTRY_VERIFY(history->Window() && history->Window()->isVisible());
    HistoryWindow *first = history->Window();
    QCOMPARE(first->windowTitle(), QStringLiteral("История — Kelvora"));
    first->hide();
    history->OpenAction()->trigger();
    QCOMPARE(history->Window(), first);
    QTRY_VERIFY(first->isVisible());
    int shown = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        shown += window->isVisible() && window->windowTitle() == HistoryWindow::Title();
    QCOMPARE(shown, 1);
    // Without a file it says there is nothing yet, and creates none.
    QVERIFY(first->Problem()->isVisible());
    QVERIFY(!std::filesystem::exists(DefaultIn(*dir_).parent_path()));
}

KELVORA_UI_TEST_MAIN(TestHistoryController)
#include "tst_historycontroller.moc"
