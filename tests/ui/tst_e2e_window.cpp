// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program's window on a private X server, inside a network namespace
// of its own: what is on the screen at start, while a check blocks the
// program, and after it.

#include "support/E2eDesktop.h"
#include "support/PixelCount.h"
#include "support/PrivateNetwork.h"

#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kLogo = QStringLiteral(KELVORA_SOURCE_DIR "/ui/resources/logo.bmp");
constexpr int kStartMs = 30000;

const QColor kYellow(255, 255, 0);
const QColor kOrange(255, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kButtonFace(212, 208, 200);
const QColor kBarFill(10, 36, 106);

QString g_noNamespace;

// The outlined readout at the top left: white letters with blue edges.
void VerifyReadout(const QImage &client)
{
    const QRect readout(7, 63, 90, 32);
    QVERIFY(CountPixels(client, readout, IsNearWhite) > 40);
    QVERIFY(CountPixels(client, readout, IsNearBlue) > 40);
}

} // namespace

class TestE2eWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void startScreen_data();
    void startScreen();
    void readoutAndLogo();
    void orangeAndFullWhileTheCheckBlocksThenRed();

private:
    std::unique_ptr<E2eDesktop> desktop_;
    std::optional<E2eWindow> window_;
    QImage start_;
};

void TestE2eWindow::initTestCase()
{
    if (!g_noNamespace.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace: ") + g_noNamespace));
    const QStringList missing = E2eDesktop::MissingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("missing tools: ") + missing.join(u' ')));
    desktop_ = std::make_unique<E2eDesktop>();
    QString error;
    QVERIFY2(desktop_->Start(&error), qPrintable(error));
    desktop_->Launch(kProgram);
    window_ = desktop_->WaitForWindow(QStringLiteral("Kelvora 1.1"), kStartMs);
    QVERIFY2(window_, qPrintable(desktop_->ProgramReport()));
    QCOMPARE(window_->geometry.size(), QSize(863, 606));
    // The first picture once painted: a busy machine may map the window a
    // moment before.
    start_ = desktop_->WaitForBackground(*window_, {QColor(255, 255, 0)}, 10000);
    QCOMPARE(start_.size(), QSize(863, 606));
}

void TestE2eWindow::cleanupTestCase()
{
    if (desktop_ && window_ && desktop_->Running()) {
        desktop_->RequestClose(*window_);
        QCOMPARE(desktop_->WaitForExit(20000), std::optional<int>(0));
    }
    desktop_.reset();
}

void TestE2eWindow::startScreen_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("window left of the gauge") << QPoint(1, 300) << kYellow;
    QTest::newRow("window right of the gauge") << QPoint(862, 300) << kYellow;
    QTest::newRow("window below the gauge") << QPoint(430, 530) << kYellow;
    QTest::newRow("dial") << QPoint(200, 400) << kYellow;
    QTest::newRow("gauge corner outside the dial") << QPoint(13, 60) << kYellow;
    QTest::newRow("top of the dial's outline") << QPoint(430, 0) << kBlue;
    QTest::newRow("dial's base line") << QPoint(100, 520) << kBlue;
    QTest::newRow("host field") << QPoint(148, 20) << kWhite;
    QTest::newRow("interval field") << QPoint(252, 560) << kWhite;
    QTest::newRow("preset button") << QPoint(44, 35) << kButtonFace;
    QTest::newRow("exit button") << QPoint(805, 532) << kButtonFace;
    QTest::newRow("bar's ring") << QPoint(8, 568) << kYellow;
    QTest::newRow("bar's far ring") << QPoint(857, 600) << kYellow;
    QTest::newRow("empty part of the bar") << QPoint(600, 584) << kButtonFace;
}

void TestE2eWindow::startScreen()
{
    QFETCH(QPoint, point);
    QFETCH(QColor, colour);
    QCOMPARE(start_.pixelColor(point), colour);
}

void TestE2eWindow::readoutAndLogo()
{
    VerifyReadout(start_);
    // The logo at the top right, its silver background left out.
    const QImage logo(kLogo);
    QVERIFY(!logo.isNull());
    const QPoint origin(863 - 102, 56);
    const QColor silver(192, 192, 192);
    int picture = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x) {
            const QColor shown = start_.pixelColor(origin + QPoint(x, y));
            if (logo.pixelColor(x, y) == silver) {
                QVERIFY(shown != silver);
            } else {
                QCOMPARE(shown, logo.pixelColor(x, y));
                ++picture;
            }
        }
    QVERIFY(picture > 500);
    // The link in blue above it.
    QVERIFY(CountPixels(start_, QRect(740, 40, 120, 14), IsNearBlue) > 20);
}

void TestE2eWindow::orangeAndFullWhileTheCheckBlocksThenRed()
{
    StalledPort80 stalled;
    QVERIFY2(stalled.IsValid(), qPrintable(stalled.Error()));
    const QPoint client = window_->geometry.topLeft();
    desktop_->ReplaceText(client + QPoint(96, 15), QStringLiteral("127.0.0.1"));
    desktop_->ReplaceText(client + QPoint(270, 553), QStringLiteral("2"));

    const QImage checking = desktop_->WaitForBackground(*window_, {kOrange}, 20000);
    QVERIFY2(!checking.isNull(), "the window never turned orange");
    // The program is blocked in the connection attempt now; the picture
    // shows what it painted before.
    for (const QPoint point : {QPoint(1, 300), QPoint(862, 300), QPoint(200, 400), QPoint(13, 60)})
        QCOMPARE(checking.pixelColor(point), kOrange);
    for (const QPoint point : {QPoint(20, 584), QPoint(600, 584), QPoint(845, 584)})
        QCOMPARE(checking.pixelColor(point), kBarFill);
    QCOMPARE(checking.pixelColor(8, 568), kOrange);
    VerifyReadout(checking);

    const QImage failed = desktop_->WaitForBackground(*window_, {kRed}, 30000);
    QVERIFY2(!failed.isNull(), "the window never turned red");
    QCOMPARE(failed.pixelColor(200, 400), kRed);
    QCOMPARE(failed.pixelColor(8, 568), kRed);
    VerifyReadout(failed);
    // The readout now carries a number: wider than "Пинг:".
    QVERIFY(CountPixels(failed, QRect(100, 63, 100, 32), IsNearWhite) > 20);
}

int main(int argc, char **argv)
{
    if (!EnterPrivateNetwork(&g_noNamespace) && g_noNamespace.isEmpty())
        g_noNamespace = QStringLiteral("unknown reason");
    QCoreApplication application(argc, argv);
    TestE2eWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_window.moc"
