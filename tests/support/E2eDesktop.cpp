// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/E2eDesktop.h"

#include "support/LoopbackListener.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kPollMs = 100;

xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

E2eDesktop::E2eDesktop() = default;

E2eDesktop::~E2eDesktop()
{
    for (auto *process : {program_.get(), windowManager_.get()}) {
        if (process != nullptr && process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    // A killed X server leaves its lock and socket behind; asked to end, it
    // removes them.
    if (server_ && server_->state() != QProcess::NotRunning) {
        server_->terminate();
        if (!server_->waitForFinished(5000)) {
            server_->kill();
            server_->waitForFinished(5000);
        }
    }
}

QStringList E2eDesktop::MissingTools()
{
    QStringList missing;
    for (const char *tool : {"Xvfb", "xwininfo", "xprop", "xdotool", "import", "openbox"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            missing << QString::fromLatin1(tool);
    }
    return missing;
}

bool E2eDesktop::Start(QString *error, QSize screen)
{
    const QString size = QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height());
    // A display number of its own, taken with the server's lock file. Left
    // to pick one itself (-displayfd alone), a server takes no lock, and two
    // servers in different network namespaces can end up on the same number,
    // sharing one socket path.
    const int base = 100 + int(QCoreApplication::applicationPid() % 400) * 2;
    for (int attempt = 0; attempt < 40; ++attempt) {
        const QString display = QStringLiteral(":%1").arg(base + attempt);
        server_ = std::make_unique<QProcess>();
        server_->setProcessChannelMode(QProcess::SeparateChannels);
        // -displayfd: the server writes its number once it takes clients.
        // -noreset: by default the server resets itself whenever its last
        // client leaves, and refuses connections while it does. Until the
        // program has connected, every look at the window list (xwininfo)
        // is that last client, and a busy machine lost one start in a few
        // dozen that way ("could not connect to display").
        server_->start(QStringLiteral("Xvfb"),
                       {display, QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                        QStringLiteral("-screen"), QStringLiteral("0"), size, QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        QByteArray number;
        const QDeadlineTimer deadline(20000);
        while (!number.contains('\n') && !deadline.hasExpired()) {
            if (!server_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
                break;
            number += server_->readAllStandardOutput();
        }
        if (number.contains('\n')) {
            display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
            return true;
        }
        const QByteArray said = server_->readAllStandardError();
        server_->waitForFinished(2000);
        if (!said.contains("already active")) {
            *error = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(said);
            return false;
        }
    }
    *error = QStringLiteral("Xvfb found no free display");
    return false;
}

bool E2eDesktop::StartWindowManager(QString *error)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    windowManager_ = std::make_unique<QProcess>();
    windowManager_->setProcessEnvironment(environment);
    windowManager_->start(QStringLiteral("openbox"), {});
    // A window manager announces itself on the root window.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QByteArray said;
        if (RunTool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, &said)
            && said.contains("window id"))
            return true;
        if (windowManager_->state() == QProcess::NotRunning)
            break;
        QThread::msleep(kPollMs);
    }
    *error = QStringLiteral("openbox did not start (%1, exit %2): %3")
                 .arg(windowManager_->state() == QProcess::NotRunning ? "ended" : "running")
                 .arg(windowManager_->exitCode())
                 .arg(QString::fromLocal8Bit(windowManager_->readAllStandardError()));
    return false;
}

std::optional<QRect> E2eDesktop::FrameGeometry(const E2eWindow &window)
{
    xcb_connection_t *connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    std::optional<QRect> frame;
    if (!xcb_connection_has_error(connection)) {
        xcb_window_t current = window.id;
        while (true) {
            xcb_query_tree_reply_t *tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr);
            if (tree == nullptr)
                break;
            const bool topmost = tree->parent == tree->root || tree->parent == XCB_NONE;
            const xcb_window_t parent = tree->parent;
            const xcb_window_t root = tree->root;
            std::free(tree);
            if (topmost) {
                xcb_get_geometry_reply_t *geometry =
                    xcb_get_geometry_reply(connection, xcb_get_geometry(connection, current), nullptr);
                xcb_translate_coordinates_reply_t *at = xcb_translate_coordinates_reply(
                    connection, xcb_translate_coordinates(connection, current, root, 0, 0), nullptr);
                if (geometry != nullptr && at != nullptr)
                    frame = QRect(at->dst_x, at->dst_y, geometry->width, geometry->height);
                std::free(geometry);
                std::free(at);
                break;
            }
            current = parent;
        }
    }
    xcb_disconnect(connection);
    return frame;
}

QStringList E2eDesktop::AtomProperty(const E2eWindow &window, const char *property)
{
    QByteArray said;
    if (!RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.id),
                                           QString::fromLatin1(property)}, &said))
        return {};
    // _NET_WM_STATE(ATOM) = _NET_WM_STATE_MAXIMIZED_VERT, _NET_WM_STATE_MAXIMIZED_HORZ
    const int equals = said.indexOf('=');
    if (equals < 0)
        return {};
    QStringList atoms;
    for (const QByteArray &atom : said.mid(equals + 1).split(',')) {
        if (!atom.trimmed().isEmpty())
            atoms << QString::fromLatin1(atom.trimmed());
    }
    return atoms;
}

