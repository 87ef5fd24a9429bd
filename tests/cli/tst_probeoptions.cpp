// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ProgramVoice.h"
#include "cli/ProbeHelp.h"
#include "cli/ProbeOptions.h"
#include "cli/Terminal.h"

#include <QtTest>

using namespace std::chrono;
using Action = ParsedCommandLine::Action;

namespace {

QList<QByteArray> Bytes(const QStringList &arguments)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << argument.toUtf8();
    return bytes;
}

ParsedCommandLine Parse(const QStringList &arguments)
{
    return ParseProbeOptions(Bytes(arguments));
}

} // namespace

// The command line of kelvora-probe: every option, its defaults, and every
// kind of bad usage refused with one line that names the option or value.
class TestProbeOptions : public QObject {
    Q_OBJECT

private slots:
    void defaultsWithHostOnly();
    void eachOption_data();
    void eachOption();
    void hostAndPort_data();
    void hostAndPort();
    void helpAndVersion_data();
    void helpAndVersion();
    void badUsage_data();
    void badUsage();
    void usageLinePointsToHelp();
    void helpNamesEveryOption();
    void helpAndManualFromOneTable();
    void historyFileIsAttached();
    void colourChoice_data();
    void colourChoice();
};

void TestProbeOptions::defaultsWithHostOnly()
{
    const ParsedCommandLine parsed = Parse({QStringLiteral("127.0.0.1")});
    QCOMPARE(parsed.action, Action::Run);
    const ProbeOptions &o = parsed.options;
    QCOMPARE(o.host, QStringLiteral("127.0.0.1"));
    QCOMPARE(o.hostForResolver, std::string("127.0.0.1"));
    QCOMPARE(o.port, 80);
    QCOMPARE(o.count, 0u);
    QCOMPARE(o.interval, nanoseconds(seconds(1)));
    QCOMPARE(o.timeoutMs, 5000);
    QCOMPARE(o.format, OutputFormat::Text);
    QVERIFY(!o.timestamp);
    QVERIFY(!o.quiet);
    QCOMPARE(o.color, ColorMode::Auto);
    QVERIFY(o.prometheusFile.isEmpty());
    QVERIFY(!o.history);
    QCOMPARE(o.family, FamilyChoice::Auto);
    QVERIFY(!o.resolveOnce);
}

