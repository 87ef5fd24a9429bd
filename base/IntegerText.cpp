// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/IntegerText.h"

#include "base/Exception.h"

#include <string>

namespace {

int HexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length of the hexadecimal prefix at the start of `rest`, or 0 for none.
std::size_t HexPrefixLength(std::string_view rest) noexcept
{
    if (rest.empty())
        return 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        return 1;
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        return 2;
    return 0;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) noexcept
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(d);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return std::uint32_t(value);
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) noexcept
{
    if (digits.empty())
        return std::nullopt;
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(c - '0');
        if (value > limit)
            return std::nullopt;
    }
    const std::int64_t signedValue = negative ? -std::int64_t(value) : std::int64_t(value);
    return std::int32_t(signedValue);
}

} // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) noexcept
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::string_view rest = text.substr(pos);
    if (const std::size_t prefix = HexPrefixLength(rest)) {
        const auto pattern = ParseHex(rest.substr(prefix));
        if (!pattern)
            return std::nullopt;
        // Negation wraps within 32 bits, like the pattern itself.
        const std::uint32_t bits = negative ? 0u - *pattern : *pattern;
        return std::int32_t(bits);
    }
    return ParseDecimal(rest, negative);
}

std::int32_t StrToInt(std::string_view text)
{
    if (const auto value = TryStrToInt(text))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}
