// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeOptions.h"
#include "cli/ProbeTargets.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

using Targets = std::vector<TargetSpec>;

TargetSpec Target(const char *host, std::uint16_t port)
{
    return TargetSpec{QString::fromUtf8(host), host, port};
}

// The targets the command line names, or an empty list with `error` set.
Targets Parsed(const QStringList &arguments, QString *error)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << argument.toUtf8();
    const ParsedCommandLine parsed = ParseProbeOptions(bytes);
    *error = parsed.error;
    return parsed.action == ParsedCommandLine::Action::Run ? parsed.options.targets : Targets{};
}

QString Describe(const Targets &targets)
{
    QStringList names;
    for (const TargetSpec &target : targets)
        names << TargetName(target);
    return names.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(Targets)

// How targets are read: from the command line (with the old HOST PORT
// form), from a targets file, and the shapes of IPv6 literals.
class TestProbeTargets : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void targetsFileLines();
    void targetsFileRefusals_data();
    void targetsFileRefusals();
    void targetsFileFromDisk();
    void tooManyTargets();
    void firstTargetFillsTheSingleTargetFields();
};

void TestProbeTargets::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Targets>("expected");

    QTest::newRow("host alone gets port 80") << QStringList{"h"} << Targets{Target("h", 80)};
    QTest::newRow("host and a number: the old form") << QStringList{"h", "8080"} << Targets{Target("h", 8080)};
    QTest::newRow("host:port") << QStringList{"h:81"} << Targets{Target("h", 81)};
    QTest::newRow("two hosts") << QStringList{"a", "b"} << Targets{Target("a", 80), Target("b", 80)};
    QTest::newRow("a second word that is a name is a target")
        << QStringList{"h", "http"} << Targets{Target("h", 80), Target("http", 80)};
    QTest::newRow("three targets with ports")
        << QStringList{"a:1", "b", "c:3"} << Targets{Target("a", 1), Target("b", 80), Target("c", 3)};
    QTest::newRow("--port for those without one")
        << QStringList{"-p", "443", "a", "b:80"} << Targets{Target("a", 443), Target("b", 80)};
    QTest::newRow("old form wins over --port") << QStringList{"-p", "443", "a", "22"} << Targets{Target("a", 22)};
    QTest::newRow("bare IPv6 is never split") << QStringList{"::1"} << Targets{Target("::1", 80)};
    QTest::newRow("bracketed IPv6 and a number: the old form")
        << QStringList{"[::1]", "8080"} << Targets{Target("::1", 8080)};
    QTest::newRow("bare IPv6 and a number: the old form") << QStringList{"::1", "8080"} << Targets{Target("::1", 8080)};
    QTest::newRow("bare IPv6 ending in digits")
        << QStringList{"fd00:6b::1:80"} << Targets{Target("fd00:6b::1:80", 80)};
    QTest::newRow("bare IPv6 then the old port") << QStringList{"::1", "8080"} << Targets{Target("::1", 8080)};
    QTest::newRow("bracketed IPv6 with a port") << QStringList{"[::1]:8080"} << Targets{Target("::1", 8080)};
    QTest::newRow("bracketed IPv6 alone") << QStringList{"[fd00::1]"} << Targets{Target("fd00::1", 80)};
    QTest::newRow("IPv6 with a zone") << QStringList{"[fe80::1%lo]:22"} << Targets{Target("fe80::1%lo", 22)};
    QTest::newRow("IPv4 with mapped IPv6 tail")
        << QStringList{"[::ffff:127.0.0.1]:1"} << Targets{Target("::ffff:127.0.0.1", 1)};
    QTest::newRow("port 0 and 65535") << QStringList{"a:0", "b:65535"} << Targets{Target("a", 0), Target("b", 65535)};
    QTest::newRow("same host, other ports")
        << QStringList{"h:1", "h:2"} << Targets{Target("h", 1), Target("h", 2)};
}

void TestProbeTargets::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(Targets, expected);
    QString error;
    const Targets targets = Parsed(arguments, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(Describe(targets), Describe(expected));
    QVERIFY(targets == expected);
}

void TestProbeTargets::targetsFileLines()
{
    const QByteArray text = "# the home line\n"
                            "router.lan\n"
                            "\n"
                            "   isp-resolver:53   # trailing comment\n"
                            "[::1]:9\r\n"
                            "\t\n"
                            "last.example";
    Targets targets;
    const auto problem = ReadTargetLines(QStringLiteral("t.txt"), text, 8080, targets);
    QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    QCOMPARE(Describe(targets), QStringLiteral("router.lan:8080 isp-resolver:53 [::1]:9 last.example:8080"));
}

