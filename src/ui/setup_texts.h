// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the connection setup window and of the variant choice, in one place so that a
// translation can be added later.

#include <string_view>

namespace zr740::ui::texts {

inline constexpr std::string_view setup_caption = "Установка связи с прибором";
inline constexpr std::string_view setup_column_name = "Параметры порта";
inline constexpr std::string_view setup_column_value = "Значение";
inline constexpr std::string_view button_connect = "Установить связь";
inline constexpr std::string_view button_scan = "Сканирование сети";
inline constexpr std::string_view button_offline = "Работать offline";
inline constexpr std::string_view button_factory = "Заводские сетевые настройки";
inline constexpr std::string_view button_exit = "Выход";

inline constexpr std::string_view select_caption = "Выберите прибор";
inline constexpr std::string_view select_column = "Имя прибора";
inline constexpr std::string_view select_nothing = "Предварительно следует выбрать прибор из списка!";
inline constexpr std::string_view button_ok = "OK";
inline constexpr std::string_view button_cancel = "Отмена";

} // namespace zr740::ui::texts
