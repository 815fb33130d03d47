// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the commissioning window, marked for translation (see ui_text.h).

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text commission_window = QT_TRANSLATE_NOOP("zr740", "Пусконаладка серии приборов");
inline constexpr Text commission_report = QT_TRANSLATE_NOOP("zr740", "Отчет (CSV):");
inline constexpr Text commission_browse = QT_TRANSLATE_NOOP("zr740", "Обзор...");
inline constexpr Text commission_report_filter = QT_TRANSLATE_NOOP("zr740", "Отчет CSV (*.csv);;Все файлы (*)");
inline constexpr Text commission_repeat = QT_TRANSLATE_NOOP("zr740", "Ждать следующий прибор");
inline constexpr Text commission_apply = QT_TRANSLATE_NOOP("zr740", "Применить сетевые параметры");
inline constexpr Text commission_hint = QT_TRANSLATE_NOOP(
    "zr740", "В каждый прибор записывается открытая конфигурация; каждый параметр читается обратно и сверяется.");
inline constexpr Text commission_start = QT_TRANSLATE_NOOP("zr740", "Начать");
inline constexpr Text commission_stop = QT_TRANSLATE_NOOP("zr740", "Остановить");
inline constexpr Text commission_close = QT_TRANSLATE_NOOP("zr740", "Закрыть");
inline constexpr Text commission_no_report = QT_TRANSLATE_NOOP("zr740", "Укажите файл отчета.");
inline constexpr Text commission_idle = QT_TRANSLATE_NOOP("zr740", "Нет результата");
inline constexpr Text commission_counts = QT_TRANSLATE_NOOP("zr740", "Годных: %1    С ошибками: %2");
inline constexpr Text commission_waiting = QT_TRANSLATE_NOOP("zr740", "Ожидание следующего прибора...");
inline constexpr Text commission_working = QT_TRANSLATE_NOOP("zr740", "Запись и проверка прибора № %1...");
inline constexpr Text commission_ended = QT_TRANSLATE_NOOP("zr740", "Пусконаладка остановлена.");
inline constexpr Text commission_good = QT_TRANSLATE_NOOP("zr740", "№ %1 — ГОДЕН");
inline constexpr Text commission_bad = QT_TRANSLATE_NOOP("zr740", "№ %1 — НЕ ГОДЕН");
inline constexpr Text commission_bad_names = QT_TRANSLATE_NOOP("zr740", "Ошибки: %1");
inline constexpr Text commission_no_serial = QT_TRANSLATE_NOOP("zr740", "без номера");
inline constexpr Text commission_result_ok = QT_TRANSLATE_NOOP("zr740", "годен");
inline constexpr Text commission_result_failed = QT_TRANSLATE_NOOP("zr740", "не годен");
inline constexpr Text commission_column_time = QT_TRANSLATE_NOOP("zr740", "Время");
inline constexpr Text commission_column_serial = QT_TRANSLATE_NOOP("zr740", "Заводской номер");
inline constexpr Text commission_column_version = QT_TRANSLATE_NOOP("zr740", "Версия ПО");
inline constexpr Text commission_column_address = QT_TRANSLATE_NOOP("zr740", "Адрес");
inline constexpr Text commission_column_result = QT_TRANSLATE_NOOP("zr740", "Результат");
inline constexpr Text commission_column_written = QT_TRANSLATE_NOOP("zr740", "Записано");
inline constexpr Text commission_column_verified = QT_TRANSLATE_NOOP("zr740", "Проверено");
inline constexpr Text commission_column_failed = QT_TRANSLATE_NOOP("zr740", "Ошибок");
inline constexpr Text commission_column_names = QT_TRANSLATE_NOOP("zr740", "Параметры с ошибками");

} // namespace zr740::ui::texts
