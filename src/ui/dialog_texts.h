// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the apply and single-point windows, in one place so that a translation can be added later.
// The calibration window's texts belong to the device layer, beside the checks they go with.

#include <string_view>

namespace zr740::ui::texts {

// The apply window. The first word of both "send" boxes is written with the Latin letter c (0x63)
// as its third letter, as the instrument maker's users know the texts.
inline constexpr std::string_view apply_warning =
    "ВНИМАНИЕ: Данная операция приведет к переключению прибора на новые сетевые параметры. Это может "
    "привести к потере связи с прибором. Проверьте параметры связи:";
inline constexpr std::string_view apply_new_settings = "Новые параметры:";
inline constexpr std::string_view apply_change_program = "Поменять сразу сетевые настройки программы";
inline constexpr std::string_view apply_broadcast = "По\x63лать широковещательную команду \"Применить параметры\"";
inline constexpr std::string_view apply_three_times = "По\x63лать посылку трижды (для надежности)";
inline constexpr std::string_view cancel = "Отмена";

// The single-point window.
inline constexpr std::string_view single_point_caption = "Произвольный доступ к отдельным параметрам (Single Point)";
inline constexpr std::string_view single_point_name = "Имя параметра:";
inline constexpr std::string_view single_point_identifier = "Идентификатор:";
inline constexpr std::string_view single_point_start_name = "!0x0000";
inline constexpr std::string_view single_point_start_description = "Описание параметра";
inline constexpr std::string_view single_point_read = "Чтение";
inline constexpr std::string_view single_point_write = "Запись";
inline constexpr std::string_view single_point_value = "Что записать:";
inline constexpr std::string_view single_point_run = "Выполнить!";
inline constexpr std::string_view single_point_exit = "Выход";

} // namespace zr740::ui::texts