// Each row changes one thing from the defaults; `field` says which and
// `expected` what it must hold, as text.
void TestProbeOptions::eachOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, QStringList arguments, const char *field, const char *expected) {
        arguments << QStringLiteral("h");
        QTest::newRow(name) << arguments << QString::fromLatin1(field) << QString::fromUtf8(expected);
    };
    row("count short", {"-c", "3"}, "count", "3");
    row("count long", {"--count", "12"}, "count", "12");
    row("count long with =", {"--count=7"}, "count", "7");
    row("count attached to short", {"-c9"}, "count", "9");
    row("count largest", {"-c", "9223372036854775807"}, "count", "9223372036854775807");
    row("count given twice: the last", {"-c", "2", "-c", "5"}, "count", "5");
    row("interval whole", {"-i", "2"}, "interval", "2000000000");
    row("interval decimals", {"--interval", "0.25"}, "interval", "250000000");
    row("interval shortest", {"-i", "0.01"}, "interval", "10000000");
    row("interval leading point", {"-i", ".5"}, "interval", "500000000");
    row("interval trailing point", {"-i", "3."}, "interval", "3000000000");
    row("interval longest", {"-i", "86400"}, "interval", "86400000000000");
    row("interval shortest with trailing zeros", {"-i", "0.0100000000000000000000"}, "interval", "10000000");
    row("interval beyond nanoseconds rounds up", {"-i", "0.0100000000001"}, "interval", "10000001");
    row("interval with leading zeros", {"-i", "000000000000000000002"}, "interval", "2000000000");
    row("timeout whole", {"-w", "1"}, "timeout", "1000");
    row("timeout long with =", {"--timeout=2.5"}, "timeout", "2500");
    row("timeout 0 is the client's own limit", {"-w", "0"}, "timeout", "0");
    row("timeout 0.0 too", {"-w", "0.0"}, "timeout", "0");
    row("timeout rounds to the millisecond", {"-w", "0.0015"}, "timeout", "2");
    row("timeout rounds up, however little is left", {"-w", "1.000000000000000000001"}, "timeout", "1001");
    row("timeout of whole milliseconds stays", {"-w", "2.340000000000"}, "timeout", "2340");
    row("timeout shortest", {"-w", "0.001"}, "timeout", "1");
    row("timeout longest", {"-w", "86400.000000000000"}, "timeout", "86400000");
    row("timeout zero with many digits", {"-w", "0.000000000000000000000"}, "timeout", "0");
    row("format json", {"-f", "json"}, "format", "json");
    row("format csv", {"--format", "csv"}, "format", "csv");
    row("format text", {"--format=text"}, "format", "text");
    row("timestamp short", {"-D"}, "timestamp", "true");
    row("timestamp long", {"--timestamp"}, "timestamp", "true");
    row("quiet short", {"-q"}, "quiet", "true");
    row("quiet long", {"--quiet"}, "quiet", "true");
    row("quiet and timestamp compacted", {"-qD"}, "quiet+timestamp", "true");
    row("compacted flags then a value", {"-qc4"}, "count", "4");
    row("color always", {"--color", "always"}, "color", "always");
    row("color never", {"--color=never"}, "color", "never");
    row("color auto", {"--color", "auto"}, "color", "auto");
    row("prometheus file", {"--prometheus", "/tmp/x/probe.prom"}, "prometheus", "/tmp/x/probe.prom");
    row("prometheus file with =", {"--prometheus=m.prom"}, "prometheus", "m.prom");
    row("IPv4 only", {"-4"}, "family", "ipv4");
    row("IPv4 only, long", {"--ipv4"}, "family", "ipv4");
    row("IPv6 only", {"-6"}, "family", "ipv6");
    row("IPv6 only, long, compacted with others", {"-qr6"}, "family", "ipv6");
    row("IPv6 only given twice", {"-6", "--ipv6"}, "family", "ipv6");
    row("resolve once", {"-r"}, "resolve-once", "true");
    row("resolve once, long", {"--resolve-once"}, "resolve-once", "true");
    row("history: the default file", {"--history"}, "history", "default");
    row("history into a file", {"--history=/tmp/x/h.sqlite"}, "history", "/tmp/x/h.sqlite");
    row("history: the last given counts", {"--history=a", "--history"}, "history", "default");
}

void TestProbeOptions::eachOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const ParsedCommandLine parsed = Parse(arguments);
    QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.error));
    const ProbeOptions &o = parsed.options;
    static const char *formats[] = {"text", "json", "csv"};
    static const char *colors[] = {"auto", "always", "never"};
    static const char *families[] = {"auto", "ipv4", "ipv6"};
    QString actual;
    if (field == QLatin1String("count"))
        actual = QString::number(o.count);
    else if (field == QLatin1String("interval"))
        actual = QString::number(o.interval.count());
    else if (field == QLatin1String("timeout"))
        actual = QString::number(o.timeoutMs);
    else if (field == QLatin1String("format"))
        actual = QString::fromLatin1(formats[static_cast<int>(o.format)]);
    else if (field == QLatin1String("timestamp"))
        actual = o.timestamp ? QStringLiteral("true") : QStringLiteral("false");
    else if (field == QLatin1String("quiet"))
        actual = o.quiet ? QStringLiteral("true") : QStringLiteral("false");
    else if (field == QLatin1String("quiet+timestamp"))
        actual = o.quiet && o.timestamp ? QStringLiteral("true") : QStringLiteral("false");
    else if (field == QLatin1String("color"))
        actual = QString::fromLatin1(colors[static_cast<int>(o.color)]);
    else if (field == QLatin1String("prometheus"))
        actual = o.prometheusFile;
    else if (field == QLatin1String("family"))
        actual = QString::fromLatin1(families[static_cast<int>(o.family)]);
    else if (field == QLatin1String("resolve-once"))
        actual = o.resolveOnce ? QStringLiteral("true") : QStringLiteral("false");
    else if (field == QLatin1String("history"))
        actual = !o.history ? QStringLiteral("none") : o.historyFile.isEmpty() ? QStringLiteral("default") : o.historyFile;
    QCOMPARE(actual, expected);
    QCOMPARE(o.host, QStringLiteral("h"));
}

