// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The Debian packages as scripts/package.sh builds them, in trees of the
// test's own: built twice from one commit, from two source folders into two
// build folders, they are the same bytes; then the first build's name and
// control fields, its files, lintian's verdict on both packages, the
// detached debug symbols, and the programs unpacked into a scratch root.

#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kSourceDir = QStringLiteral(KELVORA_SOURCE_DIR);
const QString kPackageTree = QStringLiteral(KELVORA_PACKAGE_TREE);
const QString kVersion = QStringLiteral(KELVORA_VERSION);
const QString kHomepage = QStringLiteral(KELVORA_HOMEPAGE);

// An optimised build of the whole program on two cores takes a few minutes.
constexpr int kBuildTimeoutMs = 25 * 60 * 1000;

// The package script's two paths: the program's package, then its symbols'.
struct Built {
    QString program;
    QString symbols;
};

// Runs the package script of `sourceDir` into `buildDir`; `epoch`, when not
// empty, is the SOURCE_DATE_EPOCH it is given.
ToolRun RunPackageScript(const QString &sourceDir, const QString &buildDir, const QString &epoch, Built *built)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("SOURCE_DATE_EPOCH"));
    if (!epoch.isEmpty())
        environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), epoch);
    const ToolRun run = RunTool(QStringLiteral("bash"), {sourceDir + QStringLiteral("/scripts/package.sh"), buildDir},
                                kBuildTimeoutMs, environment);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() == 2)
        *built = {lines.at(0), lines.at(1)};
    return run;
}

// A copy of the source tree's files as git knows them (committed, changed
// and new ones, without what it ignores), without the repository itself.
ToolRun CopySources(const QString &from, const QString &to)
{
    const QString script = QStringLiteral(
        "set -eo pipefail; rm -rf \"$2\"; mkdir -p \"$2\"; cd \"$1\";"
        " git ls-files -z --cached --others --exclude-standard"
        " | tar --null --no-recursion --ignore-failed-read -T - -cf - | tar -xf - -C \"$2\"");
    return RunTool(QStringLiteral("bash"), {QStringLiteral("-c"), script, QStringLiteral("copy"), from, to});
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lintian warnings that are accepted, each with its reason in the README
// ("Building the Debian package"). None at present.
const QSet<QString> kAcceptedLintianWarnings{};

// Every file the package installs, and nothing else.
const QStringList kExpectedFiles{
    QStringLiteral("usr/bin/kelvora"),
    QStringLiteral("usr/bin/kelvora-probe"),
    QStringLiteral("usr/bin/kelvora-history"),
    QStringLiteral("usr/lib/systemd/system/kelvora-probe.service"),
    QStringLiteral("usr/share/applications/example.varnholt.Kelvora.desktop"),
    QStringLiteral("usr/share/metainfo/example.varnholt.Kelvora.metainfo.xml"),
    QStringLiteral("usr/share/icons/hicolor/16x16/apps/kelvora.png"),
    QStringLiteral("usr/share/icons/hicolor/32x32/apps/kelvora.png"),
    QStringLiteral("usr/share/icons/hicolor/48x48/apps/kelvora.png"),
    QStringLiteral("usr/share/icons/hicolor/64x64/apps/kelvora.png"),
    QStringLiteral("usr/share/icons/hicolor/128x128/apps/kelvora.png"),
    QStringLiteral("usr/share/icons/hicolor/scalable/apps/kelvora.svg"),
    QStringLiteral("usr/share/man/man1/kelvora.1.gz"),
    QStringLiteral("usr/share/man/man1/kelvora-probe.1.gz"),
    QStringLiteral("usr/share/man/man1/kelvora-history.1.gz"),
    QStringLiteral("usr/share/doc/kelvora/copyright"),
    QStringLiteral("usr/share/doc/kelvora/changelog.gz"),
};

QString Missing(const QString &tool, const QString &debianPackage)
{
    return QStringLiteral("%1 is not installed (Debian package %2; scripts/install-deps.sh --test installs it): "
                          "the Debian package is not built or checked")
        .arg(tool, debianPackage);
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

// The package names of a Depends field: "a (>= 1), b | c" gives a, b, c.
QSet<QString> DependencyNames(const QString &field)
{
    QSet<QString> names;
    static const QRegularExpression separator(QStringLiteral("[,|]"));
    for (const QString &part : field.split(separator, Qt::SkipEmptyParts)) {
        const QString name = part.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char(':'), 0, 0);
        if (!name.isEmpty())
            names.insert(name);
    }
    return names;
}

} // namespace

