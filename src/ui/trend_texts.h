// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trend window's own texts, marked for translation (see ui_text.h). Captions of the series and
// units come from the description and are shown as they are.

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text trend_caption = QT_TRANSLATE_NOOP("zr740", "Тренды");

// Controls.
inline constexpr Text trend_pause = QT_TRANSLATE_NOOP("zr740", "Пауза");
inline constexpr Text trend_pause_tip = QT_TRANSLATE_NOOP(
    "zr740", "Остановить график; значения по-прежнему собираются. Снятая пауза снова ведет ось времени за новыми "
             "точками");
inline constexpr Text trend_span = QT_TRANSLATE_NOOP("zr740", "Окно:");
inline constexpr Text trend_span_tip = QT_TRANSLATE_NOOP("zr740", "Сколько последних значений показывать");
inline constexpr Text trend_span_1min = QT_TRANSLATE_NOOP("zr740", "1 мин");
inline constexpr Text trend_span_5min = QT_TRANSLATE_NOOP("zr740", "5 мин");
inline constexpr Text trend_span_15min = QT_TRANSLATE_NOOP("zr740", "15 мин");
inline constexpr Text trend_span_1h = QT_TRANSLATE_NOOP("zr740", "1 ч");
inline constexpr Text trend_span_4h = QT_TRANSLATE_NOOP("zr740", "4 ч");
inline constexpr Text trend_span_all = QT_TRANSLATE_NOOP("zr740", "все");
inline constexpr Text trend_clear = QT_TRANSLATE_NOOP("zr740", "Очистить");
inline constexpr Text trend_save_png = QT_TRANSLATE_NOOP("zr740", "Рисунок...");
inline constexpr Text trend_save_png_tip = QT_TRANSLATE_NOOP("zr740", "Сохранить график, как он виден, в файл PNG");
inline constexpr Text trend_save_png_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить график");
inline constexpr Text trend_save_png_filter = QT_TRANSLATE_NOOP("zr740", "Рисунок PNG (*.png);;Все файлы (*)");
inline constexpr Text trend_save_png_failed = QT_TRANSLATE_NOOP("zr740", "Не удается сохранить график в %1.");
inline constexpr Text trend_save_csv = QT_TRANSLATE_NOOP("zr740", "Экспорт в CSV...");
inline constexpr Text trend_save_csv_tip =
    QT_TRANSLATE_NOOP("zr740", "Сохранить значения видимого отрезка времени в таблицу CSV (время UTC)");
inline constexpr Text trend_save_csv_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить видимые значения");
inline constexpr Text trend_csv_filter = QT_TRANSLATE_NOOP("zr740", "Таблица CSV (*.csv);;Все файлы (*)");
inline constexpr Text trend_save_csv_failed =
    QT_TRANSLATE_NOOP("zr740", "Не удается сохранить значения в %1:\n%2");

// The CSV log, written on the scanners' thread while they poll.
inline constexpr Text trend_log_start = QT_TRANSLATE_NOOP("zr740", "Записывать в CSV...");
inline constexpr Text trend_log_start_tip = QT_TRANSLATE_NOOP(
    "zr740", "Записывать каждый опрос включенных сейчас параметров в файл CSV, строка на цикл опроса");
inline constexpr Text trend_log_stop = QT_TRANSLATE_NOOP("zr740", "Остановить запись");
inline constexpr Text trend_log_caption = QT_TRANSLATE_NOOP("zr740", "Записывать опрашиваемые значения");
inline constexpr Text trend_log_running = QT_TRANSLATE_NOOP("zr740", "Запись в %1: строк %2");
inline constexpr Text trend_log_stopped = QT_TRANSLATE_NOOP("zr740", "Запись в %1 остановлена: строк %2");

// The plot.
inline constexpr Text trend_time_axis = QT_TRANSLATE_NOOP("zr740", "Время");
inline constexpr Text trend_empty = QT_TRANSLATE_NOOP(
    "zr740", "Нет значений. Включите опрос параметров в ветви «Текущие значения»: каждый опрашиваемый параметр "
             "рисуется здесь линией");
inline constexpr Text trend_cursor_failed = QT_TRANSLATE_NOOP("zr740", "нет ответа");

// Notes under the plot.
inline constexpr Text trend_points_note = QT_TRANSLATE_NOOP("zr740", "Линий: %1, точек: %2");
inline constexpr Text trend_paused_note =
    QT_TRANSLATE_NOOP("zr740", "Пауза: линий %1, точек %2; новые значения собираются");

} // namespace zr740::ui::texts
