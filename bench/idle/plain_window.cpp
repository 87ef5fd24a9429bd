// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The baseline of the idle benchmark: a plain Qt window of Kelvora's client
// size that does, once a second, what an idle Kelvora window visibly does:
// a progress bar and a label move on by one step, and a focused text field
// blinks its cursor. Nothing is painted by hand; every widget is the
// toolkit's own with the default style.
//
//   plain_window            (runs until it is closed or killed)

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace {

// Kelvora's client area and countdown at their defaults.
constexpr QSize kClientSize(863, 606);
constexpr int kIntervalSeconds = 30;

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Plain window"));
    window.resize(kClientSize);

    auto *host = new QLineEdit(QStringLiteral("127.0.0.1"), &window);
    host->setGeometry(40, 5, 113, 21);
    auto *seconds = new QLabel(&window);
    seconds->setGeometry(8, 64, 200, 29);
    auto *bar = new QProgressBar(&window);
    bar->setGeometry(8, 568, 850, 33);
    bar->setRange(0, kIntervalSeconds);
    bar->setValue(0);
    bar->setTextVisible(false);

    int elapsed = 0;
    const auto show = [&] {
        seconds->setText(QStringLiteral("%1 с").arg(elapsed));
        bar->setValue(elapsed);
    };
    show();
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        elapsed = elapsed < kIntervalSeconds ? elapsed + 1 : 0;
        show();
    });
    tick.start();

    window.show();
    window.activateWindow();
    host->setFocus(Qt::OtherFocusReason);
    return application.exec();
}
