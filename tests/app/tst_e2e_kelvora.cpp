// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program, started as a user would, on a private X server inside a
// network namespace of its own.

#include "support/E2eDesktop.h"
#include "support/PrivateNetwork.h"

#include <QElapsedTimer>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kAnnouncingProgram = QStringLiteral(KELVORA_ANNOUNCING_EXECUTABLE);
const QString kTitle = QStringLiteral("Kelvora 1.1");
// Generous: the sanitizer build starts slowly.
constexpr int kStartMs = 30000;

QString g_noNamespace;

QPoint ExitButton(const E2eWindow &window)
{
    // "Выход" at 801, 528, 57 x 33 in the layout's client area.
    return window.geometry.topLeft() + QPoint(801 + 28, 528 + 16);
}

} // namespace

class TestE2eKelvora : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsAsAYellowWindowAndExitEndsWithZero();
    void windowManagerCloseEndsWithZero();
    void terminationSignalEndsWithZero();
    void exitClickedDuringABlockingCheckEndsAfterTheCheck();
    void terminationSignalDuringAHungCheckEndsAtOnce_data();
    void terminationSignalDuringAHungCheckEndsAtOnce();
    void signalAtAnyMomentOfStartUpEndsWithZero_data();
    void signalAtAnyMomentOfStartUpEndsWithZero();
    void theFrameIsCentredUnderAWindowManager_data();
    void theFrameIsCentredUnderAWindowManager();
    void launcherStartStates_data();
    void launcherStartStates();
    void aStyleOfTheUsersOwnWinsOverTheClassicLook_data();
    void aStyleOfTheUsersOwnWinsOverTheClassicLook();
    void withoutADisplayItSaysSoInOneLine_data();
    void withoutADisplayItSaysSoInOneLine();

private:
    std::unique_ptr<E2eDesktop> desktop_;
    std::optional<E2eWindow> Started();
    std::optional<E2eWindow> CheckingLoopback();
};

void TestE2eKelvora::initTestCase()
{
    if (!g_noNamespace.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace: ") + g_noNamespace));
    const QStringList missing = E2eDesktop::MissingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("missing tools: ") + missing.join(u' ')));
}

void TestE2eKelvora::init()
{
    desktop_ = std::make_unique<E2eDesktop>();
    QString error;
    QVERIFY2(desktop_->Start(&error), qPrintable(error));
}

void TestE2eKelvora::cleanup()
{
    desktop_.reset();
}

std::optional<E2eWindow> TestE2eKelvora::Started()
{
    desktop_->Launch(kProgram);
    return desktop_->WaitForWindow(kTitle, kStartMs);
}

void TestE2eKelvora::startsAsAYellowWindowAndExitEndsWithZero()
{
    const auto window = Started();
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));
    // The client area of the layout, centred on the 1280 x 1024 desktop by
    // the layout's outer size 871 x 640.
    QCOMPARE(window->geometry, QRect(204, 192, 863, 606));
    // A busy machine may map the window a moment before it first paints.
    const QColor yellow(255, 255, 0);
    const QImage shot = desktop_->WaitForBackground(*window, {yellow}, 10000);
    QVERIFY2(!shot.isNull(), "the window never showed its yellow start");
    for (const QPoint point : {QPoint(1, 300), QPoint(862, 300), QPoint(200, 400), QPoint(600, 450)})
        QCOMPARE(shot.pixelColor(point), yellow);

    desktop_->Click(ExitButton(*window));
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::windowManagerCloseEndsWithZero()
{
    const auto window = Started();
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));
    QVERIFY(desktop_->RequestClose(*window));
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::terminationSignalEndsWithZero()
{
    const auto window = Started();
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));
    desktop_->Program().terminate();
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::exitClickedDuringABlockingCheckEndsAfterTheCheck()
{
    StalledPort80 stalled;
    QVERIFY2(stalled.IsValid(), qPrintable(stalled.Error()));
    // The first check starts a second after start-up and hangs for about 3
    // seconds.
    const auto window = CheckingLoopback();
    QVERIFY2(window, "no check started");

    desktop_->Click(ExitButton(*window));
    QElapsedTimer afterClick;
    afterClick.start();
    // The click waits in the queue until the connection attempt gives up.
    QVERIFY(!desktop_->Program().waitForFinished(300));
    QCOMPARE(desktop_->WaitForExit(15000), std::optional<int>(0));
    QVERIFY(afterClick.elapsed() >= 300);
}

// Starts the program and gives it host 127.0.0.1 and a one-second interval;
// the window once its first check is running (orange), or none.
std::optional<E2eWindow> TestE2eKelvora::CheckingLoopback()
{
    const auto window = Started();
    if (!window)
        return std::nullopt;
    const QPoint client = window->geometry.topLeft();
    desktop_->ReplaceText(client + QPoint(96, 15), QStringLiteral("127.0.0.1"));
    desktop_->ReplaceText(client + QPoint(270, 553), QStringLiteral("1"));
    const QColor orange(255, 128, 0);
    if (desktop_->WaitForBackground(*window, {orange}, 15000).isNull())
        return std::nullopt;
    return window;
}

