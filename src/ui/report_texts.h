// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the compare report window and of the CSV export of the parameter list, marked for
// translation (see ui_text.h). Values and attribute words come from the layers below as they are.

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text report_caption = QT_TRANSLATE_NOOP("zr740", "Результат сравнения");
// "%1" is the count.
inline constexpr Text report_summary = QT_TRANSLATE_NOOP("zr740", "Отличий между конфигурацией и прибором: %1");
inline constexpr Text report_hint =
    QT_TRANSLATE_NOOP("zr740", "Двойной щелчок по строке показывает параметр в дереве; щелчок по заголовку сортирует.");

// Columns: the parameter, then its value and attributes in the configuration and in the instrument,
// the attributes named as the tree's columns name them.
inline constexpr Text report_column_command = QT_TRANSLATE_NOOP("zr740", "Команда");
inline constexpr Text report_column_index = QT_TRANSLATE_NOOP("zr740", "Индекс");
inline constexpr Text report_column_caption = QT_TRANSLATE_NOOP("zr740", "Описание");
inline constexpr Text report_column_configuration_value = QT_TRANSLATE_NOOP("zr740", "Значение\nв конфигурации");
inline constexpr Text report_column_configuration_access =
    QT_TRANSLATE_NOOP("zr740", "Атрибут\nредактирования\nв конфигурации");
inline constexpr Text report_column_configuration_owner = QT_TRANSLATE_NOOP("zr740", "Владелец\nв конфигурации");
inline constexpr Text report_column_instrument_value = QT_TRANSLATE_NOOP("zr740", "Значение\nв приборе");
inline constexpr Text report_column_instrument_access = QT_TRANSLATE_NOOP("zr740", "Атрибут\nредактирования\nв приборе");
inline constexpr Text report_column_instrument_owner = QT_TRANSLATE_NOOP("zr740", "Владелец\nв приборе");

inline constexpr Text report_save_csv = QT_TRANSLATE_NOOP("zr740", "Сохранить как CSV...");
inline constexpr Text report_save_html = QT_TRANSLATE_NOOP("zr740", "Сохранить как HTML...");
inline constexpr Text report_close = QT_TRANSLATE_NOOP("zr740", "Закрыть");
inline constexpr Text report_save_csv_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить отличия в файл CSV");
inline constexpr Text report_save_html_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить отличия в страницу HTML");
inline constexpr Text csv_filter = QT_TRANSLATE_NOOP("zr740", "Файлы CSV (*.csv)");
inline constexpr Text html_filter = QT_TRANSLATE_NOOP("zr740", "Страницы HTML (*.html *.htm)");
inline constexpr std::string_view report_csv_file = "differences.csv";
inline constexpr std::string_view report_html_file = "differences.html";
// "%1" is the file, "%2" the system's reason.
inline constexpr Text report_save_failed = QT_TRANSLATE_NOOP("zr740", "Не удается записать файл %1:\n%2");
inline constexpr Text report_parameter_missing =
    QT_TRANSLATE_NOOP("zr740", "Параметр %1 не найден в дереве: описание прибора сменилось после сравнения.");

// The parameter list as CSV, from the "Справка" menu.
inline constexpr Text csv_export_caption = QT_TRANSLATE_NOOP("zr740", "Экспорт списка параметров в CSV");
inline constexpr std::string_view csv_export_file = "parlist.csv";

} // namespace zr740::ui::texts
