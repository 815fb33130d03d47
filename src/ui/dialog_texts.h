// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the apply, single-point and calibration windows. The calibration window's messages belong
// to the device layer, beside the checks they go with.

#include "ui/ui_text.h"

#include <string_view>

namespace zr740::ui::texts {

// The apply window. The first word of both "send" boxes is written with the Latin letter c (0x63)
// as its third letter, as the instrument maker's users know the texts.
inline constexpr Text apply_caption = QT_TRANSLATE_NOOP("zr740", "Перевод прибора на новый режим работы");
inline constexpr Text apply_warning = QT_TRANSLATE_NOOP(
    "zr740", "ВНИМАНИЕ: Данная операция приведет к переключению прибора на новые сетевые параметры. Это может "
             "привести к потере связи с прибором. Проверьте параметры связи:");
inline constexpr Text apply_new_settings = QT_TRANSLATE_NOOP("zr740", "Новые параметры:");
inline constexpr Text apply_change_program = QT_TRANSLATE_NOOP("zr740", "Поменять сразу сетевые настройки программы");
inline constexpr Text apply_broadcast =
    QT_TRANSLATE_NOOP("zr740", "По\x63лать широковещательную команду \"Применить параметры\"");
inline constexpr Text apply_three_times = QT_TRANSLATE_NOOP("zr740", "По\x63лать посылку трижды (для надежности)");
inline constexpr Text cancel = QT_TRANSLATE_NOOP("zr740", "Отмена");

// The single-point window.
inline constexpr Text single_point_caption =
    QT_TRANSLATE_NOOP("zr740", "Произвольный доступ к отдельным параметрам (Single Point)");
inline constexpr Text single_point_name = QT_TRANSLATE_NOOP("zr740", "Имя параметра:");
inline constexpr Text single_point_identifier = QT_TRANSLATE_NOOP("zr740", "Идентификатор:");
inline constexpr std::string_view single_point_start_name = "!0x0000";
inline constexpr Text single_point_start_description = QT_TRANSLATE_NOOP("zr740", "Описание параметра");
inline constexpr Text single_point_read = QT_TRANSLATE_NOOP("zr740", "Чтение");
inline constexpr Text single_point_write = QT_TRANSLATE_NOOP("zr740", "Запись");
inline constexpr Text single_point_value = QT_TRANSLATE_NOOP("zr740", "Что записать:");
inline constexpr Text single_point_run = QT_TRANSLATE_NOOP("zr740", "Выполнить!");
inline constexpr Text single_point_exit = QT_TRANSLATE_NOOP("zr740", "Выход");

// The calibration window.
inline constexpr Text calibration_caption = QT_TRANSLATE_NOOP("zr740", "Юстировка прибора");
inline constexpr Text calibration_offset_group = QT_TRANSLATE_NOOP("zr740", "Коррекция смещения");
inline constexpr Text calibration_offset_help = QT_TRANSLATE_NOOP(
    "zr740", "Для коррекции влияния статического давления установить в поле данных необходимое значение индикации и "
             "нажать кнопку \"Применить\".");
inline constexpr Text calibration_range_group = QT_TRANSLATE_NOOP("zr740", "Коррекция диапазона");
inline constexpr Text calibration_range_help = QT_TRANSLATE_NOOP(
    "zr740", "Для коррекции диапазона подать на прибор образцовое давление, установить в поле данных значение "
             "поданного образцового давления и нажать кнопку \"Применить\".");
inline constexpr Text calibration_apply = QT_TRANSLATE_NOOP("zr740", "Применить");
inline constexpr Text calibration_close = QT_TRANSLATE_NOOP("zr740", "Закрыть");

} // namespace zr740::ui::texts