void TestProbeOptions::hostAndPort_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QByteArray>("forResolver");
    QTest::addColumn<int>("port");

    QTest::newRow("port given") << QStringList{"127.0.0.1", "8080"} << "127.0.0.1" << QByteArray("127.0.0.1") << 8080;
    QTest::newRow("port 0") << QStringList{"h", "0"} << "h" << QByteArray("h") << 0;
    QTest::newRow("port 65535") << QStringList{"h", "65535"} << "h" << QByteArray("h") << 65535;
    QTest::newRow("port with leading zeros") << QStringList{"h", "0080"} << "h" << QByteArray("h") << 80;
    QTest::newRow("options after the host") << QStringList{"h", "-c", "2", "81"} << "h" << QByteArray("h") << 81;
    QTest::newRow("host after --, starting with a dash") << QStringList{"--", "-x", "82"} << "-x" << QByteArray("-x") << 82;
    QTest::newRow("international name in its ASCII form")
        << QStringList{QStringLiteral("пример.рф")} << QStringLiteral("пример.рф") << QByteArray("xn--e1afmkfd.xn--p1ai") << 80;
    const QString longest = QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(61, 'd');
    QTest::newRow("host of 253 bytes") << QStringList{longest} << longest << longest.toLatin1() << 80;
    QTest::newRow("host of 253 bytes and the root dot")
        << QStringList{longest + '.'} << longest + '.' << (longest + '.').toLatin1() << 80;
}

void TestProbeOptions::hostAndPort()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, host);
    QFETCH(QByteArray, forResolver);
    QFETCH(int, port);
    const ParsedCommandLine parsed = Parse(arguments);
    QVERIFY2(parsed.action == Action::Run, qPrintable(parsed.error));
    QCOMPARE(parsed.options.host, host);
    QCOMPARE(QByteArray::fromStdString(parsed.options.hostForResolver), forResolver);
    QCOMPARE(int(parsed.options.port), port);
}

void TestProbeOptions::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::newRow("-h") << QStringList{"-h"} << Action::Help;
    QTest::newRow("--help") << QStringList{"--help"} << Action::Help;
    QTest::newRow("--help with a host and options") << QStringList{"-c", "3", "h", "--help"} << Action::Help;
    QTest::newRow("--help without a host") << QStringList{"-q", "--help"} << Action::Help;
    QTest::newRow("-V") << QStringList{"-V"} << Action::Version;
    QTest::newRow("--version") << QStringList{"--version"} << Action::Version;
}

void TestProbeOptions::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QCOMPARE(Parse(arguments).action, action);
}