class TestDebPackage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void packageIsNamedForItsVersion();
    void controlFields_data();
    void controlFields();
    void descriptionGivesTheDefaultInterval();
    void dependencies_data();
    void dependencies();
    void holdsExactlyTheInstalledFiles();
    void buildsOfOneCommitAreTheSameBytes_data();
    void buildsOfOneCommitAreTheSameBytes();
    void lintianReportsNoError_data();
    void lintianReportsNoError();
    void debugSymbolsAreDetached();
    void unpackedProgramsRun_data();
    void unpackedProgramsRun();
    void unpackedProgramsHaveNoRunpath_data();
    void unpackedProgramsHaveNoRunpath();
    void manPagesAndChangelogAreCompressed_data();
    void manPagesAndChangelogAreCompressed();

private:
    QString Field(const QString &name) const;

    QString deb_;
    Built first_;
    Built second_;
    QStringList files_; // regular files and links, without "./"
    std::unique_ptr<QTemporaryDir> root_;
};

void TestDebPackage::initTestCase()
{
    if (!HaveTool(QStringLiteral("dpkg-deb")))
        QSKIP(qPrintable(Missing(QStringLiteral("dpkg-deb"), QStringLiteral("dpkg"))));
    if (!HaveTool(QStringLiteral("dpkg-shlibdeps")))
        QSKIP(qPrintable(Missing(QStringLiteral("dpkg-shlibdeps"), QStringLiteral("dpkg-dev"))));

    // The first build reads the commit's time itself; the copy, having no
    // repository, is given it.
    const ToolRun first = RunPackageScript(kSourceDir, kPackageTree + QStringLiteral("/first"), {}, &first_);
    QVERIFY2(first.Succeeded(), qPrintable(first.Describe()));
    // The script's standard output is the two packages' paths alone.
    QVERIFY2(QFileInfo(first_.program).isFile() && QFileInfo(first_.symbols).isFile(), qPrintable(first.out));
    deb_ = first_.program;

    const ToolRun epoch = RunTool(QStringLiteral("git"),
                                  {QStringLiteral("-C"), kSourceDir, QStringLiteral("log"), QStringLiteral("-1"),
                                   QStringLiteral("--format=%ct")});
    QVERIFY2(epoch.Succeeded(), qPrintable(epoch.Describe()));
    const QString copy = kPackageTree + QStringLiteral("/source-copy");
    const ToolRun copied = CopySources(kSourceDir, copy);
    QVERIFY2(copied.Succeeded(), qPrintable(copied.Describe()));
    // The build folder lies where the first one does relative to its sources:
    // the generated sources include the headers by relative paths, which no
    // prefix map can take out.
    const QString firstBuild = kPackageTree + QStringLiteral("/first");
    const QString secondBuild = QDir(copy).filePath(QDir(kSourceDir).relativeFilePath(firstBuild));
    const ToolRun second = RunPackageScript(copy, secondBuild, epoch.out.trimmed(), &second_);
    QVERIFY2(second.Succeeded(), qPrintable(second.Describe()));

    const ToolRun contents = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb_});
    QVERIFY2(contents.Succeeded(), qPrintable(contents.Describe()));
    for (const QString &line : contents.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // "-rw-r--r-- root/root 562 2026-12-09 14:31 ./usr/share/..."
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        QVERIFY2(columns.size() >= 6, qPrintable(line));
        if (!line.startsWith(QLatin1Char('d')))
            files_ << columns.at(5).mid(columns.at(5).startsWith(QLatin1String("./")) ? 2 : 0);
    }

    root_ = std::make_unique<QTemporaryDir>();
    QVERIFY(root_->isValid());
    const ToolRun unpack = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb_, root_->path()});
    QVERIFY2(unpack.Succeeded(), qPrintable(unpack.Describe()));
}

