// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The desktop entry, the AppStream metadata and the manual pages as Debian
// 12's own tools judge them, and the files the build configures with the
// release's version.

#include "ToolRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kDesktopEntry = QStringLiteral(KELVORA_DESKTOP_ENTRY);
const QString kMetainfo = QStringLiteral(KELVORA_METAINFO);
const QString kManDirectory = QStringLiteral(KELVORA_MAN_DIRECTORY);
const QString kVersion = QStringLiteral(KELVORA_VERSION);
const QString kReleaseDate = QStringLiteral(KELVORA_RELEASE_DATE);
const QString kHomepage = QStringLiteral(KELVORA_HOMEPAGE);

QString Skipped(const QString &tool, const QString &debianPackage)
{
    return QStringLiteral("%1 is not installed (Debian package %2; scripts/install-deps.sh --test installs it)")
        .arg(tool, debianPackage);
}

QString ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The lines of appstreamcli's report that are errors or warnings (infos and
// pedantic hints begin with "I:" and "P:").
QStringList AppstreamProblems(const QString &report)
{
    QStringList problems;
    for (const QString &line : report.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("E:")) || line.startsWith(QLatin1String("W:")))
            problems << line;
    }
    return problems;
}

} // namespace

class TestMetadata : public QObject {
    Q_OBJECT
private slots:
    void desktopEntryIsValid();
    void metainfoHasNoErrorOrWarning();
    void manPagesRenderWithoutWarnings_data();
    void manPagesRenderWithoutWarnings();
    void configuredFilesCarryTheRelease_data();
    void configuredFilesCarryTheRelease();
};

void TestMetadata::desktopEntryIsValid()
{
    if (!HaveTool(QStringLiteral("desktop-file-validate")))
        QSKIP(qPrintable(Skipped(QStringLiteral("desktop-file-validate"), QStringLiteral("desktop-file-utils"))));
    const ToolRun run = RunTool(QStringLiteral("desktop-file-validate"), {kDesktopEntry});
    // Errors, warnings and hints all come as lines on standard output.
    QVERIFY2(run.Succeeded(), qPrintable(run.Describe()));
    QVERIFY2(run.out.trimmed().isEmpty() && run.err.trimmed().isEmpty(), qPrintable(run.Describe()));
}

void TestMetadata::metainfoHasNoErrorOrWarning()
{
    if (!HaveTool(QStringLiteral("appstreamcli")))
        QSKIP(qPrintable(Skipped(QStringLiteral("appstreamcli"), QStringLiteral("appstream"))));
    const ToolRun run = RunTool(QStringLiteral("appstreamcli"),
                                {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
                                 QStringLiteral("--no-color"), kMetainfo});
    QVERIFY2(run.Succeeded(), qPrintable(run.Describe()));
    const QStringList problems = AppstreamProblems(run.out + run.err);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QVERIFY2(run.out.contains(QLatin1String("Validation was successful")), qPrintable(run.Describe()));
}

void TestMetadata::manPagesRenderWithoutWarnings_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::newRow("kelvora(1)") << QStringLiteral("kelvora.1") << QStringLiteral("KELVORA(1)");
    QTest::newRow("kelvora-probe(1)") << QStringLiteral("kelvora-probe.1") << QStringLiteral("KELVORA-PROBE(1)");
    QTest::newRow("kelvora-history(1)") << QStringLiteral("kelvora-history.1") << QStringLiteral("KELVORA-HISTORY(1)");
}

void TestMetadata::manPagesRenderWithoutWarnings()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    if (!HaveTool(QStringLiteral("man")))
        QSKIP(qPrintable(Skipped(QStringLiteral("man"), QStringLiteral("man-db"))));
    // man formats for 80 columns when its output is not a terminal; groff's
    // warnings come on standard error.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    const ToolRun run = RunTool(QStringLiteral("man"),
                                {QStringLiteral("--warnings"), QStringLiteral("-l"), kManDirectory + QLatin1Char('/') + page},
                                60000, environment);
    QVERIFY2(run.Succeeded(), qPrintable(run.Describe()));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY2(run.out.startsWith(name), qPrintable(LastLines(run.out, 10)));
    QVERIFY2(run.out.contains(QLatin1String("EXIT STATUS")), "the page names no exit status");
    // Where to report a bug, and what to send with it.
    const qsizetype reporting = run.out.indexOf(QLatin1String("\nREPORTING BUGS\n"));
    QVERIFY2(reporting >= 0, "the page says nowhere how to report a bug");
    // Justified text: words may be set apart by more than one space.
    const QString section =
        run.out.mid(reporting, run.out.indexOf(QLatin1String("\nSEE ALSO"), reporting) - reporting).simplified();
    QVERIFY2(section.contains(kHomepage), qPrintable(section));
    QVERIFY2(section.contains(QLatin1String("kelvora-probe --version")), qPrintable(section));
    QVERIFY2(section.contains(QLatin1String("-f json")), qPrintable(section));
}

void TestMetadata::configuredFilesCarryTheRelease_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("metainfo release") << kMetainfo
                                      << QStringLiteral("<release version=\"%1\" date=\"%2\">").arg(kVersion, kReleaseDate);
    QTest::newRow("metainfo bug tracker: the home page")
        << kMetainfo << QStringLiteral("<url type=\"bugtracker\">%1</url>").arg(kHomepage);
    QTest::newRow("kelvora(1) title line")
        << kManDirectory + QStringLiteral("/kelvora.1")
        << QStringLiteral(".TH KELVORA 1 \"%1\" \"Kelvora %2\"").arg(kReleaseDate, kVersion);
    QTest::newRow("kelvora-probe(1) title line")
        << kManDirectory + QStringLiteral("/kelvora-probe.1")
        << QStringLiteral(".TH KELVORA\\-PROBE 1 \"%1\" \"Kelvora %2\"").arg(kReleaseDate, kVersion);
    QTest::newRow("kelvora-history(1) title line")
        << kManDirectory + QStringLiteral("/kelvora-history.1")
        << QStringLiteral(".TH KELVORA\\-HISTORY 1 \"%1\" \"Kelvora %2\"").arg(kReleaseDate, kVersion);
}

void TestMetadata::configuredFilesCarryTheRelease()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const QString text = ReadAll(path);
    QVERIFY2(!text.isEmpty(), qPrintable(path + QStringLiteral(" is missing or empty")));
    QVERIFY2(text.contains(expected), qPrintable(expected));
    const QRegularExpressionMatch left = QRegularExpression(QStringLiteral("@[A-Z_]+@")).match(text);
    QVERIFY2(!left.hasMatch(), qPrintable(QStringLiteral("not filled in: ") + left.captured()));
}

QTEST_GUILESS_MAIN(TestMetadata)
#include "tst_metadata.moc"
