// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The traffic monitor's own texts, marked for translation (see ui_text.h). What a frame means and
// what the link did come decoded from the link layer and are shown as they are.

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text traffic_caption = QT_TRANSLATE_NOOP("zr740", "Монитор обмена");

// Columns.
inline constexpr Text traffic_column_time = QT_TRANSLATE_NOOP("zr740", "Время");
inline constexpr Text traffic_column_direction = QT_TRANSLATE_NOOP("zr740", "Событие");
inline constexpr Text traffic_column_address = QT_TRANSLATE_NOOP("zr740", "Адрес");
inline constexpr Text traffic_column_bytes = QT_TRANSLATE_NOOP("zr740", "Байты");
inline constexpr Text traffic_column_meaning = QT_TRANSLATE_NOOP("zr740", "Значение");
inline constexpr Text traffic_column_crc = QT_TRANSLATE_NOOP("zr740", "CRC");
inline constexpr Text traffic_column_response = QT_TRANSLATE_NOOP("zr740", "Ответ, мс");

// What a row is.
inline constexpr Text traffic_kind_request = QT_TRANSLATE_NOOP("zr740", "Запрос");
inline constexpr Text traffic_kind_reply = QT_TRANSLATE_NOOP("zr740", "Ответ");
inline constexpr Text traffic_kind_retry = QT_TRANSLATE_NOOP("zr740", "Повтор");
inline constexpr Text traffic_kind_timeout = QT_TRANSLATE_NOOP("zr740", "Таймаут");
inline constexpr Text traffic_kind_skipped = QT_TRANSLATE_NOOP("zr740", "Пропущено");
inline constexpr Text traffic_kind_unmatched = QT_TRANSLATE_NOOP("zr740", "Чужой кадр");
inline constexpr Text traffic_kind_opened = QT_TRANSLATE_NOOP("zr740", "Порт открыт");
inline constexpr Text traffic_kind_closed = QT_TRANSLATE_NOOP("zr740", "Порт закрыт");
inline constexpr Text traffic_kind_line_error = QT_TRANSLATE_NOOP("zr740", "Ошибка линии");
inline constexpr Text traffic_crc_good = QT_TRANSLATE_NOOP("zr740", "верна");
inline constexpr Text traffic_crc_bad = QT_TRANSLATE_NOOP("zr740", "ОШИБКА");

// Controls.
inline constexpr Text traffic_pause = QT_TRANSLATE_NOOP("zr740", "Пауза");
inline constexpr Text traffic_pause_tip =
    QT_TRANSLATE_NOOP("zr740", "Остановить прокрутку; кадры, пришедшие за паузу, появятся после нее");
inline constexpr Text traffic_clear = QT_TRANSLATE_NOOP("zr740", "Очистить");
inline constexpr Text traffic_register = QT_TRANSLATE_NOOP("zr740", "Регистр:");
inline constexpr Text traffic_register_all = QT_TRANSLATE_NOOP("zr740", "все");
inline constexpr Text traffic_register_tip =
    QT_TRANSLATE_NOOP("zr740", "Показывать только обмен с этим регистром: 0x001A, 1Ah или 26");
inline constexpr Text traffic_register_bad = QT_TRANSLATE_NOOP("zr740", "Это не номер регистра (0..65535)");
inline constexpr Text traffic_errors_only = QT_TRANSLATE_NOOP("zr740", "Только ошибки");
inline constexpr Text traffic_copy = QT_TRANSLATE_NOOP("zr740", "Копировать");
inline constexpr Text traffic_save = QT_TRANSLATE_NOOP("zr740", "Сохранить...");
inline constexpr Text traffic_save_caption = QT_TRANSLATE_NOOP("zr740", "Сохранить журнал обмена");
inline constexpr Text traffic_save_filter = QT_TRANSLATE_NOOP("zr740", "Текст (*.txt *.log);;Все файлы (*)");
inline constexpr Text traffic_save_failed = QT_TRANSLATE_NOOP("zr740", "Не удается сохранить журнал обмена в %1:\n%2");
inline constexpr Text traffic_reset = QT_TRANSLATE_NOOP("zr740", "Сбросить статистику");

// Notes under the table.
inline constexpr Text traffic_paused_note = QT_TRANSLATE_NOOP("zr740", "Пауза: ждут показа %1 кадров и событий");
inline constexpr Text traffic_rows_note = QT_TRANSLATE_NOOP("zr740", "Строк: %1 из %2");
inline constexpr Text traffic_cap_note =
    QT_TRANSLATE_NOOP("zr740", "Строк: %1 из %2 (хранятся последние %3; файл трассировки хранит все)");

// Link statistics: in the monitor, and briefly in the status bar.
inline constexpr Text traffic_statistics = QT_TRANSLATE_NOOP(
    "zr740", "Запросов: %1   Ответов: %2   Таймаутов: %3   Ошибок CRC: %4   Исключений: %5   Повторов: %6   "
             "Ошибок линии: %7   Чужих кадров: %8   Время ответа: медиана %9 мс, 95% — %10 мс");
inline constexpr Text traffic_statistics_brief =
    QT_TRANSLATE_NOOP("zr740", "Обмен: %1 запр., %2 отв., %3 тайм., %4 CRC, %5 искл.; %6 / %7 мс");
inline constexpr Text traffic_statistics_brief_tip = QT_TRANSLATE_NOOP(
    "zr740", "Статистика связи с открытия порта: запросы, ответы, таймауты, ошибки CRC, исключения; "
             "медиана и 95-й процентиль времени ответа. Подробнее: «Режимы программы» → «Монитор обмена»");

} // namespace zr740::ui::texts