QString TestDebPackage::Field(const QString &name) const
{
    const ToolRun run = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb_, name});
    return run.Succeeded() ? run.out.trimmed() : QStringLiteral("(dpkg-deb failed: %1)").arg(run.err.trimmed());
}

void TestDebPackage::packageIsNamedForItsVersion()
{
    const QString architecture = Field(QStringLiteral("Architecture"));
    QCOMPARE(QFileInfo(deb_).fileName(), QStringLiteral("kelvora_%1_%2.deb").arg(kVersion, architecture));
}

void TestDebPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("package name") << QStringLiteral("Package") << QStringLiteral("kelvora");
    QTest::newRow("version is the project's") << QStringLiteral("Version") << kVersion;
    QTest::newRow("section") << QStringLiteral("Section") << QStringLiteral("net");
    QTest::newRow("home page is the metadata's") << QStringLiteral("Homepage") << kHomepage;
    QTest::newRow("maintainer") << QStringLiteral("Maintainer")
                                << QStringLiteral("Varnholt Studios <kelvora@varnholt.example>");
}

void TestDebPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QCOMPARE(Field(field), expected);
}

void TestDebPackage::descriptionGivesTheDefaultInterval()
{
    const QString description = Field(QStringLiteral("Description")).simplified();
    QVERIFY2(description.contains(QLatin1String("Every 30 seconds by default")), qPrintable(description));
    QVERIFY2(!description.contains(QLatin1String("few seconds")), qPrintable(description));
}

void TestDebPackage::dependencies_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("package");
    const QString depends = QStringLiteral("Depends");
    const QString recommends = QStringLiteral("Recommends");
    QTest::newRow("Qt widgets, found by dpkg-shlibdeps") << depends << QStringLiteral("libqt6widgets6");
    QTest::newRow("Qt core, found by dpkg-shlibdeps") << depends << QStringLiteral("libqt6core6");
    QTest::newRow("C library, found by dpkg-shlibdeps") << depends << QStringLiteral("libc6");
    QTest::newRow("SVG image plugin, loaded at run time") << depends << QStringLiteral("libqt6svg6");
    QTest::newRow("Wayland platform plugin, recommended") << recommends << QStringLiteral("qt6-wayland");
    QTest::newRow("Qt's translations, recommended") << recommends << QStringLiteral("qt6-translations-l10n");
}

void TestDebPackage::dependencies()
{
    QFETCH(QString, field);
    QFETCH(QString, package);
    const QString names = Field(field);
    QVERIFY2(DependencyNames(names).contains(package), qPrintable(names));
}

void TestDebPackage::holdsExactlyTheInstalledFiles()
{
    const QSet<QString> listed(files_.cbegin(), files_.cend());
    const QSet<QString> expected(kExpectedFiles.cbegin(), kExpectedFiles.cend());
    const QStringList missing = Sorted((expected - listed).values());
    const QStringList unexpected = Sorted((listed - expected).values());
    QVERIFY2(missing.isEmpty() && unexpected.isEmpty(),
             qPrintable(QStringLiteral("missing: %1\nnot expected: %2")
                            .arg(missing.join(QLatin1String(", ")), unexpected.join(QLatin1String(", ")))));
}

void TestDebPackage::buildsOfOneCommitAreTheSameBytes_data()
{
    QTest::addColumn<bool>("symbols");
    QTest::newRow("the program's package") << false;
    QTest::newRow("the debug symbols' package") << true;
}

