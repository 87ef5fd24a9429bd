// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ProgramVoice.h"
#include "cli/HistoryDates.h"
#include "cli/HistoryOptions.h"

#include <QDateTime>
#include <QTest>

#include <ctime>

namespace {

// 2026-03-10T15:30:00Z.
constexpr std::int64_t kNow = 1'773'156'600'000;
constexpr std::int64_t kDay = 86'400'000;

QList<QByteArray> Words(const QStringList &words)
{
    QList<QByteArray> bytes;
    for (const QString &word : words)
        bytes << word.toUtf8();
    return bytes;
}

} // namespace

class TestHistoryOptions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dates_data();
    void dates();
    void commandLines_data();
    void commandLines();
    void refusals_data();
    void refusals();
    void helpAndVersion();
    void argumentNotUtf8();
};

void TestHistoryOptions::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TestHistoryOptions::dates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("until");
    QTest::addColumn<qint64>("expected"); // -1: refused
    const qint64 midnight = kNow - 15 * 3'600'000 - 30 * 60'000 - 3'600'000; // 00:00 in Berlin (+01:00)
    QTest::newRow("today") << QStringLiteral("today") << false << midnight;
    QTest::newRow("today until its end") << QStringLiteral("today") << true << midnight + kDay;
    QTest::newRow("yesterday") << QStringLiteral("yesterday") << false << midnight - kDay;
    QTest::newRow("yesterday until its end") << QStringLiteral("yesterday") << true << midnight;
    QTest::newRow("now") << QStringLiteral("now") << false << qint64(kNow);
    QTest::newRow("seven days back") << QStringLiteral("-7d") << false << qint64(kNow - 7 * kDay);
    QTest::newRow("twelve hours back") << QStringLiteral("-12h") << true << qint64(kNow - 12 * 3'600'000);
    QTest::newRow("two weeks back") << QStringLiteral("-2w") << false << qint64(kNow - 14 * kDay);
    QTest::newRow("a local date") << QStringLiteral("2026-03-01") << false << qint64(1'772'319'600'000);
    QTest::newRow("a local date until its end") << QStringLiteral("2026-03-01") << true << qint64(1'772'319'600'000 + kDay);
    QTest::newRow("the day summer time begins ends after 23 hours") << QStringLiteral("2026-03-29") << true
                                                                    << qint64(1'774'821'600'000);
    QTest::newRow("a local time") << QStringLiteral("2026-03-01T14:30") << false << qint64(1'772'371'800'000);
    QTest::newRow("a local time with a space") << QStringLiteral("2026-03-01 14:30:05.250") << false << qint64(1'772'371'805'250);
    QTest::newRow("UTC") << QStringLiteral("2026-03-01T14:30:00Z") << false << qint64(1'772'375'400'000);
    QTest::newRow("an offset") << QStringLiteral("2026-03-01T14:30:00+05:30") << false << qint64(1'772'355'600'000);
    QTest::newRow("no such day") << QStringLiteral("2026-02-30") << false << qint64(-1);
    QTest::newRow("a unit unknown") << QStringLiteral("-7y") << false << qint64(-1);
    QTest::newRow("ahead of now") << QStringLiteral("+7d") << false << qint64(-1);
    QTest::newRow("words") << QStringLiteral("last tuesday") << false << qint64(-1);
    QTest::newRow("empty") << QStringLiteral("") << false << qint64(-1);
}

void TestHistoryOptions::dates()
{
    QFETCH(QString, text);
    QFETCH(bool, until);
    QFETCH(qint64, expected);
    const auto parsed = ParseHistoryDate(text, until ? DateEdge::Until : DateEdge::Since, kNow);
    if (expected < 0) {
        QVERIFY(!parsed.has_value());
        return;
    }
    QVERIFY(parsed.has_value());
    QCOMPARE(qint64(*parsed), expected);
}

