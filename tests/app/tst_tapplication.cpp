// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ApplicationTestMain.h"

#include "app/Program.h"
#include "app/RaiseSite.h"
#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "base/TTimer.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QtTest>

#include <stdexcept>
#include <vector>

namespace {

const QEvent::Type kCounted = QEvent::Type(QEvent::registerEventType());
const QEvent::Type kRaising = QEvent::Type(QEvent::registerEventType());

// What happened to the test's main windows, in order.
QStringList &Log()
{
    static QStringList log;
    return log;
}

// A main window that logs being shown, hidden and destroyed and runs
// `script` once the event loop has started.
class LoggingWindow final : public QWidget {
public:
    explicit LoggingWindow(std::function<void()> script)
    {
        QTimer::singleShot(10, this, [script] { CallGuarded(script); });
    }
    ~LoggingWindow() override { Log() << QStringLiteral("destroyed"); }

protected:
    void showEvent(QShowEvent *) override { Log() << QStringLiteral("shown"); }
    void hideEvent(QHideEvent *) override { Log() << QStringLiteral("hidden"); }
};

// A receiver that counts kCounted events; the first one posts another.
class Counter final : public QObject {
public:
    int count = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != kCounted)
            return QObject::event(event);
        if (++count == 1)
            QCoreApplication::postEvent(this, new QEvent(kCounted));
        return true;
    }
};

// An event override that lets an error escape.
class Raising final : public QObject {
protected:
    bool event(QEvent *event) override
    {
        if (event->type() == kRaising)
            throw EInvalidOperation("Raised by an event override");
        return QObject::event(event);
    }
};

class PaintCounter final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

TApplication &App()
{
    return *TApplication::Instance();
}

std::unique_ptr<QWidget> QuitsAfterPendingEvents()
{
    return std::make_unique<LoggingWindow>([] {
        App().Terminate();
        App().ProcessPendingEvents();
        Log() << QStringLiteral("handler went on, terminated %1").arg(App().Terminated());
    });
}

std::unique_ptr<QWidget> QuitsTwice()
{
    return std::make_unique<LoggingWindow>([] {
        App().Terminate();
        App().Terminate();
        Log() << QStringLiteral("asked twice");
    });
}

std::unique_ptr<QWidget> LogsThenQuits()
{
    return std::make_unique<LoggingWindow>([] {
        Log() << QStringLiteral("second run handler");
        App().Terminate();
    });
}

[[gnu::noinline]] std::unique_ptr<QWidget> FailsWithOwnError()
{
    throw EInvalidOperation("Bad layout");
}

[[gnu::noinline]] std::unique_ptr<QWidget> FailsWithStandardError()
{
    throw std::runtime_error("Disk on fire");
}

[[gnu::noinline]] std::unique_ptr<QWidget> FailsInsideTheRuntime()
{
    // std::vector::at raises from inside the C++ runtime library.
    const std::vector<int> none;
    (void)none.at(1);
    return nullptr;
}

[[gnu::noinline]] std::unique_ptr<QWidget> FailsWithFullStopText()
{
    throw EOutOfResources("Out of memory.");
}

[[gnu::noinline]] std::unique_ptr<QWidget> FailsWithNonStandardObject()
{
    throw 42;
}

} // namespace

class TestTApplication : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void metadataAndTitle();
    void escapedErrorGoesToBoxWithTitleAndFullStop();
    void errorReportReleasesPointerCapture();
    void realErrorBoxIsApplicationModalWithStopIconAndOk();
    void timerHandlerErrorIsShownAndLoopGoesOn_data();
    void timerHandlerErrorIsShownAndLoopGoesOn();
    void errorEscapingAnEventOverrideIsShown();
    void pendingEventsStepHandlesWhatIsWaiting();
    void quitRequestInPendingEventsOnlySetsTheFlag();
    void runEndsAfterTheHandlerThatTookTheQuitRequest();
    void secondQuitRequestChangesNothing();
    void startupFailureShowsApplicationErrorAndEndsWithOne_data();
    void startupFailureShowsApplicationErrorAndEndsWithOne();
};

void TestTApplication::init()
{
    RecordBoxes(App());
    Log().clear();
    App().SetTitle(QStringLiteral("Kelvora"));
}

void TestTApplication::cleanup()
{
    RecordBoxes(App());
}

void TestTApplication::metadataAndTitle()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Kelvora"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.1.0.0"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Varnholt Studios"));
    QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("varnholt.example"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Kelvora"));
    QVERIFY(!QGuiApplication::windowIcon().isNull());
    QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("windows"));
}

