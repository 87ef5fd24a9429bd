// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// End-to-end runs of the real program: a private X server, the program
// started on it, and what a user does and sees (clicks, typing, the window's
// close request, screenshots). Call EnterPrivateNetwork (tests/monitor) first
// thing in main(), so the program, whatever host it is given, can reach
// nothing but this process's own loopback.

#include <QColor>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

struct E2eWindow {
    std::uint32_t id = 0;
    QString title;
    QRect geometry; // in root-window coordinates
};

class E2eDesktop final {
public:
    E2eDesktop();
    ~E2eDesktop();
    E2eDesktop(const E2eDesktop &) = delete;
    E2eDesktop &operator=(const E2eDesktop &) = delete;

    // Tools this needs that are missing (empty when all are there).
    static QStringList MissingTools();

    // Starts Xvfb on a free display (`screen` pixels, 24 bits).
    bool Start(QString *error, QSize screen = QSize(1280, 1024));
    QString Display() const { return display_; }

    // Starts a small window manager (openbox) on the display and waits until
    // it has taken the screen.
    bool StartWindowManager(QString *error);

    // Starts `program` on the display with a clean environment: DISPLAY
    // set, no Wayland, the X11 platform, and `environment` added.
    void Launch(const QString &program, const QStringList &arguments = {},
                const QProcessEnvironment &environment = {});
    QProcess &Program() { return *program_; }
    // Waits for the program to end; its exit code, or nullopt when it did not
    // end in time or crashed.
    std::optional<int> WaitForExit(int timeoutMs);
    bool Running() const;
    // What became of the program, for a failure message: still running,
    // never started, crashed, or ended with its exit code; then what it
    // printed on standard error.
    QString ProgramReport();

    // The top-level window with exactly this title, once it is mapped (or,
    // with `mappedOnly` false, once it exists: a minimized window is not
    // mapped).
    std::optional<E2eWindow> WaitForWindow(const QString &title, int timeoutMs, bool mappedOnly = true);
    // How many top-level windows have exactly this title now; -1 when the
    // windows could not be listed.
    int WindowsTitled(const QString &title);

    // The window manager's frame around a client window (the client's
    // ancestor just below the root), in root coordinates; the client's own
    // geometry when it has no frame.
    std::optional<QRect> FrameGeometry(const E2eWindow &window);
    // The atoms named in one of the window's atom-list properties
    // ("_NET_WM_STATE"), and the window manager's state of the window
    // (WM_STATE: 1 normal, 3 iconic; 0 when unset).
    QStringList AtomProperty(const E2eWindow &window, const char *property);
    int WmState(const E2eWindow &window);
    // The window that has the input focus now (0 for none or the root).
    std::uint32_t FocusedWindow();

    QImage Screenshot();
    // The window's area of a fresh screenshot.
    QImage Shot(const E2eWindow &window);
    // The first shot of the main window whose background (the form's own
    // pixel at 1,300) is one of `colours`, taken again and again for up to
    // `timeoutMs`; a null image when none was.
    QImage WaitForBackground(const E2eWindow &window, const QList<QColor> &colours, int timeoutMs);

    void Click(QPoint screen);
    // Clicks into the text field at `field`, selects its text and types
    // `text` over it.
    void ReplaceText(QPoint field, const QString &text);
    void Type(const QString &text);
    // Presses a key combination ("ctrl+i") in the focused window; true when
    // it could be sent.
    bool PressKeys(const QString &keys);
    // Asks the window to close as a window manager's close box does
    // (WM_DELETE_WINDOW).
    bool RequestClose(const E2eWindow &window);

private:
    bool RunTool(const QString &tool, const QStringList &arguments, QByteArray *output = nullptr,
                 int timeoutMs = 10000);

    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    std::unique_ptr<QProcess> program_;
    QString display_;
};

class SilentPort;

// Port 80 on 127.0.0.1 of the private network made so that connecting hangs
// (a SilentPort). With `cutRetries` the kernel's SYN retries are cut to one,
// so a connect gives up after about 3 seconds; otherwise it waits for the
// client's own limit.
class StalledPort80 final {
public:
    explicit StalledPort80(bool cutRetries = true);
    ~StalledPort80();
    StalledPort80(const StalledPort80 &) = delete;
    StalledPort80 &operator=(const StalledPort80 &) = delete;

    bool IsValid() const { return port_ != nullptr; }
    QString Error() const { return error_; }

private:
    std::unique_ptr<SilentPort> port_;
    QString error_;
};
