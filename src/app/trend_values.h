// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the trend window draws of a polled parameter: the number its value text stands for, and the
// unit its caption names, which decides the value axis it shares with others.

#include <optional>
#include <string>
#include <string_view>

namespace zr740 {

class MyConverter;

// The unit after the caption's last comma ("Выходной ток, мА" -> "мА"), when that tail is short and
// holds a letter or a sign such as "%" or "°"; empty for a caption without one ("Давление").
std::string unit_from_caption(std::string_view caption);

// The number a value text stands for as the core prints it: a decimal number with "." ("-1.500",
// "42"), or an enumeration's item as its place in the type text (item 0 being the base type's own
// name), so a state steps between whole numbers. NaN for a value the instrument marks invalid: the
// line breaks there. No number for any other text (a string, a clock time): it is not drawn.
std::optional<double> trend_value(const MyConverter& parameter, std::string_view text);

} // namespace zr740