void TestHistoryOptions::commandLines_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port"); // -1: any
    QTest::addColumn<int>("format");
    QTest::newRow("the command alone") << QStringList{"report"} << int(HistoryCommand::Report) << QStringLiteral("") << -1
                                       << int(OutputFormat::Text);
    QTest::newRow("options after the command")
        << QStringList{"checks", "--target", "example.org:8080", "-f", "json"} << int(HistoryCommand::Checks)
        << QStringLiteral("example.org") << 8080 << int(OutputFormat::Json);
    QTest::newRow("a host without a port") << QStringList{"--target=example.org", "outages", "--format=csv"}
                                           << int(HistoryCommand::Outages) << QStringLiteral("example.org") << -1 << int(OutputFormat::Csv);
    QTest::newRow("an IPv6 address in brackets") << QStringList{"days", "--target", "[2001:db8::1]:80"}
                                                 << int(HistoryCommand::Days) << QStringLiteral("2001:db8::1") << 80
                                                 << int(OutputFormat::Text);
    QTest::newRow("a bare IPv6 address") << QStringList{"targets", "--target", "::1"} << int(HistoryCommand::Targets)
                                         << QStringLiteral("::1") << -1 << int(OutputFormat::Text);
    QTest::newRow("a date before now after its option") << QStringList{"report", "--since", "-7d"}
                                                        << int(HistoryCommand::Report) << QStringLiteral("") << -1
                                                        << int(OutputFormat::Text);
    QTest::newRow("a date before now joined to its option") << QStringList{"report", "--since=-7d"}
                                                            << int(HistoryCommand::Report) << QStringLiteral("") << -1
                                                            << int(OutputFormat::Text);
    QTest::newRow("a format attached to its letter") << QStringList{"-fjson", "targets"} << int(HistoryCommand::Targets)
                                                     << QStringLiteral("") << -1 << int(OutputFormat::Json);
    QTest::newRow("the last format given") << QStringList{"-f", "csv", "targets", "--format", "json"}
                                           << int(HistoryCommand::Targets) << QStringLiteral("") << -1
                                           << int(OutputFormat::Json);
    QTest::newRow("prune with a cap") << QStringList{"prune", "--max-size", "50M"} << int(HistoryCommand::Prune)
                                      << QStringLiteral("") << -1 << int(OutputFormat::Text);
}

void TestHistoryOptions::commandLines()
{
    QFETCH(QStringList, words);
    QFETCH(int, command);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(int, format);
    const ParsedHistoryCommandLine parsed = ParseHistoryOptions(Words(words), kNow);
    QCOMPARE(parsed.error, QString());
    QCOMPARE(parsed.action, ParsedHistoryCommandLine::Action::Run);
    QCOMPARE(int(parsed.options.command), command);
    QCOMPARE(QString::fromStdString(parsed.options.host), host);
    QCOMPARE(parsed.options.port.has_value() ? int(*parsed.options.port) : -1, port);
    QCOMPARE(int(parsed.options.format), format);
    if (words.contains(QStringLiteral("-7d")) || words.contains(QStringLiteral("--since=-7d")))
        QCOMPARE(qint64(*parsed.options.sinceMs), kNow - 7 * kDay);
    if (command == int(HistoryCommand::Prune))
        QCOMPARE(*parsed.options.maxBytes, std::uint64_t{50} << 20);
}

