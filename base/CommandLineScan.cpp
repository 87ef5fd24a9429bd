// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/CommandLineScan.h"

#include "base/ShownText.h"

#include <QStringDecoder>

#include <optional>

namespace {

class Scanner final {
public:
    Scanner(const QStringList &words, std::span<const OptionName> table, SingleDashWords mode)
        : words_(words), table_(table), mode_(mode)
    {
    }

    ScannedCommandLine Run();

private:
    void Word(const QString &word);
    void LongOption(const QString &word, qsizetype dashes);
    void ShortLetters(const QString &word);
    bool LooksNegative(const QString &word) const;
    std::optional<std::size_t> FindLong(QStringView name) const;
    std::optional<std::size_t> FindShort(QChar letter) const;
    // The value of a value option written without one: the next word.
    void TakeNextWord(std::size_t index, const QString &spelled);
    void Fail(const QString &problem, const QString &spelled);

    const QStringList &words_;
    std::span<const OptionName> table_;
    SingleDashWords mode_;
    qsizetype next_ = 0;
    ScannedCommandLine line_;
};

ScannedCommandLine Scanner::Run()
{
    bool optionsEnded = false;
    while (next_ < words_.size() && line_.problem.isEmpty()) {
        const QString &word = words_[next_++];
        if (optionsEnded || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-'))
            || LooksNegative(word))
            line_.operands.push_back({word, optionsEnded});
        else if (word == QLatin1String("--"))
            optionsEnded = true;
        else
            Word(word);
    }
    return std::move(line_);
}

void Scanner::Word(const QString &word)
{
    if (word.startsWith(QLatin1String("--")))
        LongOption(word, 2);
    else if (mode_ == SingleDashWords::LongNames)
        LongOption(word, 1);
    else
        ShortLetters(word);
}

void Scanner::LongOption(const QString &word, qsizetype dashes)
{
    const qsizetype equals = word.indexOf(QLatin1Char('='));
    const QString spelled = equals < 0 ? word : word.first(equals);
    const QStringView name = QStringView(spelled).sliced(dashes);
    std::optional<std::size_t> index = FindLong(name);
    if (!index && dashes == 1 && name.size() == 1)
        index = FindShort(name[0]);
    if (!index)
        return Fail(QStringLiteral("unknown option '%1'"), spelled);
    if (!table_[*index].takesValue) {
        if (equals < 0)
            line_.options.push_back({*index, spelled, QString(), false});
        else if (table_[*index].optionalValue)
            line_.options.push_back({*index, spelled, word.sliced(equals + 1), true});
        else
            return Fail(QStringLiteral("option '%1' takes no value"), spelled);
    } else if (equals >= 0) {
        line_.options.push_back({*index, spelled, word.sliced(equals + 1), true});
    } else {
        TakeNextWord(*index, spelled);
    }
}

void Scanner::ShortLetters(const QString &word)
{
    for (qsizetype i = 1; i < word.size(); ++i) {
        const QString spelled = QStringLiteral("-") + word[i];
        const std::optional<std::size_t> index = FindShort(word[i]);
        if (!index)
            return Fail(QStringLiteral("unknown option '%1'"), spelled);
        if (table_[*index].optionalValue && i + 1 < word.size()) {
            line_.options.push_back({*index, spelled, word.sliced(i + 1), true});
            return;
        } else if (!table_[*index].takesValue) {
            line_.options.push_back({*index, spelled, QString(), false});
        } else if (i + 1 < word.size()) {
            line_.options.push_back({*index, spelled, word.sliced(i + 1), true});
            return;
        } else {
            return TakeNextWord(*index, spelled);
        }
    }
}

bool Scanner::LooksNegative(const QString &word) const
{
    if (mode_ != SingleDashWords::ShortLetters || word.size() < 2)
        return false;
    const QChar second = word[1];
    return (second == QLatin1Char('.') || (second >= QLatin1Char('0') && second <= QLatin1Char('9')))
           && !FindShort(second);
}

std::optional<std::size_t> Scanner::FindLong(QStringView name) const
{
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (!table_[i].longName.isEmpty() && table_[i].longName == name)
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> Scanner::FindShort(QChar letter) const
{
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (!table_[i].shortName.isNull() && table_[i].shortName == letter)
            return i;
    }
    return std::nullopt;
}

void Scanner::TakeNextWord(std::size_t index, const QString &spelled)
{
    if (next_ >= words_.size())
        return Fail(QStringLiteral("option '%1' needs a value"), spelled);
    line_.options.push_back({index, spelled, words_[next_++], true});
}

void Scanner::Fail(const QString &problem, const QString &spelled)
{
    line_.problem = problem.arg(ShownText(spelled));
}

} // namespace

ScannedCommandLine ScanCommandLine(const QStringList &words, std::span<const OptionName> table,
                                   SingleDashWords mode)
{
    return Scanner(words, table, mode).Run();
}

std::optional<QStringList> DecodedArguments(const QList<QByteArray> &arguments, QString *problem)
{
    QStringList texts;
    for (const QByteArray &argument : arguments) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(argument);
        if (decoder.hasError()) {
            *problem = QStringLiteral("argument '%1' is not valid UTF-8").arg(ShownBytes(argument));
            return std::nullopt;
        }
        texts.append(std::move(text));
    }
    return texts;
}

QString BadValueProblem(QStringView what, QStringView value, QStringView expected)
{
    return QStringLiteral("%1: bad value '%2': %3").arg(what, ShownText(value), expected);
}
