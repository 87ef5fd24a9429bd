// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "CsvReader.h"

namespace {

class Reader final {
public:
    explicit Reader(const QByteArray &text) : text_(text) {}

    std::optional<QList<QStringList>> Records(QString *error)
    {
        QList<QStringList> records;
        while (at_ < text_.size()) {
            QStringList record;
            while (true) {
                const std::optional<QByteArray> field = Field();
                if (!field) {
                    *error = error_;
                    return std::nullopt;
                }
                record << QString::fromUtf8(*field);
                if (Peek() == ',') {
                    ++at_;
                    continue;
                }
                break;
            }
            if (at_ < text_.size()) {
                if (Peek() != '\r' || at_ + 1 >= text_.size() || text_[at_ + 1] != '\n') {
                    *error = QStringLiteral("record %1 does not end in CR LF at byte %2").arg(records.size() + 1).arg(at_);
                    return std::nullopt;
                }
                at_ += 2;
            }
            records << record;
        }
        return records;
    }

private:
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

    std::optional<QByteArray> Fail(const QString &why)
    {
        error_ = QStringLiteral("%1 at byte %2").arg(why).arg(at_);
        return std::nullopt;
    }

    std::optional<QByteArray> Field()
    {
        QByteArray field;
        if (Peek() != '"') {
            while (at_ < text_.size() && Peek() != ',' && Peek() != '\r' && Peek() != '\n') {
                if (Peek() == '"')
                    return Fail(QStringLiteral("quote inside an unquoted field"));
                field += text_[at_++];
            }
            if (Peek() == '\n')
                return Fail(QStringLiteral("line feed without carriage return"));
            return field;
        }
        ++at_;
        while (true) {
            if (at_ >= text_.size())
                return Fail(QStringLiteral("unclosed quote"));
            const char c = text_[at_++];
            if (c != '"') {
                field += c;
                continue;
            }
            if (Peek() == '"') {
                field += '"';
                ++at_;
                continue;
            }
            if (at_ < text_.size() && Peek() != ',' && Peek() != '\r')
                return Fail(QStringLiteral("text after a closing quote"));
            return field;
        }
    }

    const QByteArray &text_;
    qsizetype at_ = 0;
    QString error_;
};

} // namespace

std::optional<QList<QStringList>> ReadCsv(const QByteArray &text, QString *error)
{
    return Reader(text).Records(error);
}
