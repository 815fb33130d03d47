// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the trend's CSV export.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view trend_csv_time = "Время (UTC)";

} // namespace zr740::texts
