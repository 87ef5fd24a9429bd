// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Which language the window speaks for which desktop, and putting one in
// force: Kelvora's own texts from the compiled-in translation, Qt's own for a
// language other than English.
#include "base/Language.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtTest>

Q_DECLARE_METATYPE(Language)

namespace {

QString Readout()
{
    return QCoreApplication::translate("Readout", "Ping: %1 ms");
}

// A text of Qt's own line edit context menu.
QString QtCopy()
{
    return QCoreApplication::translate("QLineEdit", "&Copy");
}

bool HaveQtRussian()
{
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm"));
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void theDesktopsFirstLanguageThatKelvoraHasWins_data();
    void theDesktopsFirstLanguageThatKelvoraHasWins();
    void onlyTheCodesKelvoraHasAreTaken_data();
    void onlyTheCodesKelvoraHasAreTaken();
    void formatsFollowTheSystemWhenItSpeaksTheLanguage();
    void theDesktopsLanguageIsInForceFromTheStart();
    void puttingALanguageInForceReplacesTheOneBefore();
    void qtsOwnTextsFollowExceptInEnglish();
    void everyLanguageHasItsCompiledTranslation();
    void cleanupTestCase();
};

void TestLanguage::theDesktopsFirstLanguageThatKelvoraHasWins_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<Language>("expected");
    // As QLocale::system().uiLanguages() gives them for each environment.
    QTest::newRow("LANG=en_US.UTF-8") << QStringList{"en-US", "en-Latn-US", "en"} << Language::English;
    QTest::newRow("LANGUAGE=de:en") << QStringList{"de", "de-Latn-DE", "de-DE", "en", "en-Latn-US", "en-US"}
                                    << Language::English;
    QTest::newRow("LANG=ru_RU.UTF-8") << QStringList{"ru-RU", "ru-Cyrl-RU", "ru"} << Language::Russian;
    QTest::newRow("LANG=C") << QStringList{"C"} << Language::Russian;
    QTest::newRow("POSIX") << QStringList{"POSIX"} << Language::Russian;
    QTest::newRow("nothing set") << QStringList{} << Language::Russian;
    QTest::newRow("German only: English") << QStringList{"de-DE", "de-Latn-DE", "de"} << Language::English;
    QTest::newRow("Spanish, then Russian") << QStringList{"es-ES", "es", "ru-RU", "ru"} << Language::Russian;
    QTest::newRow("English before Russian") << QStringList{"en-GB", "ru"} << Language::English;
    QTest::newRow("Ukrainian is not Russian") << QStringList{"uk-UA", "uk"} << Language::English;
    QTest::newRow("underscore spelling") << QStringList{"ru_RU"} << Language::Russian;
}

void TestLanguage::theDesktopsFirstLanguageThatKelvoraHasWins()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(Language, expected);
    QCOMPARE(LanguageForUiLanguages(uiLanguages), expected);
}

void TestLanguage::onlyTheCodesKelvoraHasAreTaken_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("known");
    QTest::addColumn<Language>("language");
    QTest::newRow("ru") << "ru" << true << Language::Russian;
    QTest::newRow("en") << "en" << true << Language::English;
    QTest::newRow("de") << "de" << false << Language::English;
    QTest::newRow("empty") << "" << false << Language::English;
    QTest::newRow("a locale, not a code") << "ru_RU" << false << Language::English;
    QTest::newRow("capitals") << "EN" << false << Language::English;
}

void TestLanguage::onlyTheCodesKelvoraHasAreTaken()
{
    QFETCH(QString, code);
    QFETCH(bool, known);
    QFETCH(Language, language);
    const std::optional<Language> found = LanguageFromCode(code);
    QCOMPARE(found.has_value(), known);
    if (known) {
        QCOMPARE(*found, language);
        QCOMPARE(LanguageCode(*found), code);
    }
    QCOMPARE(LanguageCodes(), QStringLiteral("ru, en"));
}

void TestLanguage::formatsFollowTheSystemWhenItSpeaksTheLanguage()
{
    const QLocale british(QLocale::English, QLocale::UnitedKingdom);
    QCOMPARE(LanguageLocale(Language::English, british), british);
    QCOMPARE(LanguageLocale(Language::English, QLocale(QLocale::German, QLocale::Germany)).language(),
             QLocale::English);
    QCOMPARE(LanguageLocale(Language::Russian, QLocale::c()).language(), QLocale::Russian);
    QCOMPARE(LanguageLocale(Language::Russian, QLocale::c()).decimalPoint(), QStringLiteral(","));
    QCOMPARE(LanguageLocale(Language::English, QLocale::c()).decimalPoint(), QStringLiteral("."));
}

void TestLanguage::theDesktopsLanguageIsInForceFromTheStart()
{
    // Nothing in this test asked for a language before this: the start-up
    // hook chose the environment's.
    QCOMPARE(CurrentLanguage(), SystemLanguage());
    const QString expected = SystemLanguage() == Language::Russian ? QStringLiteral("Пинг: %1 мс")
                                                                   : QStringLiteral("Ping: %1 ms");
    QCOMPARE(Readout(), expected);
}

void TestLanguage::puttingALanguageInForceReplacesTheOneBefore()
{
    QVERIFY(UseLanguage(Language::English));
    QCOMPARE(CurrentLanguage(), Language::English);
    QCOMPARE(Readout(), QStringLiteral("Ping: %1 ms"));
    QVERIFY(UseLanguage(Language::Russian));
    QCOMPARE(CurrentLanguage(), Language::Russian);
    QCOMPARE(Readout(), QStringLiteral("Пинг: %1 мс"));
    // Back to English: the Russian translator is gone, not merely outranked.
    QVERIFY(UseLanguage(Language::English));
    QCOMPARE(Readout(), QStringLiteral("Ping: %1 ms"));
    QCOMPARE(QCoreApplication::translate("FailureReason", "Connection refused"), QStringLiteral("Connection refused"));
}

void TestLanguage::qtsOwnTextsFollowExceptInEnglish()
{
    QVERIFY(UseLanguage(Language::English));
    QCOMPARE(QtCopy(), QStringLiteral("&Copy"));
    if (!HaveQtRussian())
        QSKIP("Qt's Russian translation is not installed (Debian package qt6-translations-l10n)");
    QVERIFY(UseLanguage(Language::Russian));
    QVERIFY2(QtCopy() != QStringLiteral("&Copy"), qPrintable(QtCopy()));
    QVERIFY2(QtCopy().contains(QStringLiteral("Копировать")), qPrintable(QtCopy()));
    QVERIFY(UseLanguage(Language::English));
    QCOMPARE(QtCopy(), QStringLiteral("&Copy"));
}

void TestLanguage::everyLanguageHasItsCompiledTranslation()
{
    for (const Language language : {Language::Russian, Language::English}) {
        QTranslator translator;
        QVERIFY2(LoadKelvoraTranslation(translator, language), qPrintable(LanguageCode(language)));
        QVERIFY(!translator.isEmpty());
    }
}

void TestLanguage::cleanupTestCase()
{
    (void)UseLanguage(SystemLanguage());
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
