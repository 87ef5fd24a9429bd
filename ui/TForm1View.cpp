// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The view operations through which the monitor cycle and the probe act on
// the main window, each passed to the component that holds it.
#include "ui/TForm1.h"

#include "base/ErrorReport.h"
#include "base/TTimer.h"
#include "controls/TGauge.h"
#include "ui/FormHost.h"
#include "ui/SessionController.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"

#include <QCoreApplication>
#include <QLineEdit>

#include <algorithm>
#include <chrono>

void TForm1::SetWindowColor(TColor color)
{
    SetColor(color);
    AnnounceStatus(color);
    // The session's share is an addition: whatever befalls it, the status
    // is shown as ever.
    if (session_)
        CallGuarded([&] { session_->StatusColorChanged(color); });
}

void TForm1::SetGaugeBackColor(TColor color)
{
    Gauge1->SetBackColor(color);
}

std::int32_t TForm1::IntervalValue()
{
    return SpinEdit1->Value();
}

void TForm1::SetCheckTimerInterval(std::uint32_t milliseconds)
{
    Timer1->SetInterval(milliseconds);
}

void TForm1::SetCheckTimerEnabled(bool enabled)
{
    Timer1->SetEnabled(enabled);
}

void TForm1::SetTickTimerEnabled(bool enabled)
{
    Timer2->SetEnabled(enabled);
}

std::int32_t TForm1::ProgressBarMax()
{
    return ProgressBar1->Max();
}

void TForm1::SetProgressBarMax(std::int32_t value)
{
    ProgressBar1->SetMax(value);
}

void TForm1::SetProgressBarPosition(std::int32_t value)
{
    ProgressBar1->SetPosition(value);
}

std::int32_t TForm1::GaugeMaxValue()
{
    return Gauge1->MaxValue();
}

void TForm1::SetGaugeMaxValue(std::int32_t value)
{
    Gauge1->SetMaxValue(value);
}

void TForm1::SetGaugeProgress(std::int32_t value)
{
    Gauge1->SetProgress(value);
}

void TForm1::ProcessPendingEvents()
{
    if (FormHost *host = FormHost::Current())
        host->ProcessPendingEvents();
    else
        QCoreApplication::processEvents();
}

bool TForm1::CheckConnection()
{
    const bool ok = probe_->CheckConnection();
    if (session_)
        CallGuarded([this] { session_->CheckFinished(probe_->LastResult()); });
    if (history_)
        CallGuarded([this] {
            // Every check of the window goes to port 80, every as many
            // seconds as the field says.
            constexpr std::uint16_t kWindowPort = 80;
            const std::int64_t seconds = std::max<std::int32_t>(0, SpinEdit1->Value());
            history_->CheckFinished(HostText(), kWindowPort, std::chrono::seconds(seconds), probe_->LastResult());
        });
    return ok;
}

QString TForm1::HostText()
{
    return Edit1->text();
}

void TForm1::SetReadoutCaption(ReadoutLabel label, const QString &text)
{
    switch (label) {
    case ReadoutLabel::Label7:
        Label7->SetCaption(text);
        break;
    case ReadoutLabel::Label8:
        Label8->SetCaption(text);
        break;
    case ReadoutLabel::Label9:
        Label9->SetCaption(text);
        break;
    case ReadoutLabel::Label10:
        Label10->SetCaption(text);
        break;
    case ReadoutLabel::Label11:
        Label11->SetCaption(text);
        break;
    }
}