void TestDebPackage::buildsOfOneCommitAreTheSameBytes()
{
    QFETCH(bool, symbols);
    const QString a = symbols ? first_.symbols : first_.program;
    const QString b = symbols ? second_.symbols : second_.program;
    QCOMPARE(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    const QByteArray bytesA = FileBytes(a);
    QVERIFY2(!bytesA.isEmpty(), qPrintable(a));
    if (bytesA == FileBytes(b))
        return;
    // Say which member differs, for whoever has to find out why.
    const ToolRun diff = RunTool(QStringLiteral("bash"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("diff <(dpkg-deb -I \"$1\"; dpkg-deb -c \"$1\") "
                                                 "<(dpkg-deb -I \"$2\"; dpkg-deb -c \"$2\") | head -40"),
                                  QStringLiteral("diff"), a, b});
    QFAIL(qPrintable(QStringLiteral("%1 and %2 differ\n%3").arg(a, b, diff.out)));
}

void TestDebPackage::lintianReportsNoError_data()
{
    QTest::addColumn<bool>("symbols");
    QTest::newRow("the program's package") << false;
    QTest::newRow("the debug symbols' package") << true;
}

void TestDebPackage::lintianReportsNoError()
{
    QFETCH(bool, symbols);
    if (!HaveTool(QStringLiteral("lintian")))
        QSKIP(qPrintable(Missing(QStringLiteral("lintian"), QStringLiteral("lintian"))));
    const QString deb = symbols ? first_.symbols : first_.program;
    const ToolRun run = RunTool(QStringLiteral("lintian"), {QStringLiteral("--no-tag-display-limit"), deb}, 600000);
    // 0: nothing at the failing level; 1: tags at it; anything else: lintian
    // itself failed, and then its silence proves nothing.
    QVERIFY2(run.finished && (run.exitCode == 0 || run.exitCode == 1), qPrintable(run.Describe()));
    QStringList problems;
    static const QRegularExpression tagLine(QStringLiteral("^([EW]): \\S+: (\\S+)"));
    for (const QString &line : run.out.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = tagLine.match(line);
        if (!match.hasMatch())
            continue;
        if (match.captured(1) == QLatin1String("E") || !kAcceptedLintianWarnings.contains(match.captured(2)))
            problems << line;
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestDebPackage::debugSymbolsAreDetached()
{
    const ToolRun field = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), first_.symbols,
                                                               QStringLiteral("Package"), QStringLiteral("Depends")});
    QVERIFY2(field.Succeeded(), qPrintable(field.Describe()));
    QVERIFY2(field.out.contains(QLatin1String("Package: kelvora-dbgsym")), qPrintable(field.out));
    QVERIFY2(field.out.contains(QStringLiteral("Depends: kelvora (= %1)").arg(kVersion)), qPrintable(field.out));

    QTemporaryDir symbols;
    QVERIFY(symbols.isValid());
    const ToolRun unpack = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), first_.symbols, symbols.path()});
    QVERIFY2(unpack.Succeeded(), qPrintable(unpack.Describe()));
    if (!HaveTool(QStringLiteral("readelf")))
        QSKIP("readelf is not installed (Debian package binutils)");
    for (const QString &program : {QStringLiteral("kelvora"), QStringLiteral("kelvora-probe"),
                                   QStringLiteral("kelvora-history")}) {
        const QString binary = root_->filePath(QStringLiteral("usr/bin/") + program);
        const ToolRun sections = RunTool(QStringLiteral("readelf"), {QStringLiteral("-S"), QStringLiteral("-n"), binary});
        QVERIFY2(sections.Succeeded(), qPrintable(sections.Describe()));
        // The installed program has no debug information, only the link to it ...
        QVERIFY2(!sections.out.contains(QLatin1String(".debug_info")), qPrintable(program));
        QVERIFY2(sections.out.contains(QLatin1String(".gnu_debuglink")), qPrintable(program));
        static const QRegularExpression buildId(QStringLiteral("Build ID: ([0-9a-f]{2})([0-9a-f]+)"));
        const QRegularExpressionMatch id = buildId.match(sections.out);
        QVERIFY2(id.hasMatch(), qPrintable(program));
        // ... and the symbols' package has it under the program's build ID.
        const QString debug = symbols.filePath(
            QStringLiteral("usr/lib/debug/.build-id/%1/%2.debug").arg(id.captured(1), id.captured(2)));
        const ToolRun detached = RunTool(QStringLiteral("readelf"), {QStringLiteral("-S"), debug});
        QVERIFY2(detached.Succeeded(), qPrintable(detached.Describe()));
        QVERIFY2(detached.out.contains(QLatin1String(".debug_info")), qPrintable(program));
    }
}

