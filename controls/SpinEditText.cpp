// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "controls/SpinEditText.h"

#include "base/IntegerText.h"

#include <QByteArray>
#include <QKeyEvent>

#include <algorithm>
#include <limits>
#include <string_view>

namespace SpinEditText {

namespace {

constexpr char16_t kBackspace = 8;
constexpr char16_t kTab = 9;
constexpr char16_t kLineFeed = 10;
constexpr char16_t kCarriageReturn = 13;
constexpr char16_t kEscape = 27;
constexpr char16_t kDelete = 127;

bool ControlChordOnly(Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    return modifiers == Qt::ControlModifier ||
           modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
}

// The control code a Ctrl chord types with `text`, if any.
QString ControlCode(const QString &text)
{
    const char16_t first = text.at(0).unicode();
    if (first < 32)
        return text.left(1);
    const QChar upper = text.at(0).toUpper();
    if (upper >= u'A' && upper <= u'Z')
        return QString(QChar(char16_t(upper.unicode() - u'A' + 1)));
    return {};
}

} // namespace

QString TypedCharacters(const QKeyEvent &event)
{
    const bool control = (event.modifiers() & Qt::ControlModifier) != 0;
    switch (event.key()) {
    case Qt::Key_Delete:
        return {};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString(QChar(control ? kLineFeed : kCarriageReturn));
    case Qt::Key_Backspace:
        return QString(QChar(kBackspace));
    case Qt::Key_Tab:
        return QString(QChar(kTab));
    case Qt::Key_Escape:
        return QString(QChar(kEscape));
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return {};
    if (ControlChordOnly(event.modifiers()))
        return ControlCode(text);
    QString typed = text;
    typed.remove(QChar(kDelete));
    return typed;
}

bool IsAcceptable(QChar character, bool editorEnabled, const QString &decimalPoint)
{
    const char16_t code = character.unicode();
    const bool acceptable = character == u'+' || character == u'-' ||
                            (character >= u'0' && character <= u'9') ||
                            QString(character) == decimalPoint ||
                            (code < 32 && code != kCarriageReturn);
    if (!acceptable)
        return false;
    return editorEnabled || (code < 32 && code != kBackspace);
}

Filtered FilterTyped(const QString &text, bool editorEnabled, const QString &decimalPoint)
{
    Filtered result;
    for (const QChar character : text) {
        if (IsAcceptable(character, editorEnabled, decimalPoint))
            result.accepted += character;
        else
            ++result.refused;
    }
    return result;
}

std::int32_t ReadValue(const QString &text, std::int32_t fallback)
{
    const QByteArray utf8 = text.toUtf8();
    if (const auto value = TryStrToInt(std::string_view(utf8.constData(), std::size_t(utf8.size()))))
        return *value;
    return fallback;
}

std::int32_t ApplyRange(std::int32_t value, std::int32_t minValue, std::int32_t maxValue) noexcept
{
    if (minValue == maxValue)
        return value;
    if (value < minValue)
        return minValue;
    if (value > maxValue)
        return maxValue;
    return value;
}

std::int32_t Stepped(std::int32_t value, std::int64_t delta) noexcept
{
    return std::int32_t(std::clamp<std::int64_t>(std::int64_t(value) + delta,
                                                 std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

} // namespace SpinEditText
