// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the connection setup window and of the variant choice, marked for translation (see ui_text.h).

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text setup_caption = QT_TRANSLATE_NOOP("zr740", "Установка связи с прибором");
inline constexpr Text setup_column_name = QT_TRANSLATE_NOOP("zr740", "Параметры порта");
inline constexpr Text setup_column_value = QT_TRANSLATE_NOOP("zr740", "Значение");
inline constexpr Text button_connect = QT_TRANSLATE_NOOP("zr740", "Установить связь");
inline constexpr Text button_scan = QT_TRANSLATE_NOOP("zr740", "Сканирование сети");
inline constexpr Text button_offline = QT_TRANSLATE_NOOP("zr740", "Работать offline");
inline constexpr Text button_factory = QT_TRANSLATE_NOOP("zr740", "Заводские сетевые настройки");
inline constexpr Text button_exit = QT_TRANSLATE_NOOP("zr740", "Выход");
inline constexpr Text button_search = QT_TRANSLATE_NOOP("zr740", "Поиск приборов...");

inline constexpr Text select_caption = QT_TRANSLATE_NOOP("zr740", "Выберите прибор");
inline constexpr Text select_column = QT_TRANSLATE_NOOP("zr740", "Имя прибора");
inline constexpr Text select_nothing = QT_TRANSLATE_NOOP("zr740", "Предварительно следует выбрать прибор из списка!");
inline constexpr Text button_ok = QT_TRANSLATE_NOOP("zr740", "OK");
inline constexpr Text button_cancel = QT_TRANSLATE_NOOP("zr740", "Отмена");

} // namespace zr740::ui::texts