// `named` must appear in the message: the option or value at fault.
void TestProbeOptions::badUsage_data()
{
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<QString>("named");

    const auto row = [](const char *name, QStringList arguments, const QString &named) {
        QTest::newRow(name) << Bytes(arguments) << named;
    };
    row("no arguments", {}, "missing HOST");
    row("only options", {"-c", "2"}, "missing HOST");
    row("unknown short option", {"-x", "h"}, "'-x'");
    row("unknown long option", {"--bogus", "h"}, "unknown option '--bogus'");
    row("unknown option shown safely", {QStringLiteral("--x\u202e\x1b[31m"), "h"}, "unknown option '--x\\u202e\\x1b[31m'");
    row("bad value shown safely", {"-f", QStringLiteral("j\u2066son\u0085"), "h"}, "--format: bad value 'j\\u2066son\\u0085'");
    row("stray argument shown safely", {"h", QStringLiteral("\u202ex")}, "HOST: bad value '\\u202ex'");
    row("long options are not abbreviated", {"--cou", "3", "h"}, "unknown option '--cou'");
    row("-v is not -V", {"-v"}, "'-v'");
    row("unknown letter among compacted", {"-qz", "h"}, "'-z'");
    row("flag with a value", {"--quiet=1", "h"}, "'--quiet'");
    row("count missing its value", {"h", "-c"}, "'-c'");
    row("interval missing its value", {"h", "--interval"}, "'--interval'");
    row("count 0", {"-c", "0", "h"}, "--count: bad value '0'");
    row("count negative", {"-c", "-1", "h"}, "--count: bad value '-1'");
    row("count garbage", {"-c", "abc", "h"}, "--count: bad value 'abc'");
    row("count with decimals", {"-c", "1.5", "h"}, "--count: bad value '1.5'");
    row("count with a sign", {"-c", "+3", "h"}, "--count: bad value '+3'");
    row("count too large", {"-c", "9223372036854775808", "h"}, "--count: bad value '9223372036854775808'");
    row("count far too large", {"-c", "99999999999999999999999", "h"}, "--count: bad value '99999999999999999999999'");
    row("count empty", {"--count=", "h"}, "--count: bad value ''");
    row("count with blanks", {"-c", " 3", "h"}, "--count: bad value ' 3'");
    row("count in other digits", {"-c", QStringLiteral("٣"), "h"}, "--count: bad value");
    row("interval under 0.01", {"-i", "0.009", "h"}, "--interval: bad value '0.009': the shortest interval is 0.01");
    row("interval a hair under 0.01", {"-i", "0.00999999999999999999", "h"},
        "--interval: bad value '0.00999999999999999999': the shortest");
    row("interval a hair over a day", {"-i", "86400.00000000000000000001", "h"}, "the longest interval is 86400");
    row("interval 0", {"-i", "0", "h"}, "--interval: bad value '0'");
    row("interval negative", {"-i", "-1", "h"}, "--interval: bad value '-1'");
    row("interval garbage", {"-i", "soon", "h"}, "--interval: bad value 'soon'");
    row("interval exponent", {"-i", "1e3", "h"}, "--interval: bad value '1e3'");
    row("interval hexadecimal", {"-i", "0x10", "h"}, "--interval: bad value '0x10'");
    row("interval infinite", {"-i", "inf", "h"}, "--interval: bad value 'inf'");
    row("interval not a number", {"-i", "nan", "h"}, "--interval: bad value 'nan'");
    row("interval two points", {"-i", "1.2.3", "h"}, "--interval: bad value '1.2.3'");
    row("interval lone point", {"-i", ".", "h"}, "--interval: bad value '.'");
    row("interval decimal comma", {"-i", "0,5", "h"}, "--interval: bad value '0,5'");
    row("interval over a day", {"-i", "86400.5", "h"}, "--interval: bad value '86400.5': the longest");
    row("interval of a thousand digits", {"-i", QString(1000, '9'), "h"}, "--interval: bad value '9999");
    row("timeout negative", {"-w", "-5", "h"}, "--timeout: bad value '-5'");
    row("timeout garbage", {"-w", "5s", "h"}, "--timeout: bad value '5s'");
    row("timeout under a millisecond", {"-w", "0.0004", "h"}, "--timeout: bad value '0.0004'");
    row("timeout of half a millisecond", {"-w", "0.0005", "h"}, "--timeout: bad value '0.0005'");
    row("timeout a hair under a millisecond", {"-w", "0.000999999999999", "h"}, "--timeout: bad value '0.000999");
    row("timeout a hair over a day", {"-w", "86400.0000000001", "h"}, "--timeout: bad value '86400.0000000001'");
    row("timeout far too long", {"-w", "99999999999999999999999", "h"}, "--timeout: bad value '9999");
    row("timeout over a day", {"-w", "90000", "h"}, "--timeout: bad value '90000'");
    row("format unknown", {"-f", "xml", "h"}, "--format: bad value 'xml'");
    row("format in capitals", {"-f", "JSON", "h"}, "--format: bad value 'JSON'");
    row("color unknown", {"--color", "blue", "h"}, "--color: bad value 'blue'");
    row("prometheus without a file name", {"--prometheus=", "h"}, "--prometheus");
    row("IPv4 and IPv6 both", {"-4", "-6", "h"}, "--ipv4 and --ipv6 exclude each other");
    row("IPv6 and IPv4 both, long and compacted", {"--ipv6", "-q4", "h"}, "--ipv4 and --ipv6 exclude each other");
    row("resolve once takes no value", {"--resolve-once=yes", "h"}, "option '--resolve-once' takes no value");
    row("history with an empty file name", {"--history=", "h"}, "--history: bad value '': expected a file name");
    row("port above 65535", {"h", "65536"}, "PORT: bad value '65536'");
    row("port far above", {"h", "99999999999999999999"}, "PORT: bad value '99999999999999999999'");
    row("port negative", {"h", "-1"}, "PORT: bad value '-1'");
    row("port garbage after the colon", {"h:80x"}, "PORT: bad value 'h:80x'");
    row("port by service name after the colon", {"h:http"}, "PORT: bad value 'h:http'");
    row("port hexadecimal after the colon", {"h:0x50"}, "PORT: bad value 'h:0x50'");
    row("port twice, after the colon and apart", {"h:80", "81"}, "PORT given twice");
    row("port twice, after the brackets and apart", {"[::1]:80", "81"}, "PORT given twice");
    row("a port alone among several targets", {"a", "b", "80"}, "'80' reads as a port");
    row("the same target twice", {"h", "h:80"}, "target 'h:80' given twice");
    row("parallel zero", {"--parallel", "0", "h"}, "--parallel: bad value '0'");
    row("parallel above the limit", {"--parallel", "1025", "h"}, "--parallel: bad value '1025'");
    row("internet rule unknown", {"--internet", "most", "h"}, "expected any, all or quorum");
    row("listen without a port", {"--listen", "127.0.0.1", "h"}, "--listen: bad value '127.0.0.1'");
    row("listen on a name", {"--listen", "localhost:9374", "h"}, "--listen: bad value 'localhost:9374'");
    row("listen on IPv6 without brackets", {"--listen", "::1:9374", "h"}, "--listen: bad value");
    row("listen port above 65535", {"--listen", ":65536", "h"}, "--listen: bad value ':65536'");
    row("default port garbage", {"-p", "x", "h"}, "--port: bad value 'x'");
    row("port with a sign", {"h", "+80"}, "PORT: bad value '+80'");
    row("port empty", {"h", ""}, "PORT: bad value ''");
    row("port among three arguments", {"h", "80", "extra"}, "'80' reads as a port");
    row("negative third argument", {"h", "x", "-3"}, "'-3' reads as a port");
    row("host empty", {""}, "HOST is empty");
    row("host blank", {"   "}, "HOST: bad value '   ': a host name cannot hold a space");
    row("host with spaces around it", {" h "}, "HOST: bad value ' h '");
    row("host with a space inside", {"a b"}, "HOST: bad value 'a b'");
    row("host with a no-break space", {QStringLiteral("a\u00a0b")}, "cannot hold a space");
    row("host with a right-to-left override", {QStringLiteral("a\u202eb")}, "HOST: bad value 'a\\u202eb'");
    row("host with an escape sequence", {QStringLiteral("\x1b[2Jh")}, "HOST: bad value '\\x1b[2Jh'");
    row("host with a line separator", {QStringLiteral("a\u2028b")}, "HOST: bad value 'a\\u2028b'");
    row("host with a C1 control", {QStringLiteral("a\u009bb")}, "HOST: bad value 'a\\u009bb'");
    row("negative number as host", {"-5", "80"}, "unexpected argument '-5'");
    row("host with a control character", {QStringLiteral("a\x01" "b")}, "HOST: bad value 'a\\x01b'");
    row("host with a line break", {QStringLiteral("a\nb")}, "HOST: bad value 'a\\x0ab'");
    row("host with a tab", {QStringLiteral("a\tb")}, "HOST: bad value 'a\\x09b'");
    row("host with DEL", {QStringLiteral("a\x7f")}, "HOST: bad value 'a\\x7f'");
    row("host of 254 bytes", {QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(62, 'd')},
        "HOST: bad value 'aaaa");
    row("host label of 64 bytes", {QString(64, 'a') + ".example"}, "at most 63");
    row("host of a megabyte", {QString(1 << 20, 'x')}, "HOST: bad value 'xxxx");
    row("international name too long in ASCII form", {QString(60, QChar(0x0436))}, "HOST: bad value");

    QTest::newRow("host not valid UTF-8") << QList<QByteArray>{QByteArray("\xff\xfe" "ab")} << "'\\xff\\xfeab' is not valid UTF-8";
    QTest::newRow("option value not valid UTF-8")
        << QList<QByteArray>{QByteArray("-f"), QByteArray("js\xc3"), QByteArray("h")} << "'js\\xc3' is not valid UTF-8";
    QTest::newRow("UTF-8 of a surrogate") << QList<QByteArray>{QByteArray("\xed\xa0\x80")} << "not valid UTF-8";
}

