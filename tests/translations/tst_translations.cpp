// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The translation files against the sources: lupdate run over the window's
// sources into a copy of each file must find every text translated,
// finished, with the same place markers as its source. A text added to the
// sources without its Russian translation fails here, and so does one a
// translator left unfinished.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <set>

namespace {

struct Message {
    QString context;
    QString source;
    bool numerus = false;
    QString state;             // the translation's type attribute: "", "unfinished", "vanished", ...
    QStringList translations;  // one, or the numerus forms
};

struct TsFile {
    QString language;
    QList<Message> messages;
    QString error;
};

// The text of the current element; lupdate writes a control character as
// <byte value="xd"/> (hexadecimal after the x).
QString ReadText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isStartElement()) {
            ++depth;
            const QString value = xml.attributes().value(QStringLiteral("value")).toString();
            if (xml.name() == QStringLiteral("byte") && value.startsWith(u'x'))
                text += QChar(value.mid(1).toUShort(nullptr, 16));
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return text;
}

void ReadTranslation(QXmlStreamReader &xml, Message &message)
{
    message.state = xml.attributes().value(QStringLiteral("type")).toString();
    if (!message.numerus) {
        message.translations << ReadText(xml);
        return;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QStringLiteral("numerusform"))
            message.translations << ReadText(xml);
        else
            xml.skipCurrentElement();
    }
}

TsFile ReadTs(const QString &path)
{
    TsFile ts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ts.error = QStringLiteral("cannot open ") + path;
        return ts;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QStringLiteral("TS")) {
            ts.language = xml.attributes().value(QStringLiteral("language")).toString();
        } else if (xml.name() == QStringLiteral("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QStringLiteral("message")) {
            message = Message{context, {}, xml.attributes().value(QStringLiteral("numerus")) == QStringLiteral("yes"),
                              {}, {}};
        } else if (xml.name() == QStringLiteral("source")) {
            message.source = ReadText(xml);
        } else if (xml.name() == QStringLiteral("translation")) {
            ReadTranslation(xml, message);
            ts.messages << message;
        }
    }
    if (xml.hasError())
        ts.error = path + QStringLiteral(": ") + xml.errorString();
    return ts;
}

// "%1", "%2", "%n" as a set: a translation must keep exactly its source's.
std::set<QString> Markers(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%(\\d+|n)"));
    std::set<QString> found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

// What is wrong with one message, or nothing.
QString Problem(const Message &message, int expectedForms)
{
    const QString where = message.context + QStringLiteral(" \"") + message.source + QStringLiteral("\": ");
    if (!message.state.isEmpty())
        return where + message.state;
    if (message.translations.size() != expectedForms)
        return where + QStringLiteral("%1 forms, %2 wanted").arg(message.translations.size()).arg(expectedForms);
    for (const QString &translation : message.translations) {
        if (translation.isEmpty())
            return where + QStringLiteral("empty");
        if (Markers(translation) != Markers(message.source))
            return where + QStringLiteral("place markers differ in \"") + translation + u'"';
    }
    return {};
}

// The forms a numerus message has: Russian three (1, 2-4, 5-20), English two.
int NumerusForms(const QString &language)
{
    return language.startsWith(QStringLiteral("ru")) ? 3 : 2;
}

QStringList Problems(const TsFile &ts, bool pluralOnly)
{
    QStringList problems;
    for (const Message &message : ts.messages) {
        if (pluralOnly && !message.numerus)
            continue;
        const QString problem = Problem(message, message.numerus ? NumerusForms(ts.language) : 1);
        if (!problem.isEmpty())
            problems << problem;
    }
    return problems;
}

// Runs lupdate as scripts/update-translations.sh does, into `ts`.
QString Update(const QString &ts, bool pluralOnly)
{
    QStringList arguments{QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                          QStringLiteral("-no-obsolete"), QStringLiteral("-extensions"), QStringLiteral("cpp,h")};
    if (pluralOnly)
        arguments << QStringLiteral("-pluralonly");
    for (const char *folder : {"base", "monitor", "controls", "ui", "app"})
        arguments << QStringLiteral(KELVORA_SOURCE_DIR "/") + QLatin1String(folder);
    arguments << QStringLiteral("-ts") << ts;
    QProcess lupdate;
    lupdate.start(QStringLiteral(KELVORA_LUPDATE), arguments);
    if (!lupdate.waitForFinished(120000) || lupdate.exitStatus() != QProcess::NormalExit || lupdate.exitCode() != 0)
        return QStringLiteral("lupdate failed: ") + QString::fromLocal8Bit(lupdate.readAllStandardError());
    return {};
}

const QStringList kTsFiles = QStringLiteral(KELVORA_TS_FILES).split(u'|');

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void everySourceTextIsTranslatedAndFinished_data();
    void everySourceTextIsTranslatedAndFinished();
    void theCheckNoticesAMissingAndAnUnfinishedText();
};

void TestTranslations::everySourceTextIsTranslatedAndFinished_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : kTsFiles)
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

void TestTranslations::everySourceTextIsTranslatedAndFinished()
{
    QFETCH(QString, path);
    const bool pluralOnly = path.endsWith(QStringLiteral("_en.ts"));
    const TsFile stored = ReadTs(path);
    QVERIFY2(stored.error.isEmpty(), qPrintable(stored.error));
    QVERIFY(!stored.messages.isEmpty());
    QStringList problems = Problems(stored, pluralOnly);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));

    // The sources as they are now: a text that lupdate adds comes in
    // unfinished, one it no longer finds is dropped (and the counts differ).
    QTemporaryDir dir;
    const QString copy = dir.filePath(QFileInfo(path).fileName());
    QVERIFY(QFile::copy(path, copy));
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString failed = Update(copy, pluralOnly);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const TsFile updated = ReadTs(copy);
    QVERIFY2(updated.error.isEmpty(), qPrintable(updated.error));
    problems = Problems(updated, pluralOnly);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QCOMPARE(updated.messages.size(), stored.messages.size());
}

void TestTranslations::theCheckNoticesAMissingAndAnUnfinishedText()
{
    const Message finished{QStringLiteral("Readout"), QStringLiteral("Ping: %1 ms"), false, {}, {QStringLiteral("Пинг: %1 мс")}};
    QVERIFY(Problem(finished, 1).isEmpty());
    Message unfinished = finished;
    unfinished.state = QStringLiteral("unfinished");
    QVERIFY(Problem(unfinished, 1).contains(QStringLiteral("unfinished")));
    Message empty = finished;
    empty.translations = {QString()};
    QVERIFY(Problem(empty, 1).contains(QStringLiteral("empty")));
    Message lostMarker = finished;
    lostMarker.translations = {QStringLiteral("Пинг: мс")};
    QVERIFY(Problem(lostMarker, 1).contains(QStringLiteral("place markers")));
    const Message plural{QStringLiteral("LatencyChart"), QStringLiteral("%n checks here, %1 failed"), true, {},
                         {QStringLiteral("%n check here, %1 failed")}};
    QVERIFY(Problem(plural, 2).contains(QStringLiteral("forms")));
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
