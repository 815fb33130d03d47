#pragma once
// Texts of the commissioning run: a configuration written into one instrument after another, each
// read back and recorded in a report. "%s" stands for a text.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view commission_needs_report =
    "Не указан файл отчета пусконаладки: добавьте опцию report:ПУТЬ.";
inline constexpr std::string_view commission_cannot_write_report = "Не удается записать отчет пусконаладки '%s':\n%s";
inline constexpr std::string_view commission_ok = "Прибор № %s (версия ПО %s, адрес %s): годен; записано %s, проверено %s.";
inline constexpr std::string_view commission_failed =
    "Прибор № %s (версия ПО %s, адрес %s): НЕ ГОДЕН; записано %s, проверено %s, ошибок %s: %s.";
inline constexpr std::string_view commission_waiting = "Ожидание следующего прибора...";
inline constexpr std::string_view commission_waiting_first = "Прибор не отвечает: ожидание первого прибора...";
inline constexpr std::string_view commission_foreign = "По адресу %s отвечает не ЗР740 ('%s'): прибор пропущен.";
inline constexpr std::string_view commission_summary = "Пусконаладка завершена: годных приборов %s, с ошибками %s.";
inline constexpr std::string_view commission_caption = "Пусконаладка";
inline constexpr std::string_view commission_no_serial = "без номера";

} // namespace zr740::texts