void TestProbeTargets::targetsFileRefusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("named");

    QTest::newRow("bad port names its line") << QByteArray("a\nb:99999\n") << "t.txt:2: PORT: bad value 'b:99999'";
    QTest::newRow("two words on a line") << QByteArray("a b\n") << "t.txt:1: HOST: bad value 'a b'";
    QTest::newRow("control character") << QByteArray("a\x01\n") << "t.txt:1: HOST: bad value 'a\\x01'";
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\n") << "t.txt: not valid UTF-8";
    QTest::newRow("larger than a mebibyte") << QByteArray((1 << 20) + 1, 'a') << "larger than 1 MiB";
    QTest::newRow("unclosed bracket") << QByteArray("[::1:80\n") << "t.txt:1: HOST: bad value '[::1:80'";
    QTest::newRow("brackets around a name") << QByteArray("[host]:80\n") << "brackets hold an IPv6 address";
    QTest::newRow("something after the brackets") << QByteArray("[::1]x\n") << "expected :PORT after the brackets";
    QTest::newRow("colons but no IPv6") << QByteArray("a:b:c\n") << "[ADDRESS]:PORT";
}

void TestProbeTargets::targetsFileRefusals()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, named);
    Targets targets;
    const auto problem = ReadTargetLines(QStringLiteral("t.txt"), text, 80, targets);
    QVERIFY2(problem.has_value(), "accepted");
    QVERIFY2(problem->contains(named), qPrintable(*problem));
    QVERIFY2(!problem->contains(QLatin1Char('\n')) && problem->size() < 200, qPrintable(*problem));
}

void TestProbeTargets::targetsFileFromDisk()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("targets"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("b:2\n# c\nc\n");
    file.close();

    ProbeOptions options;
    options.targets = {Target("a", 1)};
    options.targetsFile = path;
    QCOMPARE(CompleteTargets(options), std::nullopt);
    QCOMPARE(Describe(options.targets), QStringLiteral("a:1 b:2 c:80"));

    // A target of the file that the command line named already.
    ProbeOptions twice;
    twice.targets = {Target("b", 2)};
    twice.targetsFile = path;
    QVERIFY(CompleteTargets(twice).value_or(QString()).contains(QStringLiteral("'b:2' given twice")));

    ProbeOptions missing;
    missing.targetsFile = folder.filePath(QStringLiteral("none"));
    const QString error = CompleteTargets(missing).value_or(QString());
    QVERIFY2(error.startsWith(QStringLiteral("--targets: ")) && error.contains(QStringLiteral("none")), qPrintable(error));

    QFile empty(folder.filePath(QStringLiteral("empty")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.write("# only a comment\n");
    empty.close();
    ProbeOptions none;
    none.targetsFile = empty.fileName();
    QVERIFY(CompleteTargets(none).value_or(QString()).contains(QStringLiteral("names no target")));

    // A fifo that nobody writes to holds nothing up: it names no target.
    const QByteArray fifo = QFile::encodeName(folder.filePath(QStringLiteral("fifo")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    ProbeOptions fromFifo;
    fromFifo.targetsFile = QString::fromUtf8(fifo);
    QVERIFY(CompleteTargets(fromFifo).value_or(QString()).contains(QStringLiteral("names no target")));

    // A --targets alone is a whole command line.
    QString parseError;
    QList<QByteArray> arguments{"--targets", path.toUtf8()};
    QCOMPARE(ParseProbeOptions(arguments).action, ParsedCommandLine::Action::Run);
    QVERIFY(Parsed({QStringLiteral("-c"), QStringLiteral("1")}, &parseError).empty());
    QCOMPARE(parseError, QStringLiteral("missing HOST"));
}

void TestProbeTargets::tooManyTargets()
{
    QByteArray text;
    for (std::size_t i = 0; i <= kMaxTargets; ++i)
        text += "h" + QByteArray::number(static_cast<qulonglong>(i)) + "\n";
    Targets targets;
    const auto problem = ReadTargetLines(QStringLiteral("t.txt"), text, 80, targets);
    QVERIFY(problem.has_value());
    QVERIFY2(problem->contains(QStringLiteral("too many targets")), qPrintable(*problem));
    QVERIFY2(problem->contains(QStringLiteral(":%1:").arg(kMaxTargets + 1)), qPrintable(*problem));
}

void TestProbeTargets::firstTargetFillsTheSingleTargetFields()
{
    QString error;
    QList<QByteArray> arguments{"b.example:81", "a.example"};
    const ParsedCommandLine parsed = ParseProbeOptions(arguments);
    QCOMPARE(parsed.action, ParsedCommandLine::Action::Run);
    QCOMPARE(parsed.options.host, QStringLiteral("b.example"));
    QCOMPARE(parsed.options.hostForResolver, std::string("b.example"));
    QCOMPARE(parsed.options.port, std::uint16_t(81));
}

QTEST_GUILESS_MAIN(TestProbeTargets)
#include "tst_probetargets.moc"