void TestE2eKelvora::terminationSignalDuringAHungCheckEndsAtOnce_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestE2eKelvora::terminationSignalDuringAHungCheckEndsAtOnce()
{
    QFETCH(int, signal);
    // The kernel keeps its SYN retries: left alone, the check would wait for
    // the client's limit of 21 seconds.
    StalledPort80 stalled(false);
    QVERIFY2(stalled.IsValid(), qPrintable(stalled.Error()));
    QVERIFY2(CheckingLoopback(), "no check started");
    QThread::msleep(300);
    QElapsedTimer afterSignal;
    afterSignal.start();
    QCOMPARE(::kill(pid_t(desktop_->Program().processId()), signal), 0);
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
    // Generous for the sanitizer build's slow shutdown; a check left to run
    // would take over 20 seconds.
    QVERIFY2(afterSignal.elapsed() < 3000, qPrintable(QString::number(afterSignal.elapsed())));
    qInfo("ended %lld ms after the signal", afterSignal.elapsed());
}

void TestE2eKelvora::signalAtAnyMomentOfStartUpEndsWithZero_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<double>("moment"); // share of the time from main to the mapped window
    const struct {
        const char *name;
        int number;
    } kinds[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
    for (const auto &entry : kinds) {
        for (const double moment : {0.0, 0.05, 0.1, 0.2, 0.3, 0.45, 0.6, 0.75, 0.9, 1.0, 1.2}) {
            QTest::addRow("%s at %d%% of the start-up", entry.name, int(moment * 100))
                << entry.number << moment;
        }
    }
}

void TestE2eKelvora::signalAtAnyMomentOfStartUpEndsWithZero()
{
    QFETCH(int, signal);
    QFETCH(double, moment);
    static qint64 startUpMs = 0;
    const auto launchAndAwaitMain = [this] {
        desktop_->Launch(kAnnouncingProgram);
        QProcess &program = desktop_->Program();
        program.setReadChannel(QProcess::StandardError);
        QByteArray said;
        QElapsedTimer clock;
        clock.start();
        while (!said.contains("kelvora: main\n") && clock.elapsed() < kStartMs) {
            program.waitForReadyRead(50);
            said += program.readAllStandardError();
        }
        return said.contains("kelvora: main\n");
    };
    if (startUpMs == 0) {
        // Once: how long this build takes from main to a mapped window.
        QVERIFY(launchAndAwaitMain());
        QElapsedTimer clock;
        clock.start();
        const bool mapped = bool(desktop_->WaitForWindow(kTitle, kStartMs));
        QVERIFY2(mapped,
                 qPrintable(QStringLiteral("running %1, exit %2 (%4), said: %3")
                                .arg(desktop_->Running())
                                .arg(desktop_->Program().exitCode())
                                .arg(int(desktop_->Program().exitStatus()))
                                .arg(QString::fromLocal8Bit(desktop_->Program().readAllStandardError()))));
        startUpMs = std::max<qint64>(clock.elapsed(), 1);
        qInfo("start-up takes %lld ms from main to the mapped window", startUpMs);
        desktop_->Program().terminate();
        QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
    }
    QVERIFY(launchAndAwaitMain());
    QThread::msleep(static_cast<unsigned long>(moment * double(startUpMs)));
    QCOMPARE(::kill(pid_t(desktop_->Program().processId()), signal), 0);
    QCOMPARE(desktop_->WaitForExit(15000), std::optional<int>(0));
}

void TestE2eKelvora::theFrameIsCentredUnderAWindowManager_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("scale");
    QTest::newRow("scale 1 on 1280 x 1024") << QSize(1280, 1024) << "1";
    QTest::newRow("scale 2 on 1920 x 1080") << QSize(1920, 1080) << "2";
}

