// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/CommandLine.h"
#include "base/Version.h"
#include "support/ArgumentVector.h"

#include <QtTest>


namespace {

// Parses `arguments` as they would follow the program's name.
CommandLine Parse(const QStringList &arguments)
{
    ArgumentVector argv(arguments);
    return ParseCommandLine(argv.Count(), argv.Values());
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void startOptions_data();
    void startOptions();
    void helpAndVersionEndAtOnce_data();
    void helpAndVersionEndAtOnce();
    void badUsageIsOneLineAndExitTwo_data();
    void badUsageIsOneLineAndExitTwo();
    void helpNamesEveryOption();
    void historyOptions_data();
    void historyOptions();
    void trayRun();
    void languageOption_data();
    void languageOption();
    void helpSpeaksTheLanguageAsked();
};

Q_DECLARE_METATYPE(std::optional<Language>)

void TestCommandLine::startOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("nothing") << QStringList{} << false << false;
    QTest::newRow("maximized") << QStringList{"--maximized"} << true << false;
    QTest::newRow("minimized") << QStringList{"--minimized"} << false << true;
    QTest::newRow("both") << QStringList{"--maximized", "--minimized"} << true << true;
    QTest::newRow("Qt's window geometry passes") << QStringList{"-qwindowgeometry", "1000x700+0+0"} << false << false;
    QTest::newRow("Qt's style, with an equals sign") << QStringList{"-style=fusion", "--maximized"} << true << false;
    QTest::newRow("Qt's options with two dashes") << QStringList{"--platform", "offscreen", "--reverse"} << false << false;
    QTest::newRow("Qt's display and title") << QStringList{"-display", ":1", "-qwindowtitle", "x"} << false << false;
}

void TestCommandLine::startOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, maximized);
    QFETCH(bool, minimized);
    const CommandLine line = Parse(arguments);
    QVERIFY2(!line.exit, line.exit ? qPrintable(line.exit->text) : "");
    QCOMPARE(line.start.maximized, maximized);
    QCOMPARE(line.start.minimized, minimized);
}

void TestCommandLine::helpAndVersionEndAtOnce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("begins");
    QTest::newRow("--help") << QStringList{"--help"} << "Usage: kelvora [options]\n";
    QTest::newRow("-h") << QStringList{"-h"} << "Usage: kelvora [options]\n";
    QTest::newRow("--help among start options") << QStringList{"--minimized", "--help"} << "Usage: kelvora";
    const QString version = QStringLiteral("kelvora %1\nCopyright (C) ").arg(QLatin1String(kKelvoraVersion));
    QTest::newRow("--version") << QStringList{"--version"} << version;
    QTest::newRow("-V") << QStringList{"-V"} << version;
    QTest::newRow("-v after a Qt option") << QStringList{"-style", "fusion", "-v"} << version;
    QTest::newRow("-help, as Qt's options are written") << QStringList{"-help"} << "Usage: kelvora";
}

void TestCommandLine::helpAndVersionEndAtOnce()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, begins);
    const CommandLine line = Parse(arguments);
    QVERIFY(line.exit);
    QCOMPARE(line.exit->exitCode, 0);
    QVERIFY(!line.exit->toStandardError);
    QVERIFY2(line.exit->text.startsWith(begins), qPrintable(line.exit->text));
}

void TestCommandLine::badUsageIsOneLineAndExitTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("names");
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << "kelvora: unknown option '--bogus'. Try 'kelvora --help'.\n";
    QTest::newRow("an unknown single-dash word") << QStringList{"-checkevery"} << "unknown option '-checkevery'";
    QTest::newRow("a stray argument") << QStringList{"www.example"} << "unexpected argument 'www.example'";
    QTest::newRow("a Qt option without its value") << QStringList{"-style"} << "option '-style' needs a value";
    QTest::newRow("a value given to a switch") << QStringList{"--maximized=yes"} << "option '--maximized' takes no value";
    QTest::newRow("bytes that are no text") << QStringList{QString::fromLatin1("--\xff\xfe")} << "unknown option";
    QTest::newRow("an escape sequence shown safely") << QStringList{"--x\x1b[2J"} << "unknown option '--x\\x1b[2J'";
    QTest::newRow("a right-to-left override shown safely") << QStringList{QStringLiteral("ab\u202ec")}
                                                           << "unexpected argument 'ab\\u202ec'";
    QTest::newRow("--history with --no-history") << QStringList{"--history", "--no-history"}
                                                 << "'--history' and '--no-history' exclude each other";
    QTest::newRow("--no-history with a history file") << QStringList{"--no-history", "--history=a.sqlite"}
                                                      << "exclude each other";
    QTest::newRow("--history= without a file") << QStringList{"--history="} << "option '--history=' needs a file";
    QTest::newRow("a value given to --no-history") << QStringList{"--no-history=yes"}
                                                   << "option '--no-history' takes no value";
    QTest::newRow("a C1 control shown safely") << QStringList{QStringLiteral("-x\u009b1m")} << "'-x\\u009b1m'";
    QTest::newRow("a language Kelvora lacks") << QStringList{"--language", "de"}
                                              << "kelvora: unknown language 'de' (Kelvora has ru, en). Try 'kelvora --help'.\n";
    QTest::newRow("a locale for a language") << QStringList{"--language=ru_RU"} << "unknown language 'ru_RU'";
    QTest::newRow("an empty language") << QStringList{"--language", ""} << "unknown language ''";
    QTest::newRow("a language code shown safely") << QStringList{"--language", "e\x1bn"} << "'e\\x1bn'";
    QTest::newRow("--language without its code") << QStringList{"--language"} << "option '--language' needs a value";
    QTest::newRow("a bad language before --help") << QStringList{"--language", "xx", "--help"}
                                                  << "unknown language 'xx'";
}