int E2eDesktop::WmState(const E2eWindow &window)
{
    QByteArray said;
    if (!RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.id),
                                           QStringLiteral("WM_STATE")}, &said))
        return 0;
    if (said.contains("window state: Normal"))
        return 1;
    if (said.contains("window state: Iconic"))
        return 3;
    return 0;
}

std::uint32_t E2eDesktop::FocusedWindow()
{
    xcb_connection_t *connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    std::uint32_t focused = 0;
    if (!xcb_connection_has_error(connection)) {
        xcb_get_input_focus_reply_t *reply =
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
        if (reply != nullptr && reply->focus > XCB_INPUT_FOCUS_POINTER_ROOT)
            focused = reply->focus;
        std::free(reply);
    }
    xcb_disconnect(connection);
    return focused;
}

void E2eDesktop::Launch(const QString &program, const QStringList &arguments,
                        const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(extra);
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program_ = std::make_unique<QProcess>();
    program_->setProcessEnvironment(environment);
    program_->start(program, arguments);
}

bool E2eDesktop::Running() const
{
    // Without an event loop the process object learns of the end only when
    // it is asked.
    if (program_ && program_->state() != QProcess::NotRunning)
        program_->waitForFinished(0);
    return program_ && program_->state() != QProcess::NotRunning;
}

std::optional<int> E2eDesktop::WaitForExit(int timeoutMs)
{
    if (!program_->waitForFinished(timeoutMs) || program_->exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return program_->exitCode();
}

QString E2eDesktop::ProgramReport()
{
    if (!program_)
        return QStringLiteral("the program was never launched");
    QString state;
    if (Running())
        state = QStringLiteral("the program is still running");
    else if (program_->error() == QProcess::FailedToStart)
        state = QStringLiteral("the program could not start: ") + program_->errorString();
    else if (program_->exitStatus() == QProcess::CrashExit)
        state = QStringLiteral("the program crashed");
    else
        state = QStringLiteral("the program ended with exit code %1").arg(program_->exitCode());
    const QByteArray printed = program_->readAllStandardError();
    return printed.isEmpty() ? state : state + QStringLiteral("; it printed:\n") + QString::fromLocal8Bit(printed);
}

bool E2eDesktop::RunTool(const QString &tool, const QStringList &arguments, QByteArray *output,
                         int timeoutMs)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output != nullptr)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::optional<E2eWindow> E2eDesktop::WaitForWindow(const QString &title, int timeoutMs, bool mappedOnly)
{
    // A line of `xwininfo -root -tree`:  0x200006 "Kelvora 1.1": ("kelvora" "Kelvora")  863x606+204+192  +204+192
    const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"%1\": .*?\\s(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)\\s")
            .arg(QRegularExpression::escape(title)),
        QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QByteArray tree;
        if (RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, &tree)) {
            const QRegularExpressionMatch match = line.match(QString::fromUtf8(tree));
            if (match.hasMatch()) {
                E2eWindow window;
                window.id = match.captured(1).toUInt(nullptr, 16);
                window.title = title;
                window.geometry = QRect(match.captured(4).toInt(), match.captured(5).toInt(),
                                        match.captured(2).toInt(), match.captured(3).toInt());
                QByteArray info;
                // Only a mapped (viewable) window counts.
                if (!mappedOnly
                    || (RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), match.captured(1)}, &info)
                        && info.contains("IsViewable")))
                    return window;
            }
        }
        if (!Running())
            return std::nullopt;
        QThread::msleep(kPollMs);
    }
    return std::nullopt;
}

