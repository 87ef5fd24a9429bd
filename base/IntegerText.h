// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The program's one conversion of text to a signed 32-bit integer.
//
// Accepted: any number of leading spaces (the space character only), at most
// one sign ("+" or "-"), then either decimal digits whose signed value lies in
// -2147483648..2147483647, or a hexadecimal number introduced by "$", "x",
// "X", "0x" or "0X" whose value fits in 32 bits (taken as a 32-bit pattern and
// negated after a minus sign); nothing may follow the digits. Anything else,
// an empty text and a text of spaces included, fails.

// Reporting form: the value, or nothing when the text does not convert.
std::optional<std::int32_t> TryStrToInt(std::string_view text) noexcept;

// Strict form: raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
