// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The main window's layout: the controls in creation order with their
// bounds, anchors, fonts and texts, then the timers and the network
// component, and the labels sized to their texts. Building it is the
// window's construction.
#include "ui/TForm1.h"

#include "base/ErrorReport.h"
#include "base/TTimer.h"
#include "base/Version.h"
#include "controls/TGauge.h"
#include "net/TIdHTTP.h"
#include "ui/Addresses.h"
#include "ui/Fonts.h"
#include "ui/SessionController.h"
#include "ui/TButton.h"
#include "ui/TImage.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"
#include "ui/UiAccessibility.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QScreen>

#include <array>

namespace {

// The layout's client area and the window's outer size around it.
constexpr QSize kDesignClient(863, 606);
constexpr QSize kDesignOuter(871, 640);
// Design pixel heights of the fonts.
constexpr int kWindowFontPixels = 11;
constexpr int kReadoutFontPixels = 24;

// The key that opens the home page, which the link and the logo open with a
// click.
const QKeySequence kHomePageKey(Qt::Key_F1);
QString HomePageDescription()
{
    return QCoreApplication::translate("MainWindow", "Open the home page (F1)");
}

constexpr TAnchors kLeftTop = akLeft | akTop;
constexpr TAnchors kLeftBottom = akLeft | akBottom;
constexpr TAnchors kRightTop = akRight | akTop;
constexpr TAnchors kRightBottom = akRight | akBottom;
constexpr TAnchors kAllSides = akLeft | akTop | akRight | akBottom;

int ScreenDotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInch()) : LayoutScale::kDesignDotsPerInch;
}

LayoutScale ScreenLayoutScale()
{
    return LayoutScale::ForScreen(WindowFont(kWindowFontPixels), kWindowFontPixels,
                                  ScreenDotsPerInch());
}

QSize Scaled(const LayoutScale &scale, QSize size)
{
    return {scale(size.width()), scale(size.height())};
}

QRect Scaled(const LayoutScale &scale, QRect rect)
{
    return {scale(rect.x()), scale(rect.y()), scale(rect.width()), scale(rect.height())};
}

} // namespace

TForm1::TForm1(Form1Services services) : TForm1(std::move(services), ScreenLayoutScale()) {}

