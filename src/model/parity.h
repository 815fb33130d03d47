// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line's parity in one place: the three the parity parameter offers (its items, in this order)
// and the serial line's codes for them. The settings file stores the line's code ("parity_scheme"),
// so the codes are what they have always been: 3 none, 1 even, 4 odd. The line also knows 0 (none),
// 2 (mark) and 5 (space), which no parameter offers.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zr740 {

enum class Parity : std::uint8_t { none, even, odd };

namespace line_parity {
inline constexpr int none_alias = 0;
inline constexpr int even = 1;
inline constexpr int mark = 2;
inline constexpr int none = 3;
inline constexpr int odd = 4;
inline constexpr int space = 5;
} // namespace line_parity

constexpr int line_code(Parity parity)
{
    switch (parity) {
    case Parity::even: return line_parity::even;
    case Parity::odd: return line_parity::odd;
    case Parity::none: break;
    }
    return line_parity::none;
}

// The parity a stored or configured line code means; nothing for mark, space and unknown codes.
constexpr std::optional<Parity> parity_of_line_code(int code)
{
    for (const Parity parity : {Parity::none, Parity::even, Parity::odd})
        if (line_code(parity) == code)
            return parity;
    return std::nullopt;
}

// The parity parameter's item of each parity, and back.
constexpr std::size_t item_index(Parity parity) { return static_cast<std::size_t>(parity); }
inline constexpr std::size_t parity_item_count = 3;
constexpr Parity parity_of_item(std::size_t index) { return static_cast<Parity>(index); }

} // namespace zr740
