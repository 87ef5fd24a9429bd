// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The main window's own handlers (exit, preset hosts, home page), the
// monitor's handlers it passes on, and the status it tells assistive
// technology.
#include "ui/TForm1.h"

#include "base/ErrorReport.h"
#include "controls/TGauge.h"
#include "ui/Addresses.h"
#include "ui/AutostartEntry.h"
#include "ui/SessionController.h"
#include "ui/TLabel.h"
#include "ui/TrayRun.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>

#include <chrono>
#include <cstdint>
#include <optional>

TForm1 *Form1 = nullptr;

void TForm1::FormCreate()
{
    // The history and the session start with the window, before the first
    // colour is shown; should either fail to start, the monitor starts all
    // the same.
    StartHistory();
    CallGuarded([this] {
        session_ = std::make_unique<SessionController>(
            SessionHost{this, Client(), Gauge1, {Label7, Label8, Label9, Label10, Label11},
                        [this] { return HostText(); }, [this] { Button1Click(); }},
            services_.session);
        session_->SetOnFamilyChosen([this](FamilyChoice choice) { probe_->SetFamilyChoice(choice); });
        if (history_)
            history_->AddMenuItems(*session_->ContextMenu(), *session_->TrayMenu());
    });
    StartTrayFeatures();
    cycle_.FormCreate();
}

void TForm1::StartTrayFeatures()
{
    CallGuarded([this] {
        if (!session_)
            return;
        autostart_ = std::make_unique<AutostartItem>(services_.autostartFile, [this](const QString &line) {
            auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Kelvora"),
                                        QCoreApplication::translate("HistoryMenus", "Could not change starting at login.\n%1").arg(line),
                                        QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowModality(Qt::NonModal);
            box->show();
        });
        autostart_->AddMenuItems(*session_->ContextMenu(), *session_->TrayMenu());
        if (services_.trayRun && session_->Tray() != nullptr)
            trayRun_ = std::make_unique<TrayRun>(*this);
    });
}

void TForm1::StartHistory()
{
    CallGuarded([this] {
        history_ = std::make_unique<HistoryController>(services_.history, services_.historyServices, this);
        // A restart goes on with the record it left: the same host, every
        // as many seconds.
        if (const std::optional<WatchedTarget> watched = history_->LastWatched())
            ContinueWith(*watched);
    });
}

void TForm1::ContinueWith(const WatchedTarget &watched)
{
    if (!watched.host.empty())
        Edit1->setText(QString::fromStdString(watched.host));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(watched.interval);
    if (watched.interval.count() <= 0 || seconds != watched.interval || seconds.count() > INT32_MAX)
        return;
    // The monitor is not running yet: FormCreate takes the interval from
    // the field, so the field's change handler stays out of it.
    TSpinEdit::TNotifyEvent onChange = SpinEdit1->OnChange();
    SpinEdit1->SetOnChange({});
    SpinEdit1->SetValue(std::int32_t(seconds.count()));
    SpinEdit1->SetOnChange(std::move(onChange));
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