QImage E2eDesktop::Screenshot()
{
    QByteArray png;
    if (!RunTool(QStringLiteral("import"),
                 {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")}, &png))
        return {};
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

int E2eDesktop::WindowsTitled(const QString &title)
{
    QByteArray tree;
    if (!RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, &tree))
        return -1;
    const QRegularExpression line(QStringLiteral("^\\s*0x[0-9a-f]+ \"%1\": ").arg(QRegularExpression::escape(title)),
                                  QRegularExpression::MultilineOption);
    int count = 0;
    for (auto it = line.globalMatch(QString::fromUtf8(tree)); it.hasNext(); it.next())
        ++count;
    return count;
}

QImage E2eDesktop::Shot(const E2eWindow &window)
{
    return Screenshot().copy(window.geometry);
}

QImage E2eDesktop::WaitForBackground(const E2eWindow &window, const QList<QColor> &colours, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        QImage shot = Shot(window);
        if (colours.contains(shot.pixelColor(1, 300)))
            return shot;
    } while (!deadline.hasExpired());
    return QImage();
}

void E2eDesktop::Click(QPoint screen)
{
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.x()),
                                        QString::number(screen.y()), QStringLiteral("click"),
                                        QStringLiteral("1")});
}

void E2eDesktop::ReplaceText(QPoint field, const QString &text)
{
    // Not a triple click: a busy program can let the field's triple-click
    // timer run out between the second click and the third and take the
    // third for a plain click, which leaves the old text in. Keys reach the
    // field in order however late the program reads them.
    Click(field);
    PressKeys(QStringLiteral("ctrl+a"));
    Type(text);
}

void E2eDesktop::Type(const QString &text)
{
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                        QStringLiteral("30"), text});
}

bool E2eDesktop::PressKeys(const QString &keys)
{
    return RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

bool E2eDesktop::RequestClose(const E2eWindow &window)
{
    xcb_connection_t *connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window.id;
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    // Checked: the reply is a round trip, so the server has delivered the
    // message before the connection closes (closing at once may drop it).
    const xcb_void_cookie_t cookie =
        xcb_send_event_checked(connection, 0, window.id, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char *>(&message));
    xcb_generic_error_t *error = xcb_request_check(connection, cookie);
    const bool sent = error == nullptr;
    std::free(error);
    xcb_disconnect(connection);
    return sent;
}

StalledPort80::StalledPort80(bool cutRetries)
{
    QFile retries(QStringLiteral("/proc/sys/net/ipv4/tcp_syn_retries"));
    if (!retries.open(QIODevice::WriteOnly) || retries.write(cutRetries ? "1\n" : "6\n") != 2) {
        error_ = QStringLiteral("cannot set the SYN retries: ") + retries.errorString();
        return;
    }
    retries.close();
    try {
        port_ = std::make_unique<SilentPort>(80);
    } catch (const std::exception &error) {
        error_ = QStringLiteral("stalling 127.0.0.1:80: ") + QString::fromLocal8Bit(error.what());
    }
}

StalledPort80::~StalledPort80() = default;
