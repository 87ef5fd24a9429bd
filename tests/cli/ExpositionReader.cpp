// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ExpositionReader.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

const QRegularExpression kMetricName(QStringLiteral("^[a-zA-Z_:][a-zA-Z0-9_:]*$"));
const QRegularExpression kLabelName(QStringLiteral("^[a-zA-Z_][a-zA-Z0-9_]*$"));

std::optional<double> Value(const QString &text)
{
    if (text == QLatin1String("+Inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-Inf"))
        return -std::numeric_limits<double>::infinity();
    if (text == QLatin1String("NaN"))
        return std::nan("");
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The family a sample name belongs to, given the family's type.
QString FamilyOf(const QString &sampleName, const QMap<QString, QString> &types)
{
    for (const QString &suffix : {QStringLiteral("_bucket"), QStringLiteral("_sum"), QStringLiteral("_count")}) {
        if (sampleName.endsWith(suffix)) {
            const QString base = sampleName.chopped(suffix.size());
            const QString type = types.value(base);
            if (type == QLatin1String("histogram") || (type == QLatin1String("summary") && suffix != QLatin1String("_bucket")))
                return base;
        }
    }
    return sampleName;
}

// Reads `{a="b",...}` from `line` at `at`; moves `at` past it.
std::optional<QMap<QString, QString>> Labels(const QString &line, qsizetype &at, QString *error)
{
    QMap<QString, QString> labels;
    ++at; // '{'
    while (at < line.size() && line[at] != QLatin1Char('}')) {
        const qsizetype equals = line.indexOf(QLatin1Char('='), at);
        if (equals < 0) {
            *error = QStringLiteral("label without '='");
            return std::nullopt;
        }
        const QString name = line.mid(at, equals - at);
        if (!kLabelName.match(name).hasMatch() || labels.contains(name)) {
            *error = QStringLiteral("bad or repeated label name '%1'").arg(name);
            return std::nullopt;
        }
        at = equals + 1;
        if (at >= line.size() || line[at] != QLatin1Char('"')) {
            *error = QStringLiteral("label value of '%1' not quoted").arg(name);
            return std::nullopt;
        }
        QString value;
        for (++at; at < line.size() && line[at] != QLatin1Char('"'); ++at) {
            if (line[at] != QLatin1Char('\\')) {
                value += line[at];
                continue;
            }
            const QChar escaped = at + 1 < line.size() ? line[at + 1] : QChar();
            if (escaped == QLatin1Char('\\') || escaped == QLatin1Char('"'))
                value += escaped;
            else if (escaped == QLatin1Char('n'))
                value += QLatin1Char('\n');
            else {
                *error = QStringLiteral("bad escape in the value of '%1'").arg(name);
                return std::nullopt;
            }
            ++at;
        }
        if (at >= line.size()) {
            *error = QStringLiteral("unclosed label value of '%1'").arg(name);
            return std::nullopt;
        }
        ++at; // closing quote
        labels.insert(name, value);
        if (at < line.size() && line[at] == QLatin1Char(','))
            ++at;
    }
    if (at >= line.size()) {
        *error = QStringLiteral("unclosed label set");
        return std::nullopt;
    }
    ++at; // '}'
    return labels;
}

class Reader final {
public:
    std::optional<QList<ExpositionFamily>> Read(const QByteArray &text, QString *error)
    {
        if (!text.isEmpty() && !text.endsWith('\n'))
            return Fail(error, 0, QStringLiteral("the last line has no line break"));
        const QList<QByteArray> lines = text.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            QString why;
            if (!Line(QString::fromUtf8(lines[i]), &why))
                return Fail(error, i + 1, why);
        }
        return families_;
    }

private:
    static std::optional<QList<ExpositionFamily>> Fail(QString *error, qsizetype line, const QString &why)
    {
        *error = QStringLiteral("line %1: %2").arg(line).arg(why);
        return std::nullopt;
    }

    ExpositionFamily &Family(const QString &name)
    {
        if (families_.isEmpty() || families_.last().name != name) {
            families_.append(ExpositionFamily{name, QString(), QString(), {}});
            seen_.insert(name, true);
        }
        return families_.last();
    }

    bool Comment(const QString &line, QString *why)
    {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() < 3 || (words[1] != QLatin1String("HELP") && words[1] != QLatin1String("TYPE")))
            return true; // a plain comment
        const QString &name = words[2];
        if (!kMetricName.match(name).hasMatch()) {
            *why = QStringLiteral("bad metric name '%1'").arg(name);
            return false;
        }
        if (seen_.contains(name) && (families_.isEmpty() || families_.last().name != name)) {
            *why = QStringLiteral("family '%1' comes in two places").arg(name);
            return false;
        }
        ExpositionFamily &family = Family(name);
        if (!family.samples.isEmpty()) {
            *why = QStringLiteral("%1 of '%2' after its samples").arg(words[1], name);
            return false;
        }
        const QString rest = words.mid(3).join(QLatin1Char(' '));
        if (words[1] == QLatin1String("HELP")) {
            if (!family.help.isEmpty()) {
                *why = QStringLiteral("second HELP of '%1'").arg(name);
                return false;
            }
            family.help = rest;
            return true;
        }
        static const QStringList types{QStringLiteral("counter"), QStringLiteral("gauge"), QStringLiteral("histogram"),
                                       QStringLiteral("summary"), QStringLiteral("untyped")};
        if (!family.type.isEmpty() || !types.contains(rest)) {
            *why = QStringLiteral("bad or second TYPE '%1' of '%2'").arg(rest, name);
            return false;
        }
        family.type = rest;
        types_.insert(name, rest);
        return true;
    }

    bool Sample(const QString &line, QString *why)
    {
        qsizetype at = 0;
        while (at < line.size() && line[at] != QLatin1Char('{') && line[at] != QLatin1Char(' '))
            ++at;
        ExpositionSample sample;
        sample.name = line.left(at);
        if (!kMetricName.match(sample.name).hasMatch()) {
            *why = QStringLiteral("bad sample name '%1'").arg(sample.name);
            return false;
        }
        if (at < line.size() && line[at] == QLatin1Char('{')) {
            const auto labels = Labels(line, at, why);
            if (!labels)
                return false;
            sample.labels = *labels;
        }
        const QStringList rest = line.mid(at).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const auto value = rest.isEmpty() ? std::nullopt : Value(rest[0]);
        if (!value || rest.size() > 2 || !line.mid(at).startsWith(QLatin1Char(' '))) {
            *why = QStringLiteral("bad value in '%1'").arg(line);
            return false;
        }
        sample.value = *value;
        sample.valueText = rest[0];
        const QString family = FamilyOf(sample.name, types_);
        if (seen_.contains(family) && (families_.isEmpty() || families_.last().name != family)) {
            *why = QStringLiteral("samples of '%1' in two places").arg(family);
            return false;
        }
        Family(family).samples.append(sample);
        return true;
    }

    bool Line(const QString &line, QString *why)
    {
        if (line.isEmpty())
            return true;
        if (line.startsWith(QLatin1Char('#')))
            return Comment(line, why);
        return Sample(line, why);
    }

    QList<ExpositionFamily> families_;
    QMap<QString, bool> seen_;
    QMap<QString, QString> types_;
};

} // namespace

std::optional<QList<ExpositionFamily>> ReadExposition(const QByteArray &text, QString *error)
{
    return Reader().Read(text, error);
}