TForm1::TForm1(Form1Services services, LayoutScale scale)
    : TForm(Scaled(scale, kDesignClient), Scaled(scale, kDesignOuter)), services_(std::move(services)), scale_(scale),
      windowFontPixels_(FontPixelsAt(kWindowFontPixels, ScreenDotsPerInch())), cycle_(*this)
{
    Form1 = this;
    try {
        BuildLayout();
    } catch (...) {
        Form1 = nullptr;
        throw;
    }
    // The creation handler: an error is shown and creation goes on.
    CallGuarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    // Timers first, so that no tick reaches a half-destroyed window.
    delete Timer1;
    delete Timer2;
    Timer1 = Timer2 = nullptr;
    // The session's windows, tray and filters before the controls they use.
    session_.reset();
    probe_.reset();
    idHttp_.reset();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::BuildLayout()
{
    setWindowTitle(QStringLiteral("Kelvora ") + QString::fromLatin1(kKelvoraShortVersion));
    setWindowIcon(QGuiApplication::windowIcon());
    setAccessibleName(QStringLiteral("Kelvora"));
    setFont(WindowFont(windowFontPixels_));
    SetPosition(poDesktopCenter);
    SetColor(clYellow);

    CreateBottomRow();
    CreateGauge();
    CreateCredits();
    CreateReadout();
    CreateNativeControls();
    CreateHostRow();
    CreateComponents();
    SizeLabels();
    SpinEdit1->setFocus(Qt::OtherFocusReason);
}

TLabel *TForm1::NewLabel(const QString &caption, QRect designBounds, TAnchors anchors,
                         const QFont &font, TColor fontColor, bool transparent)
{
    auto *label = new TLabel(Client());
    label->setFont(font);
    label->SetFontColor(fontColor);
    label->SetTransparent(transparent);
    label->SetCaption(caption);
    AddControl(label, Scaled(scale_, designBounds), anchors);
    AddColorFollower([label](TColor color) { label->ParentColorChanged(color); });
    return label;
}

void TForm1::CreateBottomRow()
{
    const QFont bold = WindowFont(scale_(kWindowFontPixels), true);
    // 1, 2: the caption around the interval field.
    Label1 = NewLabel(QCoreApplication::translate("MainWindow", "Check the internet every"), {8, 544, 232, 13},
                      kLeftBottom, bold, clWindowText, false);
    Label2 = NewLabel(QCoreApplication::translate("MainWindow", "sec"), {336, 544, 42, 13}, kLeftBottom, bold,
                      clWindowText, false);
}

void TForm1::CreateGauge()
{
    // 3: the needle gauge filling most of the window.
    Gauge1 = new TGauge(Client(), services_.gaugeImages);
    Gauge1->BeginLoading();
    Gauge1->SetKind(gkNeedle);
    Gauge1->SetBorderStyle(bsNone);
    Gauge1->SetForeColor(clBlue);
    Gauge1->SetBackColor(clYellow);
    Gauge1->SetProgress(0);
    QFont font = TGauge::LayoutFont();
    font.setPixelSize(scale_(font.pixelSize()));
    Gauge1->setFont(font);
    Gauge1->EndLoading();
    Gauge1->setAccessibleName(QCoreApplication::translate("MainWindow", "Time to the next check"));
    AddControl(Gauge1, Scaled(scale_, QRect(2, 0, 858, 521)), kAllSides);
    AddColorFollower([gauge = Gauge1](TColor color) { gauge->ParentColorChanged(color); });
}

void TForm1::CreateCredits()
{
    const QFont bold = WindowFont(scale_(kWindowFontPixels), true);
    // 4 to 7: maker, year, home page link and logo at the top right.
    Label3 = NewLabel(QStringLiteral("Varnholt Studios"), {753, 8, 105, 13}, kRightTop, bold,
                      clWindowText, true);
    Label4 = NewLabel(QStringLiteral("2009"), {830, 24, 29, 13}, kRightTop, bold, clWindowText, true);
    Label5 = NewLabel(Addresses::kHomePage, {750, 40, 109, 13}, kRightTop,
                      WindowFont(scale_(kWindowFontPixels), true, true), clBlue, true);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setAccessibleDescription(HomePageDescription());
    Label5->SetOnClick([this] { Label5Click(); });

    Image1 = new TImage(Client());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(QCoreApplication::translate("MainWindow", "Varnholt Studios logo"));
    Image1->setAccessibleDescription(HomePageDescription());
    // The link and the logo take no focus; the page opens from the keyboard
    // with a key of the window's own.
    auto *homePage = new QShortcut(kHomePageKey, this);
    connect(homePage, &QShortcut::activated, this, [this] { CallGuarded([this] { Label5Click(); }); });
    AddControl(Image1, Scaled(scale_, QRect(761, 56, 100, 60)), kRightTop);
    Image1->SetOnResize([this](QSize size) { SetControlSize(Image1, size); });
    Image1->SetTransparent(true);
    Image1->SetAutoSize(true);
    QImage logo(QStringLiteral(":/ui/logo.bmp"));
    if (!logo.isNull() && !scale_.IsIdentity())
        logo = logo.scaled(Scaled(scale_, logo.size()), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!logo.isNull())
        Image1->SetPicture(logo);
    Image1->SetOnClick([this] { Image1Click(); });
}

void TForm1::CreateReadout()
{
    const QFont bold = WindowFont(scale_(kWindowFontPixels), true);
    // 8: the host field's caption.
    Label6 = NewLabel(QCoreApplication::translate("MainWindow", "Host:"), {8, 8, 33, 13}, kLeftTop, bold, clWindowText, false);
    // 9 to 13: the outlined readout, four blue copies one pixel left, above,
    // below and right of the white one on top.
    const QFont readout = ReadoutFont(scale_(kReadoutFontPixels));
    const QString ping = QCoreApplication::translate("Readout", "Ping:");
    Label7 = NewLabel(ping, {7, 64, 71, 29}, kLeftTop, readout, clBlue, true);
    Label8 = NewLabel(ping, {8, 63, 71, 29}, kLeftTop, readout, clBlue, true);
    Label9 = NewLabel(ping, {8, 65, 71, 29}, kLeftTop, readout, clBlue, true);
    Label10 = NewLabel(ping, {9, 64, 71, 29}, kLeftTop, readout, clBlue, true);
    Label11 = NewLabel(ping, {8, 64, 71, 29}, kLeftTop, readout, clWhite, true);
    // The four outline copies would only say the readout four times more.
    for (TLabel *copy : {Label7, Label8, Label9, Label10})
        SetAccessibleHidden(copy);
}

void TForm1::CreateNativeControls()
{
    const QFont bold = WindowFont(scale_(kWindowFontPixels), true);
    // 14: the interval field; its change handler is attached once its value
    // is loaded, so loading raises no change.
    SpinEdit1 = new IntervalField(Client(), services_.timerArming);
    SpinEdit1->setFont(bold);
    SpinEdit1->SetMinValue(0);
    SpinEdit1->SetMaxValue(0);
    SpinEdit1->SetValue(30);
    SpinEdit1->setAccessibleName(QCoreApplication::translate("MainWindow", "Check interval, seconds"));
    AddControl(SpinEdit1, Scaled(scale_, QRect(248, 542, 73, 22)), kLeftBottom);
    SpinEdit1->SetOnChange([this] { SpinEdit1Change(); });

    // 15: exit.
    Button1 = new TButton(QCoreApplication::translate("MainWindow", "Exit"), Client());
    Button1->setFont(bold);
    AddControl(Button1, Scaled(scale_, QRect(801, 528, 57, 33)), kRightBottom);
    Button1->SetOnClick([this] { Button1Click(); });

    // 16: the countdown bar.
    ProgressBar1 = new TProgressBar(Client());
    ProgressBar1->SetBorderWidth(1);
    ProgressBar1->setAccessibleName(QCoreApplication::translate("MainWindow", "Time to the next check"));
    // The native bar is what screen readers announce.
    ProgressBar1->NativeBar()->setAccessibleName(ProgressBar1->accessibleName());
    AddControl(ProgressBar1, Scaled(scale_, QRect(8, 568, 850, 33)), akLeft | akRight | akBottom);
    AddColorFollower([bar = ProgressBar1](TColor color) { bar->ParentColorChanged(color); });
}

void TForm1::CreateHostRow()
{
    // 17 to 20: the host field and the preset buttons, in the window font.
    Edit1 = new QLineEdit(Addresses::kPresetHosts[0], Client());
    Edit1->setAccessibleName(QCoreApplication::translate("MainWindow", "Host"));
    // A new host is a new session.
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (session_)
            CallGuarded([&] { session_->HostChanged(text); });
    });
    AddControl(Edit1, Scaled(scale_, QRect(40, 5, 113, 21)), kLeftTop);
    Button2 = new TButton(QStringLiteral("MS"), Client());
    AddControl(Button2, Scaled(scale_, QRect(40, 32, 33, 25)), kLeftTop);
    Button2->SetOnClick([this] { Button2Click(); });
    Button3 = new TButton(QStringLiteral("Goo"), Client());
    AddControl(Button3, Scaled(scale_, QRect(80, 32, 33, 25)), kLeftTop);
    Button3->SetOnClick([this] { Button3Click(); });
    Button4 = new TButton(QStringLiteral("VH"), Client());
    AddControl(Button4, Scaled(scale_, QRect(120, 32, 33, 25)), kLeftTop);
    Button4->SetOnClick([this] { Button4Click(); });
    const std::array<TButton *, 3> presets{Button2, Button3, Button4};
    for (std::size_t i = 0; i < presets.size(); ++i)
        presets[i]->setAccessibleDescription(QCoreApplication::translate("MainWindow", "Use the host %1").arg(Addresses::kPresetHosts[i]));

    QWidget::setTabOrder(SpinEdit1, Button1);
    QWidget::setTabOrder(Button1, Edit1);
    QWidget::setTabOrder(Edit1, Button2);
    QWidget::setTabOrder(Button2, Button3);
    QWidget::setTabOrder(Button3, Button4);
}