void TestTApplication::escapedErrorGoesToBoxWithTitleAndFullStop()
{
    const bool finished = CallGuarded([] { throw EOutOfResources("Not enough timers available"); });
    QVERIFY(!finished);
    QCOMPARE(RecordedBoxes().size(), 1u);
    const MessageBoxRequest &box = RecordedBoxes().front();
    QCOMPARE(box.kind, MessageBoxRequest::Kind::Error);
    QCOMPARE(box.caption, QStringLiteral("Kelvora"));
    QCOMPARE(box.text, QStringLiteral("Not enough timers available."));
}

void TestTApplication::errorReportReleasesPointerCapture()
{
    QWidget window;
    window.resize(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.grabMouse();
    QCOMPARE(QWidget::mouseGrabber(), &window);
    HandleException(EInvalidOperation("Captured"));
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QCOMPARE(RecordedBoxes().size(), 1u);
}

void TestTApplication::realErrorBoxIsApplicationModalWithStopIconAndOk()
{
    QWidget window;
    auto *field = new QLineEdit(&window);
    auto *button = new QPushButton(QStringLiteral("Other"), &window);
    button->move(0, 40);
    int otherClicks = 0;
    connect(button, &QPushButton::clicked, this, [&] { ++otherClicks; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    field->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), field);

    App().SetMessageBoxPresenter(ShowMessageBox);
    struct Seen {
        bool found = false;
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        Qt::WindowModality modality = Qt::NonModal;
    } seen;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->windowModality()};
        // The other window takes no input while the box is open (the click
        // goes through the window system, like a user's).
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        box->button(QMessageBox::Ok)->click();
    });
    HandleException(EInvalidOperation("TProgressBar property out of range"));

    QVERIFY(seen.found);
    QCOMPARE(seen.caption, QStringLiteral("Kelvora"));
    QCOMPARE(seen.text, QStringLiteral("TProgressBar property out of range."));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QCOMPARE(otherClicks, 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QTRY_COMPARE(QApplication::focusWidget(), field);
}

void TestTApplication::timerHandlerErrorIsShownAndLoopGoesOn_data()
{
    QTest::addColumn<bool>("stopsBeforeRaising");
    QTest::newRow("handler stopped its timer, then raised") << true;
    QTest::newRow("handler raised with its timer running") << false;
}

void TestTApplication::timerHandlerErrorIsShownAndLoopGoesOn()
{
    QFETCH(bool, stopsBeforeRaising);
    TTimer timer;
    int ticks = 0;
    int afterRaise = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&] {
        if (++ticks == 1) {
            if (stopsBeforeRaising)
                timer.SetEnabled(false);
            throw EOutOfResources("Not enough timers available");
        }
        ++afterRaise;
    });
    QTRY_COMPARE(RecordedBoxes().size(), 1u);
    QCOMPARE(RecordedBoxes().front().text, QStringLiteral("Not enough timers available."));
    QCOMPARE(timer.Interval(), 10u);
    if (stopsBeforeRaising) {
        QCOMPARE(timer.Enabled(), false);
        // Nothing to wait for: a stopped timer must stay silent.
        QTest::qWait(100);
        QCOMPARE(ticks, 1);
    } else {
        QCOMPARE(timer.Enabled(), true);
        QTRY_VERIFY(afterRaise >= 2);
    }
}

void TestTApplication::errorEscapingAnEventOverrideIsShown()
{
    Raising raising;
    Counter counter;
    QCoreApplication::postEvent(&raising, new QEvent(kRaising));
    QCoreApplication::postEvent(&counter, new QEvent(kCounted));
    App().ProcessPendingEvents();
    QCOMPARE(RecordedBoxes().size(), 1u);
    QCOMPARE(RecordedBoxes().front().text, QStringLiteral("Raised by an event override."));
    // The event after the failed one was still handled.
    QCOMPARE(counter.count, 2);
}

void TestTApplication::pendingEventsStepHandlesWhatIsWaiting()
{
    PaintCounter window;
    window.resize(80, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.paints > 0);
    App().ProcessPendingEvents();

    Counter counter;
    bool timerTicked = false;
    QTimer::singleShot(0, this, [&] { timerTicked = true; });
    QCoreApplication::postEvent(&counter, new QEvent(kCounted));
    const int paintsBefore = window.paints;
    window.update();
    App().ProcessPendingEvents();

    QVERIFY(timerTicked);
    // Including the event its handler posted while the step ran.
    QCOMPARE(counter.count, 2);
    QVERIFY(window.paints > paintsBefore);
}

