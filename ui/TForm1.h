// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// The program's main window (unit Unit1): the fixed layout of the monitor's
// window, its small handlers and the view operations through which the
// monitor cycle and the connectivity probe show their state.

#include "base/TTimer.h"
#include "controls/TBltBitmap.h"
#include "controls/TSpinEdit.h"
#include "monitor/ConnectivityProbe.h"
#include "monitor/MonitorCycle.h"
#include "monitor/MonitorView.h"
#include "monitor/ProbeView.h"
#include "ui/AutostartEntry.h"
#include "ui/HistoryController.h"
#include "ui/LayoutScaling.h"
#include "ui/SessionController.h"
#include "ui/TForm.h"
#include "ui/TrayRun.h"

#include <memory>

class QLineEdit;
class TButton;
class TGauge;
class TIdHTTP;
class TImage;
class TLabel;
class TProgressBar;

// The interval field of the layout.
using IntervalField = TSpinEdit;

// What the main window is built with beyond its layout: how its timers (and
// the interval field's) are armed, and where its session shows itself. The
// defaults are the real ones; tests pass fakes.
struct Form1Services {
    TTimer::Arming timerArming; // empty: the toolkit's timers
    ImageAllocator gaugeImages; // empty: QImage's own
    SessionServices session = SessionServices::Desktop();
    // Without a file named here the window records nothing.
    HistoryStart history;
    HistoryServices historyServices;
    // The autostart entry's place; empty: the item cannot be ticked.
    std::filesystem::path autostartFile;
    // Started with --tray: minimizing hides the window to the tray.
    bool trayRun = false;
};

// Building the window loads the whole layout (controls in creation order,
// then Timer1, IdHTTP1 and Timer2, which brings up the socket stack), sizes
// the labels to their texts and runs FormCreate; the window is hidden until
// the application shows it. An error raised while the window is built
// propagates (the socket stack failing to start, for one); one raised by
// FormCreate is reported and creation goes on.
//
// The components are owned by the window and destroyed with it.
class TForm1 final : public TForm, public MonitorView, public ProbeView {
    Q_OBJECT
public:
    explicit TForm1(Form1Services services = {});
    ~TForm1() override;

    // Components, in declaration order.
    TLabel *Label1 = nullptr;
    IntervalField *SpinEdit1 = nullptr;
    TTimer *Timer1 = nullptr;
    TButton *Button1 = nullptr;
    TLabel *Label2 = nullptr;
    TIdHTTP *IdHTTP1 = nullptr;
    TProgressBar *ProgressBar1 = nullptr;
    TTimer *Timer2 = nullptr;
    TGauge *Gauge1 = nullptr;
    TLabel *Label3 = nullptr;
    TLabel *Label4 = nullptr;
    TLabel *Label5 = nullptr;
    TImage *Image1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    TLabel *Label6 = nullptr;
    TLabel *Label7 = nullptr;
    TButton *Button2 = nullptr;
    TButton *Button3 = nullptr;
    TButton *Button4 = nullptr;
    TLabel *Label8 = nullptr;
    TLabel *Label9 = nullptr;
    TLabel *Label10 = nullptr;
    TLabel *Label11 = nullptr;

    // Handlers, in declaration order.
    void FormCreate();
    void Button1Click();
    void Timer1Timer();
    void SpinEdit1Change();
    void Timer2Timer();
    void Label5Click();
    void Image1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

    const MonitorCycle &Cycle() const { return cycle_; }
    // The session kept since FormCreate, its window, tool tips and tray.
    SessionController *Session() const { return session_.get(); }
    // The probe the checks go through, with the family chosen for them.
    const ConnectivityProbe &Probe() const { return *probe_; }
    // The history recording and window; null when it failed to start.
    HistoryController *History() const { return history_.get(); }
    AutostartItem *Autostart() const { return autostart_.get(); }
    const LayoutScale &Scale() const { return scale_; }

    // What the window tells assistive technology for a status colour (empty
    // for other colours).
    static QString StatusText(TColor color);

    // MonitorView.
    void SetWindowColor(TColor color) override;
    void SetGaugeBackColor(TColor color) override;
    std::int32_t IntervalValue() override;
    void SetCheckTimerInterval(std::uint32_t milliseconds) override;
    void SetCheckTimerEnabled(bool enabled) override;
    void SetTickTimerEnabled(bool enabled) override;
    std::int32_t ProgressBarMax() override;
    void SetProgressBarMax(std::int32_t value) override;
    void SetProgressBarPosition(std::int32_t value) override;
    std::int32_t GaugeMaxValue() override;
    void SetGaugeMaxValue(std::int32_t value) override;
    void SetGaugeProgress(std::int32_t value) override;
    void ProcessPendingEvents() override;
    bool CheckConnection() override;

    // ProbeView.
    QString HostText() override;
    void SetReadoutCaption(ReadoutLabel label, const QString &text) override;

private:
    TForm1(Form1Services services, LayoutScale scale);

    void BuildLayout();
    void CreateBottomRow();
    void CreateGauge();
    void CreateCredits();
    void CreateReadout();
    void CreateNativeControls();
    void CreateHostRow();
    void CreateComponents();
    void SizeLabels();
    TLabel *NewLabel(const QString &caption, QRect designBounds, TAnchors anchors,
                     const QFont &font, TColor fontColor, bool transparent);
    void SetPreset(int index);
    void AnnounceStatus(TColor color);
    void StartHistory();
    void ContinueWith(const WatchedTarget &watched);
    void StartTrayFeatures();

    Form1Services services_;
    LayoutScale scale_;
    int windowFontPixels_;
    MonitorCycle cycle_;
    std::unique_ptr<TIdHTTP> idHttp_;
    std::unique_ptr<ConnectivityProbe> probe_;
    std::unique_ptr<SessionController> session_;
    std::unique_ptr<HistoryController> history_;
    std::unique_ptr<AutostartItem> autostart_;
    std::unique_ptr<TrayRun> trayRun_;
};

// The one main window, set as soon as its construction starts and cleared
// when it is destroyed or its construction fails.
extern TForm1 *Form1;
