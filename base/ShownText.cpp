// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ShownText.h"

#include <QChar>

namespace {

bool Prints(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

QString Escaped(char32_t code)
{
    if (code == u'\\')
        return QStringLiteral("\\\\");
    if (code < 0x80)
        return QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
    if (code <= 0xffff)
        return QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
    return QStringLiteral("\\U%1").arg(uint(code), 8, 16, QLatin1Char('0'));
}

// The code point at `i`, moving `i` past it; a lone surrogate stays itself
// (and does not print).
char32_t NextCode(QStringView text, qsizetype &i)
{
    const QChar first = text[i++];
    if (first.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[i++]);
    return first.unicode();
}

bool Full(const QString &shown, qsizetype limit)
{
    return limit >= 0 && shown.size() >= limit;
}

} // namespace

QString ShownText(QStringView text, qsizetype limit)
{
    QString shown;
    for (qsizetype i = 0; i < text.size();) {
        if (Full(shown, limit))
            return shown + QStringLiteral("...");
        const char32_t code = NextCode(text, i);
        shown += Prints(code) && code != u'\\' ? QString::fromUcs4(&code, 1) : Escaped(code);
    }
    return shown;
}

bool HoldsNonPrinting(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        if (!Prints(NextCode(text, i)))
            return true;
    }
    return false;
}

QString ShownBytes(QByteArrayView bytes, qsizetype limit)
{
    QString shown;
    for (const char byte : bytes) {
        if (Full(shown, limit))
            return shown + QStringLiteral("...");
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x20 && code < 0x7f)
            shown += code == '\\' ? QStringLiteral("\\\\") : QString(QLatin1Char(byte));
        else
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
    return shown;
}
