// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the search for instruments, marked for translation (see ui_text.h).

#include "ui/ui_text.h"

namespace zr740::ui::texts {

inline constexpr Text search_caption = QT_TRANSLATE_NOOP("zr740", "Поиск приборов");
inline constexpr Text search_addresses = QT_TRANSLATE_NOOP("zr740", "Адреса с");
inline constexpr Text search_to = QT_TRANSLATE_NOOP("zr740", "по");
inline constexpr Text search_rates = QT_TRANSLATE_NOOP("zr740", "Скорости, бод:");
inline constexpr Text search_start = QT_TRANSLATE_NOOP("zr740", "Начать поиск");
inline constexpr Text search_stop = QT_TRANSLATE_NOOP("zr740", "Остановить");
inline constexpr Text search_connect = QT_TRANSLATE_NOOP("zr740", "Подключиться");
inline constexpr Text search_close = QT_TRANSLATE_NOOP("zr740", "Закрыть");
inline constexpr Text search_running = QT_TRANSLATE_NOOP("zr740", "Идет поиск: адрес %1 из %2...");
inline constexpr Text search_done = QT_TRANSLATE_NOOP("zr740", "Поиск закончен. Найдено приборов: %1");
inline constexpr Text search_stopped = QT_TRANSLATE_NOOP("zr740", "Поиск остановлен. Найдено приборов: %1");
inline constexpr Text search_port_failed = QT_TRANSLATE_NOOP("zr740", "Не удается открыть порт: %1");
inline constexpr Text search_hint = QT_TRANSLATE_NOOP(
    "zr740", "Каждый адрес спрашивается один раз с коротким таймаутом; порт и четность берутся из настроек связи.");
inline constexpr Text search_column_address = QT_TRANSLATE_NOOP("zr740", "Адрес");
inline constexpr Text search_column_rate = QT_TRANSLATE_NOOP("zr740", "Скорость");
inline constexpr Text search_column_parity = QT_TRANSLATE_NOOP("zr740", "Четность");
inline constexpr Text search_column_name = QT_TRANSLATE_NOOP("zr740", "Прибор");
inline constexpr Text search_column_version = QT_TRANSLATE_NOOP("zr740", "Версия ПО");
inline constexpr Text search_column_serial = QT_TRANSLATE_NOOP("zr740", "Заводской номер");
inline constexpr Text search_is_zr740 = QT_TRANSLATE_NOOP("zr740", "Прибор ЗР740: к нему можно подключиться");
inline constexpr Text search_is_other = QT_TRANSLATE_NOOP(
    "zr740", "Другое устройство Modbus: показано то, что оно ответило на запрос идентификации");
inline constexpr Text search_parity_none = QT_TRANSLATE_NOOP("zr740", "нет");
inline constexpr Text search_parity_even = QT_TRANSLATE_NOOP("zr740", "четн.");
inline constexpr Text search_parity_odd = QT_TRANSLATE_NOOP("zr740", "нечетн.");

} // namespace zr740::ui::texts