void TestCommandLine::badUsageIsOneLineAndExitTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, names);
    const CommandLine line = Parse(arguments);
    QVERIFY(line.exit);
    QCOMPARE(line.exit->exitCode, 2);
    QVERIFY(line.exit->toStandardError);
    const QString &text = line.exit->text;
    QCOMPARE(text.count(u'\n'), 1);
    QVERIFY(text.endsWith(u'\n'));
    QVERIFY2(text.startsWith(QStringLiteral("kelvora: ")), qPrintable(text));
    QVERIFY2(text.contains(names), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("--help")), qPrintable(text));
}

void TestCommandLine::helpNamesEveryOption()
{
    const QString help = HelpText();
    for (const char *option : {"--help", "-V, --version", "-v does the same", "--maximized", "--minimized", "--history=FILE", "--no-history", "--tray",
                               "-qwindowgeometry", "-style", "port 80", "Exit status", "3 when"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

void TestCommandLine::historyOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("history");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("maximized");
    const auto unset = int(HistoryOption::Unset);
    const auto byDefault = int(HistoryOption::Default);
    const auto named = int(HistoryOption::File);
    const auto off = int(HistoryOption::Off);
    QTest::newRow("nothing given") << QStringList{} << unset << "" << false;
    QTest::newRow("--history") << QStringList{"--history"} << byDefault << "" << false;
    QTest::newRow("--history does not take the next word") << QStringList{"--history", "--maximized"} << byDefault
                                                           << "" << true;
    QTest::newRow("--history=FILE") << QStringList{"--history=/tmp/h.sqlite"} << named << "/tmp/h.sqlite" << false;
    QTest::newRow("single dash, as Qt's words") << QStringList{"-history=h.sqlite", "-maximized"} << named
                                                << "h.sqlite" << true;
    QTest::newRow("the last file counts") << QStringList{"--history=a", "--history=b"} << named << "b" << false;
    QTest::newRow("a file with an equals sign") << QStringList{"--history=a=b"} << named << "a=b" << false;
    QTest::newRow("--no-history") << QStringList{"--no-history", "--maximized"} << off << "" << true;
}

void TestCommandLine::trayRun()
{
    QVERIFY(!Parse({}).start.tray);
    const CommandLine line = Parse({"--tray", "--history"});
    QVERIFY2(!line.exit, line.exit ? qPrintable(line.exit->text) : "");
    QVERIFY(line.start.tray);
    QVERIFY(!line.start.minimized);
    QCOMPARE(line.start.history, HistoryOption::Default);
    QCOMPARE(Parse({"--tray=yes"}).exit->exitCode, 2);
}

void TestCommandLine::historyOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, history);
    QFETCH(QString, file);
    QFETCH(bool, maximized);
    const CommandLine line = Parse(arguments);
    QVERIFY2(!line.exit, line.exit ? qPrintable(line.exit->text) : "");
    QCOMPARE(int(line.start.history), history);
    QCOMPARE(line.start.historyFile, file);
    QCOMPARE(line.start.maximized, maximized);
}

void TestCommandLine::languageOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<std::optional<Language>>("language");
    QTest::newRow("not given: the desktop's") << QStringList{} << std::optional<Language>();
    QTest::newRow("--language en") << QStringList{"--language", "en"} << std::optional(Language::English);
    QTest::newRow("--language=ru") << QStringList{"--language=ru"} << std::optional(Language::Russian);
    QTest::newRow("single dash, as Qt's options") << QStringList{"-language", "en"} << std::optional(Language::English);
    QTest::newRow("the last one wins") << QStringList{"--language", "en", "--maximized", "--language", "ru"}
                                       << std::optional(Language::Russian);
}

void TestCommandLine::languageOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(std::optional<Language>, language);
    const CommandLine line = Parse(arguments);
    QVERIFY2(!line.exit, line.exit ? qPrintable(line.exit->text) : "");
    QCOMPARE(line.start.language, language);
}

void TestCommandLine::helpSpeaksTheLanguageAsked()
{
    // The help is looked up in the translation before any application
    // object exists; Russian keeps the English help the window always had.
    for (const Language language : {Language::English, Language::Russian}) {
        const QString help = HelpText(language);
        QVERIFY2(help.startsWith(QStringLiteral("Usage: kelvora [options]\n")), qPrintable(help));
        QVERIFY2(help.contains(QStringLiteral("--language CODE")), qPrintable(help));
        QVERIFY2(help.contains(QStringLiteral(": ru, en (")), qPrintable(help));
        QVERIFY(!help.contains(QStringLiteral("%1")));
    }
    const CommandLine asked = Parse({"--language", "en", "--help"});
    QVERIFY(asked.exit);
    QCOMPARE(asked.exit->exitCode, 0);
    QCOMPARE(asked.exit->text, HelpText(Language::English));
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
