// SPDX-License-Identifier: MIT
// The Debian package as scripts/package.sh builds it, in a tree of the
// test's own: its name and control fields, its files, lintian's verdict,
// and the programs unpacked into a scratch root.

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

// A Release build of the whole program on two cores takes a few minutes.
constexpr int kBuildTimeoutMs = 25 * 60 * 1000;

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
    void dependencies_data();
    void dependencies();
    void holdsExactlyTheInstalledFiles();
    void lintianReportsNoError();
    void unpackedProgramsRun_data();
    void unpackedProgramsRun();
    void unpackedProgramsHaveNoRunpath_data();
    void unpackedProgramsHaveNoRunpath();
    void manPagesAndChangelogAreCompressed_data();
    void manPagesAndChangelogAreCompressed();

private:
    QString Field(const QString &name) const;

    QString deb_;
    QStringList files_; // regular files and links, without "./"
    std::unique_ptr<QTemporaryDir> root_;
};

void TestDebPackage::initTestCase()
{
    if (!HaveTool(QStringLiteral("dpkg-deb")))
        QSKIP(qPrintable(Missing(QStringLiteral("dpkg-deb"), QStringLiteral("dpkg"))));
    if (!HaveTool(QStringLiteral("dpkg-shlibdeps")))
        QSKIP(qPrintable(Missing(QStringLiteral("dpkg-shlibdeps"), QStringLiteral("dpkg-dev"))));

    const ToolRun build = RunTool(QStringLiteral("bash"),
                                  {kSourceDir + QStringLiteral("/scripts/package.sh"), kPackageTree}, kBuildTimeoutMs);
    QVERIFY2(build.Succeeded(), qPrintable(build.Describe()));
    // The script's standard output is the package's path alone.
    deb_ = build.out.trimmed();
    QVERIFY2(!deb_.contains(QLatin1Char('\n')) && QFileInfo(deb_).isFile(), qPrintable(build.out));

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

void TestDebPackage::dependencies_data()
{
    QTest::addColumn<QString>("package");
    QTest::newRow("Qt widgets, found by dpkg-shlibdeps") << QStringLiteral("libqt6widgets6");
    QTest::newRow("Qt core, found by dpkg-shlibdeps") << QStringLiteral("libqt6core6");
    QTest::newRow("C library, found by dpkg-shlibdeps") << QStringLiteral("libc6");
    QTest::newRow("SVG image plugin, loaded at run time") << QStringLiteral("libqt6svg6");
}

void TestDebPackage::dependencies()
{
    QFETCH(QString, package);
    const QString depends = Field(QStringLiteral("Depends"));
    QVERIFY2(DependencyNames(depends).contains(package), qPrintable(depends));
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

void TestDebPackage::lintianReportsNoError()
{
    if (!HaveTool(QStringLiteral("lintian")))
        QSKIP(qPrintable(Missing(QStringLiteral("lintian"), QStringLiteral("lintian"))));
    const ToolRun run = RunTool(QStringLiteral("lintian"), {QStringLiteral("--no-tag-display-limit"), deb_}, 600000);
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