void TestTApplication::quitRequestInPendingEventsOnlySetsTheFlag()
{
    // A fresh run: a new main window clears the flag.
    App().CreateForm([] { return std::make_unique<QWidget>(); });
    QVERIFY(!App().Terminated());
    App().Terminate();
    QVERIFY(!App().Terminated());
    App().ProcessPendingEvents();
    QVERIFY(App().Terminated());
    QVERIFY(App().MainForm() != nullptr);
    App().Shutdown();
    QCOMPARE(App().MainForm(), nullptr);
}

void TestTApplication::runEndsAfterTheHandlerThatTookTheQuitRequest()
{
    const int code = RunProgram(App(), QuitsAfterPendingEvents);
    QCOMPARE(code, 0);
    QCOMPARE(Log(), (QStringList{"shown", "handler went on, terminated 1", "hidden", "destroyed"}));
    QCOMPARE(App().MainForm(), nullptr);
    QVERIFY(RecordedBoxes().empty());
}

void TestTApplication::secondQuitRequestChangesNothing()
{
    QCOMPARE(RunProgram(App(), QuitsTwice), 0);
    QCOMPARE(Log(), (QStringList{"shown", "asked twice", "hidden", "destroyed"}));
    // The second request does not outlive the run it was made in.
    Log().clear();
    QCOMPARE(RunProgram(App(), LogsThenQuits), 0);
    QCOMPARE(Log(), (QStringList{"shown", "second run handler", "hidden", "destroyed"}));
}

void TestTApplication::startupFailureShowsApplicationErrorAndEndsWithOne_data()
{
    QTest::addColumn<void *>("factory");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("raiseSiteKnown");
    const auto row = [](const char *name, TApplication::FormFactory factory, const char *className,
                        const char *message, bool known) {
        QTest::newRow(name) << reinterpret_cast<void *>(factory) << QString::fromUtf8(className)
                            << QString::fromUtf8(message) << known;
    };
    row("program's own error", FailsWithOwnError, "EInvalidOperation", "Bad layout.", true);
    row("standard error", FailsWithStandardError, "Exception", "Disk on fire.", true);
    row("text ending in a full stop", FailsWithFullStopText, "EOutOfResources", "Out of memory.", true);
    row("raised inside the C++ runtime", FailsInsideTheRuntime, "Exception", "", false);
    row("not an error object", FailsWithNonStandardObject, "Exception", "Unknown error.", false);
}

void TestTApplication::startupFailureShowsApplicationErrorAndEndsWithOne()
{
    QFETCH(void *, factory);
    QFETCH(QString, className);
    QFETCH(QString, message);
    QFETCH(bool, raiseSiteKnown);
    const auto create = reinterpret_cast<TApplication::FormFactory>(factory);

    QCOMPARE(RunProgram(App(), create), 1);
    QCOMPARE(App().MainForm(), nullptr);
    QCOMPARE(RecordedBoxes().size(), 1u);
    const MessageBoxRequest &box = RecordedBoxes().front();
    QCOMPARE(box.kind, MessageBoxRequest::Kind::ApplicationError);
    QCOMPARE(box.caption, QStringLiteral("Application Error"));

    const QRegularExpression pattern(
        QStringLiteral("^Exception (\\w+) in module tst_tapplication at ([0-9A-F]{8})\\.\r\n(.*)\r\n$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(box.text);
    QVERIFY2(match.hasMatch(), qPrintable(box.text));
    QCOMPARE(match.captured(1), className);
    if (!message.isEmpty())
        QCOMPARE(match.captured(3), message);
    else
        QVERIFY(match.captured(3).endsWith(u'.'));

    // The address is where the failing code raised the error, counted from
    // the start of the program's image; when that is unknown, the code that
    // was building the window stands in.
    const quint32 address = match.captured(2).toUInt(nullptr, 16);
    const quint32 factoryStart = ImageOffsetOf(factory);
    QVERIFY(factoryStart != 0);
    if (raiseSiteKnown) {
        QVERIFY2(address > factoryStart && address < factoryStart + 512,
                 qPrintable(QStringLiteral("%1 not inside the factory at %2")
                                .arg(address, 0, 16).arg(factoryStart, 0, 16)));
    } else {
        QCOMPARE(address, factoryStart);
    }
}

KELVORA_TEST_MAIN(TestTApplication)
#include "tst_tapplication.moc"