void TestHistoryOptions::refusals_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("error");
    QTest::newRow("an unknown long option") << QStringList{"report", "--x"} << QStringLiteral("unknown option '--x'");
    QTest::newRow("an unknown short option") << QStringList{"-x", "report"} << QStringLiteral("unknown option '-x'");
    QTest::newRow("no command") << QStringList{"--format", "json"}
                                << QStringLiteral("missing command (report, outages, checks, days, targets, prune or vacuum)");
    QTest::newRow("an unknown command") << QStringList{"summary"} << QStringLiteral("unknown command 'summary'");
    QTest::newRow("two commands") << QStringList{"report", "days"} << QStringLiteral("unexpected argument 'days'");
    QTest::newRow("a bad format") << QStringList{"report", "-f", "xml"}
                                  << QStringLiteral("--format: bad value 'xml': expected text, json or csv");
    QTest::newRow("a bad date") << QStringList{"report", "--since", "soon"}
                                << QStringLiteral("--since: bad value 'soon': expected an ISO 8601 date or time, today, yesterday, now or -7d");
    QTest::newRow("until before since") << QStringList{"report", "--since", "today", "--until", "yesterday"}
                                        << QStringLiteral("--until must be later than --since");
    QTest::newRow("a port too large") << QStringList{"report", "--target", "example.org:65536"}
                                      << QStringLiteral("--target: bad value 'example.org:65536': expected a port from 0 to 65535");
    QTest::newRow("an empty port") << QStringList{"report", "--target", "example.org:"}
                                   << QStringLiteral("--target: bad value 'example.org:': expected HOST or HOST:PORT");
    QTest::newRow("a cap for another command") << QStringList{"report", "--max-size", "1M"}
                                               << QStringLiteral("--max-size belongs to prune");
    QTest::newRow("an empty file name") << QStringList{"report", "--file="} << QStringLiteral("--file: the file name is empty");
    QTest::newRow("a value missing at the end") << QStringList{"report", "--since"}
                                                << QStringLiteral("option '--since' needs a value");
    QTest::newRow("a switch given a value") << QStringList{"report", "--help=x"}
                                            << QStringLiteral("option '--help' takes no value");
    QTest::newRow("no abbreviations") << QStringList{"report", "--tar", "h"} << QStringLiteral("unknown option '--tar'");
    QTest::newRow("a bad value shown safely") << QStringList{"report", "-f", QStringLiteral("j\u202eson")}
                                              << QStringLiteral("--format: bad value 'j\\u202eson': expected text, json or csv");
    QTest::newRow("a command after -- is still a command, once") << QStringList{"report", "--", "days"}
                                                                 << QStringLiteral("unexpected argument 'days'");
}

void TestHistoryOptions::refusals()
{
    QFETCH(QStringList, words);
    QFETCH(QString, error);
    const ParsedHistoryCommandLine parsed = ParseHistoryOptions(Words(words), kNow);
    QCOMPARE(parsed.action, ParsedHistoryCommandLine::Action::UsageError);
    QCOMPARE(parsed.error, error);
    QCOMPARE(HistoryUsageErrorLine(parsed.error),
             QStringLiteral("kelvora-history: %1. Try 'kelvora-history --help'.\n").arg(error));
}

void TestHistoryOptions::helpAndVersion()
{
    QCOMPARE(ParseHistoryOptions(Words({"report", "--help"}), kNow).action, ParsedHistoryCommandLine::Action::Help);
    QCOMPARE(ParseHistoryOptions(Words({"-V"}), kNow).action, ParsedHistoryCommandLine::Action::Version);
    // In the words of the other programs, with its own name.
    const QString version = HistoryVersionText();
    QVERIFY2(version.startsWith(QStringLiteral("kelvora-history " KELVORA_VERSION "\n")), qPrintable(version));
    QCOMPARE(version, VersionText(u"kelvora-history"));
    for (const char *command : {"report", "outages", "checks", "days", "targets", "prune", "vacuum"})
        QVERIFY(HistoryHelpText().contains(QLatin1String(command)));
}

void TestHistoryOptions::argumentNotUtf8()
{
    const ParsedHistoryCommandLine parsed = ParseHistoryOptions({QByteArray("report"), QByteArray("--file=\xff")}, kNow);
    QCOMPARE(parsed.action, ParsedHistoryCommandLine::Action::UsageError);
    QCOMPARE(parsed.error, QStringLiteral("argument '--file=\\xff' is not valid UTF-8"));
}

QTEST_GUILESS_MAIN(TestHistoryOptions)
#include "tst_historyoptions.moc"