void TestProbeOptions::badUsage()
{
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(QString, named);
    const ParsedCommandLine parsed = ParseProbeOptions(arguments);
    QCOMPARE(parsed.action, Action::UsageError);
    QVERIFY2(parsed.error.contains(named), qPrintable(parsed.error));
    QVERIFY2(!parsed.error.contains(QLatin1Char('\n')), qPrintable(parsed.error));
    QVERIFY2(parsed.error.size() < 200, qPrintable(parsed.error));
}

void TestProbeOptions::usageLinePointsToHelp()
{
    const QString line = UsageErrorLine(kProbeName, QStringLiteral("--count: bad value '0'"));
    QCOMPARE(line, QStringLiteral("kelvora-probe: --count: bad value '0'. Try 'kelvora-probe --help'.\n"));
}

void TestProbeOptions::helpNamesEveryOption()
{
    const QString help = HelpText();
    QVERIFY(help.startsWith(QStringLiteral("Usage: kelvora-probe [options] HOST [PORT]\n")));
    for (const char *option : {"-c, --count N", "-i, --interval SECONDS", "-w, --timeout SECONDS", "-f, --format FORMAT",
                               "-D, --timestamp", "-q, --quiet", "--color WHEN", "--prometheus FILE", "-h, --help",
                               "-p, --port PORT", "--targets FILE", "--parallel N", "--internet RULE",
                               "--listen ADDRESS:PORT", "every address of the machine", "TARGET...", "never split at a colon",
                               "-V, --version", "SIGQUIT", "SIGHUP", "Exit status", "3 when the output could not",
                               "rounded up to whole milliseconds", "-4, --ipv4", "-6, --ipv6", "-r, --resolve-once",
                               "--history[=FILE]", "unless --resolve-once is given"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    for (const QString &line : help.split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 80, qPrintable(line));
    QVERIFY(VersionText(kProbeName).startsWith(QStringLiteral("kelvora-probe " KELVORA_VERSION "\nCopyright (C) ")));
}

// Every option of the table is in --help and in the manual page's list, with
// the same words, and every one with a value refuses a missing one.
void TestProbeOptions::helpAndManualFromOneTable()
{
    const QString help = HelpText();
    const QString manual = ManPageOptionList();
    // The words as one line, as --help wraps them.
    const QString unwrappedHelp = help.simplified();
    for (const ProbeOption &option : ProbeOptionTable()) {
        const QString name = QStringLiteral("--") + option.longName;
        QVERIFY2(help.contains(name), qPrintable(name));
        QVERIFY2(unwrappedHelp.contains(option.help), qPrintable(option.help));
        QVERIFY2(manual.contains(QStringLiteral("\\fB\\-\\-%1\\fR").arg(option.longName)), qPrintable(name));
        QString sentence = option.help;
        sentence[0] = sentence[0].toUpper();
        const QString firstWord = sentence.section(QLatin1Char(' '), 0, 0);
        QVERIFY2(manual.contains(QStringLiteral("\n") + firstWord), qPrintable(firstWord));
        if (option.optionalValue) {
            QVERIFY2(help.contains(QStringLiteral("%1[=%2]").arg(name, option.valueName)), qPrintable(name));
            QVERIFY2(manual.contains(QStringLiteral("[=\\fI%1\\fR]").arg(option.valueName)), qPrintable(name));
        } else if (!option.valueName.isEmpty()) {
            QVERIFY2(manual.contains(QStringLiteral("\\fI%1\\fR").arg(option.valueName)), qPrintable(name));
            const ParsedCommandLine parsed = Parse({QStringLiteral("h"), name});
            QCOMPARE(parsed.action, Action::UsageError);
            QCOMPARE(parsed.error, QStringLiteral("option '%1' needs a value").arg(name));
        }
    }
    QCOMPARE(manual.count(QStringLiteral(".TP\n")), qsizetype(ProbeOptionTable().size()));
    // Nothing in the list that roff would take for a request or an escape.
    for (const QString &line : manual.split(QLatin1Char('\n'))) {
        QVERIFY2(!line.startsWith(QLatin1Char('\'')), qPrintable(line));
        QVERIFY2(!line.startsWith(QLatin1Char('.')) || line == QLatin1String(".TP"), qPrintable(line));
        QVERIFY2(!line.contains(QRegularExpression(QStringLiteral("(^| )-[a-z-]"))), qPrintable(line));
    }
}

void TestProbeOptions::colourChoice_data()
{
    QTest::addColumn<ColorMode>("mode");
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArray>("noColor"); // "-": not set
    QTest::addColumn<QByteArray>("term");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("auto on a terminal") << ColorMode::Auto << true << QByteArray("-") << QByteArray("xterm") << true;
    QTest::newRow("auto on a pipe") << ColorMode::Auto << false << QByteArray("-") << QByteArray("xterm") << false;
    QTest::newRow("auto, NO_COLOR set") << ColorMode::Auto << true << QByteArray("1") << QByteArray("xterm") << false;
    QTest::newRow("auto, NO_COLOR empty counts as unset") << ColorMode::Auto << true << QByteArray("") << QByteArray("xterm") << true;
    QTest::newRow("auto, dumb terminal") << ColorMode::Auto << true << QByteArray("-") << QByteArray("dumb") << false;
    QTest::newRow("auto, no TERM") << ColorMode::Auto << true << QByteArray("-") << QByteArray("-") << true;
    QTest::newRow("always on a pipe, NO_COLOR set") << ColorMode::Always << false << QByteArray("1") << QByteArray("dumb") << true;
    QTest::newRow("never on a terminal") << ColorMode::Never << true << QByteArray("-") << QByteArray("xterm") << false;
}

void TestProbeOptions::colourChoice()
{
    QFETCH(ColorMode, mode);
    QFETCH(bool, terminal);
    QFETCH(QByteArray, noColor);
    QFETCH(QByteArray, term);
    QFETCH(bool, wanted);
    const char *noColorValue = noColor == "-" ? nullptr : noColor.constData();
    const char *termValue = term == "-" ? nullptr : term.constData();
    QCOMPARE(ColorWanted(mode, terminal, noColorValue, termValue), wanted);
}

// The file is attached with '=': a word after --history is a target.
void TestProbeOptions::historyFileIsAttached()
{
    const ParsedCommandLine parsed = Parse({"--history", "f.sqlite", "h"});
    QCOMPARE(parsed.action, Action::Run);
    QVERIFY(parsed.options.history);
    QVERIFY(parsed.options.historyFile.isEmpty());
    QCOMPARE(parsed.options.host, QStringLiteral("f.sqlite"));
    QCOMPARE(parsed.options.targets.size(), std::size_t{2});
}

QTEST_GUILESS_MAIN(TestProbeOptions)
#include "tst_probeoptions.moc"
