#pragma once
// The device classes' own texts, in one place so that a translation can be added later.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view reset_failed_caption = "Ошибка сброса параметров";
inline constexpr std::string_view reset_done =
    "Параметры в приборе были успешно сброшены в значения по умолчанию.\nДля обновления значений в "
    "конфигураторе следует прочитать параметры из прибора.\n\nВыполнить чтение параметров из прибора?";
inline constexpr std::string_view reread_question =
    "Для обновления значений в конфигураторе следует прочитать параметры из прибора.\n\nВыполнить чтение "
    "параметров из прибора?";
inline constexpr std::string_view initialise_question =
    "Все параметры прибора будут записаны начальными значениями из описания.\nТекущие настройки прибора "
    "будут потеряны.\n\nПродолжить?";
inline constexpr std::string_view tree_undefined = "Дерево не определено";

// The apply dialog.
inline constexpr std::string_view apply_no_context =
    "Нет данных - контекст устройства не получен диалогом APLY\n\nВнутренняя ошибка программы";
inline constexpr std::string_view apply_no_network =
    "Нет данных - элемент 'Сетевые параметры прибора' не инициализирован\n\nВнутренняя ошибка программы";

// The calibration window's messages.
inline constexpr std::string_view calibration_bad_input = "Введено некорректное значение смещения(диапазона)";
inline constexpr std::string_view calibration_bad_input_caption = "Ошибка ввода данных";
inline constexpr std::string_view calibration_failed_caption = "Ошибка юстировки";
inline constexpr std::string_view calibration_done = "Операция выполнена успешно";
inline constexpr std::string_view calibration_done_caption = "Сообщение";

} // namespace zr740::texts
