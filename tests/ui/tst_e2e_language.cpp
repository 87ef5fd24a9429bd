// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The real program on a private X server, inside a network namespace of its
// own, started under the desktop languages a user may have: the outlined
// readout is drawn in each, and the session window that Ctrl+I opens is
// titled in the language chosen (English for an English or German-then-
// English desktop and for --language en; Russian for a Russian desktop, for
// the C locale and for --language ru).

#include "support/E2eDesktop.h"
#include "support/PixelCount.h"
#include "support/PrivateNetwork.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(KELVORA_EXECUTABLE);
const QString kMainTitle = QStringLiteral("Kelvora 1.1");
const QString kEnglishSession = QStringLiteral("Session — Kelvora");
const QString kRussianSession = QStringLiteral("Сеанс — Kelvora");
constexpr int kStartMs = 30000;

QString g_noNamespace;

// The locale variables as a desktop would set them; the suite's own LC_ALL
// and LANGUAGE are cleared so that LANG counts.
QProcessEnvironment Locale(const QString &lang, const QString &language)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("LC_ALL"), QString());
    environment.insert(QStringLiteral("LC_MESSAGES"), QString());
    environment.insert(QStringLiteral("LANG"), lang);
    environment.insert(QStringLiteral("LANGUAGE"), language);
    return environment;
}

} // namespace

class TestE2eLanguage : public QObject {
    Q_OBJECT
private slots:
    void theChosenLanguageWithTheOutlinedReadout_data();
    void theChosenLanguageWithTheOutlinedReadout();
};

void TestE2eLanguage::theChosenLanguageWithTheOutlinedReadout_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("sessionTitle");
    QTest::newRow("LANG=en_US.UTF-8") << "en_US.UTF-8" << "" << QStringList{} << kEnglishSession;
    QTest::newRow("LANGUAGE=de:en") << "en_US.UTF-8" << "de:en" << QStringList{} << kEnglishSession;
    QTest::newRow("--language en on a Russian desktop")
        << "ru_RU.UTF-8" << "" << QStringList{"--language", "en"} << kEnglishSession;
    QTest::newRow("LANG=ru_RU.UTF-8") << "ru_RU.UTF-8" << "" << QStringList{} << kRussianSession;
    QTest::newRow("LANG=C") << "C" << "" << QStringList{} << kRussianSession;
    QTest::newRow("--language ru on an English desktop")
        << "en_US.UTF-8" << "" << QStringList{"--language", "ru"} << kRussianSession;
}

void TestE2eLanguage::theChosenLanguageWithTheOutlinedReadout()
{
    QFETCH(QString, lang);
    QFETCH(QString, language);
    QFETCH(QStringList, arguments);
    QFETCH(QString, sessionTitle);
    if (!g_noNamespace.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace: ") + g_noNamespace));
    const QStringList missing = E2eDesktop::MissingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("missing tools: ") + missing.join(u' ')));
    E2eDesktop desktop;
    QString error;
    QVERIFY2(desktop.Start(&error), qPrintable(error));
    desktop.Launch(kProgram, arguments, Locale(lang, language));
    const std::optional<E2eWindow> main = desktop.WaitForWindow(kMainTitle, kStartMs);
    QVERIFY2(main, qPrintable(desktop.ProgramReport()));

    // The readout at the top left: white letters, edged in blue by the four
    // copies around them. A loaded machine may map the window before it
    // first paints, or place it again once it has: the window is looked for
    // afresh each time.
    const QRect readout(7, 63, 90, 32);
    const auto outlined = [&](QImage &shot) {
        const std::optional<E2eWindow> now = desktop.WaitForWindow(kMainTitle, 1000);
        shot = now ? desktop.Shot(*now) : QImage();
        return CountPixels(shot, readout, IsNearBlue) > 40;
    };
    QImage shot;
    QTRY_VERIFY2_WITH_TIMEOUT(outlined(shot), "no blue outline", 10000);
    QVERIFY2(CountPixels(shot, readout, IsNearWhite) > 40, "no white letters");

    const QPoint gauge = main->geometry.topLeft() + QPoint(500, 350);
    desktop.Click(gauge);
    QVERIFY(desktop.PressKeys(QStringLiteral("ctrl+i")));
    const std::optional<E2eWindow> session = desktop.WaitForWindow(sessionTitle, 20000);
    QVERIFY2(session, qPrintable(QStringLiteral("no window titled \"%1\" after Ctrl+I").arg(sessionTitle)));
    QVERIFY(desktop.RequestClose(*main));
    const std::optional<int> exit = desktop.WaitForExit(20000);
    QVERIFY2(exit == std::optional<int>(0), desktop.Program().readAllStandardError().constData());
}

int main(int argc, char **argv)
{
    if (!EnterPrivateNetwork(&g_noNamespace) && g_noNamespace.isEmpty())
        g_noNamespace = QStringLiteral("unknown reason");
    QCoreApplication application(argc, argv);
    TestE2eLanguage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_language.moc"
