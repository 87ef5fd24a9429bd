// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/CommandLineScan.h"

#include <QtTest>

#include <array>

namespace {

// A table of the shapes both programs use.
const std::array<OptionName, 6> kTable{{
    {QStringLiteral("count"), QLatin1Char('c'), true},
    {QStringLiteral("quiet"), QLatin1Char('q'), false},
    {QStringLiteral("timestamp"), QLatin1Char('D'), false},
    {QStringLiteral("style"), QChar(), true},
    {QStringLiteral("help"), QLatin1Char('h'), false},
    {QStringLiteral("history"), QLatin1Char('H'), false, true},
}};

// Options as "index=value" ("index" alone for an option given no value at
// all) and operands as "[text]" ("[--text]" after "--"),
// in order of kind, or "problem: ..." alone.
QString Describe(const ScannedCommandLine &line)
{
    if (!line.problem.isEmpty())
        return QStringLiteral("problem: ") + line.problem;
    QStringList parts;
    for (const ScannedOption &option : line.options)
        parts << (option.valueGiven ? QStringLiteral("%1%2=%3").arg(option.index).arg(option.spelled, option.value)
                                    : QStringLiteral("%1%2").arg(option.index).arg(option.spelled));
    for (const ScannedOperand &operand : line.operands)
        parts << QStringLiteral("[%1%2]").arg(operand.afterEndOfOptions ? QStringLiteral("--") : QString(), operand.text);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestCommandLineScan : public QObject {
    Q_OBJECT

private slots:
    void shortLetters_data();
    void shortLetters();
    void singleDashLongNames_data();
    void singleDashLongNames();
};

void TestCommandLineScan::shortLetters_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("scanned");
    QTest::newRow("nothing") << QStringList{} << "";
    QTest::newRow("long with equals") << QStringList{"--count=3"} << "0--count=3";
    QTest::newRow("long with an empty value") << QStringList{"--count="} << "0--count=";
    QTest::newRow("long then its value") << QStringList{"--count", "3", "h"} << "0--count=3 [h]";
    QTest::newRow("short attached") << QStringList{"-c3"} << "0-c=3";
    QTest::newRow("short then its value, which looks like an option") << QStringList{"-c", "-q"} << "0-c=-q";
    QTest::newRow("switches together, then a value") << QStringList{"-qDc7"} << "1-q 2-D 0-c=7";
    QTest::newRow("operands among options") << QStringList{"h", "-q", "80"} << "1-q [h] [80]";
    QTest::newRow("a negative number is an operand") << QStringList{"h", "-1", "-.5"} << "[h] [-1] [-.5]";
    QTest::newRow("a lone dash is an operand") << QStringList{"-"} << "[-]";
    QTest::newRow("after -- everything is an operand") << QStringList{"-q", "--", "-x", "--count"}
                                                      << "1-q [---x] [----count]";
    QTest::newRow("given twice, both kept in order") << QStringList{"-c1", "--count", "2"} << "0-c=1 0--count=2";
    QTest::newRow("unknown long") << QStringList{"--bogus=1", "-q"} << "problem: unknown option '--bogus'";
    QTest::newRow("no abbreviations") << QStringList{"--cou", "3"} << "problem: unknown option '--cou'";
    QTest::newRow("unknown letter among switches") << QStringList{"-qz"} << "problem: unknown option '-z'";
    QTest::newRow("a long name with one dash") << QStringList{"-style"} << "problem: unknown option '-s'";
    QTest::newRow("a switch given a value") << QStringList{"--quiet=no"} << "problem: option '--quiet' takes no value";
    QTest::newRow("a value missing at the end") << QStringList{"h", "-c"} << "problem: option '-c' needs a value";
    QTest::newRow("a long value missing") << QStringList{"--count"} << "problem: option '--count' needs a value";
    QTest::newRow("optional value attached") << QStringList{"--history=a.db"} << "5--history=a.db";
    QTest::newRow("optional value left out: the next word is an operand") << QStringList{"--history", "a.db"}
                                                                          << "5--history [a.db]";
    QTest::newRow("optional value given empty") << QStringList{"--history="} << "5--history=";
    QTest::newRow("optional value after a short letter") << QStringList{"-qHa.db"} << "1-q 5-H=a.db";
    QTest::newRow("optional value left out after a short letter") << QStringList{"-Hq"} << "5-H=q";
    QTest::newRow("short letter alone at the end") << QStringList{"-qH"} << "1-q 5-H";
    QTest::newRow("an unknown option shown safely") << QStringList{QStringLiteral("--x\u202e\x1b[2J")}
                                                    << "problem: unknown option '--x\\u202e\\x1b[2J'";
}

void TestCommandLineScan::shortLetters()
{
    QFETCH(QStringList, words);
    QFETCH(QString, scanned);
    QCOMPARE(Describe(ScanCommandLine(words, kTable, SingleDashWords::ShortLetters)), scanned);
}

void TestCommandLineScan::singleDashLongNames_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("scanned");
    QTest::newRow("one dash, value after") << QStringList{"-style", "fusion"} << "3-style=fusion";
    QTest::newRow("one dash with equals") << QStringList{"-style=fusion"} << "3-style=fusion";
    QTest::newRow("two dashes") << QStringList{"--style", "fusion", "--quiet"} << "3--style=fusion 1--quiet";
    QTest::newRow("one letter names the short option") << QStringList{"-h"} << "4-h";
    QTest::newRow("letters do not combine") << QStringList{"-qD"} << "problem: unknown option '-qD'";
    QTest::newRow("a negative number is no operand here") << QStringList{"-1"} << "problem: unknown option '-1'";
    QTest::newRow("a value missing") << QStringList{"-style"} << "problem: option '-style' needs a value";
}

void TestCommandLineScan::singleDashLongNames()
{
    QFETCH(QStringList, words);
    QFETCH(QString, scanned);
    QCOMPARE(Describe(ScanCommandLine(words, kTable, SingleDashWords::LongNames)), scanned);
}

QTEST_APPLESS_MAIN(TestCommandLineScan)
#include "tst_commandlinescan.moc"
