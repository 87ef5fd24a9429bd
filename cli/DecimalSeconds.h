// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

// A number of seconds written as a plain decimal ("1", "0.5", ".25", "2."),
// read exactly: no double in between, so that a bound is met or missed as
// the text says, however many digits it has. Digits and at most one point
// only: no sign, exponent, blank, hexadecimal, infinity or NaN, whatever the
// locale.
class DecimalSeconds final {
public:
    static constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;

    // Nothing when the text is no such decimal.
    static std::optional<DecimalSeconds> Read(QStringView text);

    // The exact value compared with a bound in whole nanoseconds.
    bool Below(std::uint64_t boundNs) const noexcept { return nanoseconds_ < boundNs; }
    bool Above(std::uint64_t boundNs) const noexcept
    {
        return nanoseconds_ > boundNs || (nanoseconds_ == boundNs && beyondNanoseconds_);
    }
    bool IsZero() const noexcept { return nanoseconds_ == 0 && !beyondNanoseconds_; }

    // The value rounded up to whole nanoseconds or milliseconds; meaningful
    // for values up to 10^9 seconds (larger ones are held there).
    std::uint64_t CeilNanoseconds() const noexcept { return nanoseconds_ + (beyondNanoseconds_ ? 1 : 0); }
    std::uint64_t CeilMilliseconds() const noexcept;

private:
    DecimalSeconds(std::uint64_t nanoseconds, bool beyond) : nanoseconds_(nanoseconds), beyondNanoseconds_(beyond) {}

    std::uint64_t nanoseconds_;  // whole nanoseconds, digits after the ninth decimal cut off
    bool beyondNanoseconds_;     // a digit after the ninth decimal is not 0
};
