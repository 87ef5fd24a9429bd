// SPDX-License-Identifier: MIT
// The main window's own handlers (exit, preset hosts, home page), the
// monitor's handlers it passes on, and the status it tells assistive
// technology.
#include "ui/TForm1.h"

#include "base/ErrorReport.h"
#include "controls/TGauge.h"
#include "ui/Addresses.h"
#include "ui/SessionController.h"
#include "ui/TLabel.h"

#include <QCoreApplication>
#include <QLineEdit>

TForm1 *Form1 = nullptr;

void TForm1::FormCreate()
{
    // The session starts with the window, before the first colour is shown;
    // should it fail to start, the monitor starts all the same.
    CallGuarded([this] {
        session_ = std::make_unique<SessionController>(
            SessionHost{this, Client(), Gauge1, {Label7, Label8, Label9, Label10, Label11},
                        [this] { return HostText(); }, [this] { Button1Click(); }},
            services_.session);
    });
    cycle_.FormCreate();
}

void TForm1::Button1Click()
{
    RequestClose();
}

void TForm1::Timer1Timer()
{
    cycle_.Timer1Timer();
}

void TForm1::SpinEdit1Change()
{
    cycle_.SpinEdit1Change();
}

void TForm1::Timer2Timer()
{
    cycle_.Timer2Timer();
}

void TForm1::Label5Click()
{
    OpenHomePage();
}

void TForm1::Image1Click()
{
    OpenHomePage();
}

void TForm1::Button2Click()
{
    SetPreset(0);
}

void TForm1::Button3Click()
{
    SetPreset(1);
}

void TForm1::Button4Click()
{
    SetPreset(2);
}

void TForm1::SetPreset(int index)
{
    const QString &host = Addresses::kPresetHosts[std::size_t(index)];
    if (Edit1->text() != host)
        Edit1->setText(host);
}

// Status for assistive technology ---------------------------------------------

QString TForm1::StatusText(TColor color)
{
    switch (color) {
    case clStatusWaiting:
        return QCoreApplication::translate("MainWindow", "Waiting for the first check");
    case clStatusChecking:
        return QCoreApplication::translate("MainWindow", "Checking the connection");
    case clStatusOnline:
        return QCoreApplication::translate("MainWindow", "Internet available");
    case clStatusOffline:
        return QCoreApplication::translate("MainWindow", "Internet unavailable");
    default:
        return {};
    }
}

void TForm1::AnnounceStatus(TColor color)
{
    QString text = StatusText(color);
    // After a failed check the reason goes with it: "Интернет недоступен:
    // Соединение отклонено".
    if (color == clStatusOffline && session_)
        if (const std::optional<QString> reason = session_->LatestFailure())
            text += QStringLiteral(": ") + *reason;
    if (text.isEmpty())
        return;
    // Colour alone would be the only sign of the status; the window's
    // description and its status bar object say it in words, announced once.
    SetAccessibleStatus(text);
}