void TestDebPackage::unpackedProgramsRun_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");
    QTest::newRow("kelvora-probe --version") << QStringLiteral("kelvora-probe")
                                             << QStringLiteral("kelvora-probe %1\n").arg(kVersion);
    QTest::newRow("kelvora --version") << QStringLiteral("kelvora") << QStringLiteral("kelvora %1\n").arg(kVersion);
    QTest::newRow("kelvora-history --version") << QStringLiteral("kelvora-history")
                                               << QStringLiteral("kelvora-history %1\n").arg(kVersion);
}

void TestDebPackage::unpackedProgramsRun()
{
    QFETCH(QString, program);
    QFETCH(QString, expected);
    const ToolRun run = RunTool(root_->filePath(QStringLiteral("usr/bin/") + program), {QStringLiteral("--version")});
    QVERIFY2(run.Succeeded(), qPrintable(run.Describe()));
    // The name and the version first; the copyright and the licence follow.
    QVERIFY2(run.out.startsWith(expected + QStringLiteral("Copyright (C) ")), qPrintable(run.out));
}

void TestDebPackage::unpackedProgramsHaveNoRunpath_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("kelvora") << QStringLiteral("kelvora");
    QTest::newRow("kelvora-probe") << QStringLiteral("kelvora-probe");
    QTest::newRow("kelvora-history") << QStringLiteral("kelvora-history");
}

void TestDebPackage::unpackedProgramsHaveNoRunpath()
{
    QFETCH(QString, program);
    if (!HaveTool(QStringLiteral("readelf")))
        QSKIP("readelf is not installed (Debian package binutils)");
    const ToolRun run = RunTool(QStringLiteral("readelf"),
                                {QStringLiteral("--dynamic"), root_->filePath(QStringLiteral("usr/bin/") + program)});
    QVERIFY2(run.Succeeded(), qPrintable(run.Describe()));
    QVERIFY2(run.out.contains(QLatin1String("(NEEDED)")), "no dynamic section read");
    QVERIFY2(!run.out.contains(QLatin1String("(RUNPATH)")) && !run.out.contains(QLatin1String("(RPATH)")),
             qPrintable(run.out));
}

void TestDebPackage::manPagesAndChangelogAreCompressed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("beginning");
    QTest::newRow("kelvora(1)") << QStringLiteral("usr/share/man/man1/kelvora.1.gz") << QStringLiteral(".\\\"");
    QTest::newRow("kelvora-probe(1)") << QStringLiteral("usr/share/man/man1/kelvora-probe.1.gz")
                                      << QStringLiteral(".\\\"");
    QTest::newRow("kelvora-history(1)") << QStringLiteral("usr/share/man/man1/kelvora-history.1.gz")
                                        << QStringLiteral(".\\\"");
    QTest::newRow("changelog") << QStringLiteral("usr/share/doc/kelvora/changelog.gz")
                               << QStringLiteral("kelvora (%1) unstable; urgency=medium\n").arg(kVersion);
}

void TestDebPackage::manPagesAndChangelogAreCompressed()
{
    QFETCH(QString, path);
    QFETCH(QString, beginning);
    QFile file(root_->filePath(path));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray header = file.read(10);
    // gzip's magic number; no time stamp (bytes 4 to 7), as gzip -n leaves it.
    QVERIFY2(header.startsWith("\x1f\x8b"), "not gzip data");
    QCOMPARE(header.mid(4, 4), QByteArray(4, '\0'));
    const ToolRun unzip = RunTool(QStringLiteral("gzip"), {QStringLiteral("-dc"), file.fileName()});
    QVERIFY2(unzip.Succeeded(), qPrintable(unzip.Describe()));
    QVERIFY2(unzip.out.startsWith(beginning), qPrintable(unzip.out.left(200)));
}

QTEST_GUILESS_MAIN(TestDebPackage)
#include "tst_debpackage.moc"