void TestE2eKelvora::theFrameIsCentredUnderAWindowManager()
{
    QFETCH(QSize, screen);
    QFETCH(QString, scale);
    desktop_ = std::make_unique<E2eDesktop>();
    QString error;
    QVERIFY2(desktop_->Start(&error, screen), qPrintable(error));
    QVERIFY2(desktop_->StartWindowManager(&error), qPrintable(error));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    desktop_->Launch(kProgram, {}, environment);
    const auto window = desktop_->WaitForWindow(kTitle, kStartMs);
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));

    // The frame settles once the program has seen it.
    std::optional<QRect> frame;
    const QPoint centred = [&] {
        frame = desktop_->FrameGeometry(*window);
        return frame ? QPoint(std::max(0, (screen.width() - frame->width()) / 2),
                              std::max(0, (screen.height() - frame->height()) / 2))
                     : QPoint(-1, -1);
    }();
    QVERIFY(frame);
    QVERIFY2(frame->size() != window->geometry.size(), "the window manager put no frame around the window");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && (frame = desktop_->FrameGeometry(*window))
           && (std::abs(frame->x() - centred.x()) > 2 || std::abs(frame->y() - centred.y()) > 2))
        QThread::msleep(50);
    QVERIFY(frame);
    qInfo("frame %dx%d at %d,%d", frame->width(), frame->height(), frame->x(), frame->y());
    // The caption is never above the screen nor left of it.
    QVERIFY(frame->x() >= 0 && frame->y() >= 0);
    if (scale == QLatin1String("1")) {
        QVERIFY2(std::abs(frame->x() - centred.x()) <= 2 && std::abs(frame->y() - centred.y()) <= 2,
                 qPrintable(QStringLiteral("frame at %1,%2, centred would be %3,%4")
                                .arg(frame->x()).arg(frame->y()).arg(centred.x()).arg(centred.y())));
    }
    desktop_->Program().terminate();
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::launcherStartStates_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("maximized") << "--maximized";
    QTest::newRow("minimized, without taking the focus") << "--minimized";
}

void TestE2eKelvora::launcherStartStates()
{
    QFETCH(QString, option);
    QString error;
    QVERIFY2(desktop_->StartWindowManager(&error), qPrintable(error));
    desktop_->Launch(kProgram, {option});
    const bool minimized = option == QLatin1String("--minimized");
    const auto window = desktop_->WaitForWindow(kTitle, kStartMs, !minimized);
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));
    if (minimized) {
        QTRY_COMPARE_WITH_TIMEOUT(desktop_->WmState(*window), 3, 10000);
        QVERIFY(desktop_->FocusedWindow() != window->id);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(desktop_->AtomProperty(*window, "_NET_WM_STATE")
                                     .contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")),
                                 10000);
        QVERIFY(desktop_->AtomProperty(*window, "_NET_WM_STATE")
                    .contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ")));
        QCOMPARE(desktop_->WmState(*window), 1);
    }
    desktop_->Program().terminate();
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::aStyleOfTheUsersOwnWinsOverTheClassicLook_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("override");
    QTest::addColumn<bool>("classic");
    QTest::newRow("no choice: the classic look") << QStringList{} << QString() << true;
    QTest::newRow("-style fusion") << QStringList{"-style", "fusion"} << QString() << false;
    QTest::newRow("-style=fusion") << QStringList{"-style=fusion"} << QString() << false;
    QTest::newRow("QT_STYLE_OVERRIDE") << QStringList{} << QStringLiteral("fusion") << false;
}

void TestE2eKelvora::aStyleOfTheUsersOwnWinsOverTheClassicLook()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, override);
    QFETCH(bool, classic);
    QProcessEnvironment environment;
    if (!override.isEmpty())
        environment.insert(QStringLiteral("QT_STYLE_OVERRIDE"), override);
    desktop_->Launch(kProgram, arguments, environment);
    const auto window = desktop_->WaitForWindow(kTitle, kStartMs);
    QVERIFY2(window, qPrintable(desktop_->ProgramReport()));
    // The face of "Выход" in the classic scheme's button colour, or not,
    // once the window has painted.
    const QImage shot = desktop_->WaitForBackground(*window, {QColor(255, 255, 0)}, 10000);
    QVERIFY2(!shot.isNull(), "the window never showed its yellow start");
    const QColor face = shot.pixelColor(805, 532);
    QCOMPARE(face == QColor(212, 208, 200), classic);
    desktop_->Program().terminate();
    QCOMPARE(desktop_->WaitForExit(10000), std::optional<int>(0));
}

void TestE2eKelvora::withoutADisplayItSaysSoInOneLine_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("says");
    QTest::newRow("no display at all") << QString() << QStringLiteral("DISPLAY");
    QTest::newRow("display that is not there") << QStringLiteral(":4242") << QStringLiteral("could not connect to display");
}

void TestE2eKelvora::withoutADisplayItSaysSoInOneLine()
{
    QFETCH(QString, display);
    QFETCH(QString, says);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    program.setProcessEnvironment(environment);
    program.start(kProgram, {});
    QVERIFY(program.waitForFinished(kStartMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    const QStringList lines = error.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.front().startsWith(QStringLiteral("kelvora: ")), qPrintable(error));
    QVERIFY2(lines.front().contains(says), qPrintable(error));
}

int main(int argc, char **argv)
{
    // Before any thread exists: the namespace is per thread, and everything
    // started from here (the X server, the program) inherits it.
    if (!EnterPrivateNetwork(&g_noNamespace) && g_noNamespace.isEmpty())
        g_noNamespace = QStringLiteral("unknown reason");
    QCoreApplication application(argc, argv);
    TestE2eKelvora test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_kelvora.moc"
