// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status texts of the connection setup, in one place so that a translation can be added later.

#include <string_view>

namespace zr740::setup_texts {

inline constexpr std::string_view connecting = "Идет сканирование...";
inline constexpr std::string_view interrupting = "Прерывание операции...";
inline constexpr std::string_view link_established = "Связь с прибором установлена!";
inline constexpr std::string_view link_failed = "Не удалось установить связь с прибором!";
inline constexpr std::string_view scanning_at = "Идет сканирование на скорости %s...";

} // namespace zr740::setup_texts