void TForm1::CreateComponents()
{
    Timer1 = new TTimer(this, services_.timerArming);
    Timer1->SetEnabled(false);
    Timer1->SetInterval(1000);
    Timer1->SetOnTimer([this] { Timer1Timer(); });
    // Brings the socket stack up; raises when it cannot start.
    idHttp_ = std::make_unique<TIdHTTP>();
    IdHTTP1 = idHttp_.get();
    probe_ = std::make_unique<ConnectivityProbe>(*this, *IdHTTP1);
    Timer2 = new TTimer(this, services_.timerArming);
    Timer2->SetEnabled(false);
    Timer2->SetInterval(1000);
    Timer2->SetOnTimer([this] { Timer2Timer(); });
}

void TForm1::SizeLabels()
{
    for (TLabel *label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9,
                          Label10, Label11}) {
        const QSize extent = label->TextExtent();
        const AnchoredBounds bounds = ControlBounds(label);
        // The credits keep the right edge the layout gives them: the stand-in
        // font measures their texts narrower or wider than the face the
        // layout was drawn with, and they must stay inside the window.
        const bool credit = label == Label3 || label == Label4 || label == Label5;
        const int left = credit ? bounds.left + bounds.width - extent.width() : bounds.left;
        SetControlBounds(label, QRect(left, bounds.top, extent.width(), extent.height()));
        label->SetOnResize([this, label](QSize size) { SetControlSize(label, size); });
    }
}
