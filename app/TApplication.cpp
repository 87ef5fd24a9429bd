// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/TApplication.h"

#include "app/ErrorText.h"
#include "app/RaiseSite.h"
#include "base/ErrorReport.h"
#include "base/Exception.h"
#include "base/Version.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <stdexcept>

namespace {

// The quit request that a close of the main window posts.
const QEvent::Type kQuitRequest = static_cast<QEvent::Type>(QEvent::registerEventType());

// Passes of the pending-events step. A pass handles what was waiting when it
// began; events posted meanwhile (a repaint after a colour change, a quit
// request after a click) are taken by the next pass. The bound only keeps
// handlers that post without end (a zero-interval timer) from holding the
// caller forever.
constexpr int kMaxPendingPasses = 16;

QIcon ApplicationIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/app/kelvora-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/app/kelvora-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/app/kelvora-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/app/kelvora.svg"));
    return icon;
}

void UseClassicLook()
{
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows"))) {
        QApplication::setStyle(style);
        QPalette palette = style->standardPalette();
        // The classic scheme's selection colour, also the progress bar's fill.
        palette.setColor(QPalette::Highlight, QColor(10, 36, 106));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        QApplication::setPalette(palette);
    }
}

// Whether the user chose a style (-style NAME, -style=NAME, or
// QT_STYLE_OVERRIDE); the toolkit takes the option out of the arguments, so
// it is looked for before the toolkit starts.
bool styleChosen = false;

char **NoteStyleChoice(int argc, char **argv)
{
    styleChosen = !qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE");
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-style" || argument == "--style" || argument.startsWith("-style=")
            || argument.startsWith("--style="))
            styleChosen = true;
    }
    return argv;
}

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, NoteStyleChoice(argc, argv))
{
    setApplicationName(QStringLiteral("Kelvora"));
    setApplicationVersion(QString::fromLatin1(kKelvoraVersion));
    setOrganizationName(QStringLiteral("Varnholt Studios"));
    setOrganizationDomain(QStringLiteral("varnholt.example"));
    setDesktopFileName(QStringLiteral("example.varnholt.Kelvora"));
    setWindowIcon(ApplicationIcon());
    // Closing the window asks the loop to end through the quit request; it
    // must not end because the last window was hidden.
    setQuitOnLastWindowClosed(false);
    // The classic look, unless the user asked for a style of their own (a
    // high-contrast one, say).
    if (!styleChosen)
        UseClassicLook();
    presenter_ = ShowMessageBox;
    SetErrorHandler([this](const std::exception &error) { ReportError(error); });
}

TApplication::~TApplication()
{
    Shutdown();
    SetErrorHandler({});
}

TApplication *TApplication::Instance()
{
    return qobject_cast<TApplication *>(QCoreApplication::instance());
}

QWidget *TApplication::CreateForm(FormFactory factory)
{
    std::unique_ptr<QWidget> form = factory();
    if (!form)
        throw EInvalidOperation("No window was built");
    QWidget *created = form.get();
    if (!mainForm_) {
        // The native window exists from here on, still hidden.
        (void)form->winId();
        mainForm_ = std::move(form);
    } else {
        form.release()->setParent(mainForm_.get(), Qt::Window);
    }
    return created;
}

void TApplication::SetStartState(bool maximized, bool minimized)
{
    startMaximized_ = maximized;
    startMinimized_ = minimized;
}

void TApplication::Run()
{
    if (mainForm_ && !terminated_) {
        Qt::WindowStates state = mainForm_->windowState();
        if (startMaximized_)
            state |= Qt::WindowMaximized;
        if (startMinimized_)
            state |= Qt::WindowMinimized;
        mainForm_->setWindowState(state);
        ShowMainForm();
        if (!terminated_)
            exec();
    }
    Shutdown();
}

void TApplication::ShowMainForm()
{
    const Qt::WindowStates state = mainForm_->windowState();
    if (state & Qt::WindowMinimized) {
        // Shown in the task bar without taking the focus from what the user
        // is doing; restoring it shows the window.
        mainForm_->setAttribute(Qt::WA_ShowWithoutActivating);
        mainForm_->showMinimized();
        return;
    }
    if (state & Qt::WindowMaximized)
        mainForm_->showMaximized();
    else
        mainForm_->show();
    mainForm_->activateWindow();
}

void TApplication::ProcessPendingEvents()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int pass = 0; pass < kMaxPendingPasses; ++pass) {
        // Posted events (repaints, quit requests) do not count as handled
        // here, so they are flushed separately below after the last pass.
        const bool handled = dispatcher != nullptr
                                 ? dispatcher->processEvents(QEventLoop::AllEvents)
                                 : false;
        QCoreApplication::sendPostedEvents();
        if (!handled)
            break;
    }
    // Make sure the window system has what was drawn before the caller
    // blocks the thread.
    QGuiApplication::sync();
}

void TApplication::Terminate()
{
    QCoreApplication::postEvent(this, new QEvent(kQuitRequest));
}

bool TApplication::event(QEvent *event)
{
    if (event->type() == kQuitRequest) {
        terminated_ = true;
        // Ends the running loop once the event in hand has been handled.
        QCoreApplication::exit(0);
        return true;
    }
    return QApplication::event(event);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        HandleException(error);
    } catch (...) {
        HandleException(std::runtime_error("Unknown error"));
    }
    return false;
}

void TApplication::ReportError(const std::exception &error)
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    const MessageBoxRequest request{MessageBoxRequest::Kind::Error, title_,
                                    WithFullStop(QString::fromUtf8(error.what()))};
    if (presenter_)
        presenter_(request);
}

void TApplication::ShowStartupError(const std::exception &error, const void *fallbackCode)
{
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString text = StartupErrorText(QString::fromUtf8(ExceptionClassName(error)), module,
                                          RaiseOffset(error, fallbackCode),
                                          QString::fromUtf8(error.what()));
    const MessageBoxRequest request{MessageBoxRequest::Kind::ApplicationError,
                                    QCoreApplication::translate("ErrorReport", "Application Error"), text};
    if (presenter_)
        presenter_(request);
}

MessageBoxPresenter TApplication::SetMessageBoxPresenter(MessageBoxPresenter presenter)
{
    MessageBoxPresenter previous = std::move(presenter_);
    presenter_ = std::move(presenter);
    return previous;
}

void TApplication::Shutdown()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->hide();
    }
    mainForm_.reset();
    QCoreApplication::removePostedEvents(this, kQuitRequest);
    terminated_ = false;
}
