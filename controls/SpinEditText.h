// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QChar>
#include <QString>

#include <cstdint>

class QKeyEvent;

// The rules of the spin field's text, apart from the edit widget that holds
// it: what a key press types, which typed characters the field accepts, how
// the text reads as a number and how a number is kept in range.
namespace SpinEditText {

// The characters a key press types, as character codes: editing keys that
// type nothing (Delete, arrows) give none; Return gives carriage return (line
// feed with Ctrl), Backspace, Tab and Escape their control codes, and Ctrl
// with a letter that letter's control code (Ctrl+A is 1).
QString TypedCharacters(const QKeyEvent &event);

// Whether the field accepts `character` typed: "+", "-", digits, the
// locale's `decimalPoint` and control characters other than carriage return.
// With the editor disabled only control characters other than backspace
// (and carriage return) pass.
bool IsAcceptable(QChar character, bool editorEnabled, const QString &decimalPoint);

struct Filtered {
    QString accepted;  // the acceptable characters, in order
    int refused = 0;   // how many were dropped
};
Filtered FilterTyped(const QString &text, bool editorEnabled, const QString &decimalPoint);

// The text as a 32-bit integer; `fallback` for any text that does not convert.
std::int32_t ReadValue(const QString &text, std::int32_t fallback);

// The range rule: clamped to minValue..maxValue when the two differ; when
// they are equal there is no range and `value` stays as it is.
std::int32_t ApplyRange(std::int32_t value, std::int32_t minValue, std::int32_t maxValue) noexcept;

// value + delta, stopping at the 32-bit limits rather than wrapping.
std::int32_t Stepped(std::int32_t value, std::int64_t delta) noexcept;

} // namespace SpinEditText
