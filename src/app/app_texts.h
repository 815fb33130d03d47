#pragma once
// The application's own texts (start-up and the command line), in one place for a translation.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view calibration_needs_window = "Юстировка прибора выполняется в окне программы.";
inline constexpr std::string_view cannot_create_log = "Не удалось создать протокол ошибок '%s':\n%s";
inline constexpr std::string_view cannot_open_trace = "Не удалось открыть журнал обмена '%s':\n%s";
inline constexpr std::string_view cannot_create_exit_event = "Не удалось создать событие завершения '%s':\n%s";
inline constexpr std::string_view read_needs_file =
    "Не указан файл конфигурации, в который сохранить прочитанные параметры.";
inline constexpr std::string_view compare_needs_file = "Не указан файл конфигурации для сравнения с прибором.";
inline constexpr std::string_view partial_read_saved =
    "Прочитаны не все параметры (%s из %s не прочитаны). Файл '%s' оставлен без изменений, прочитанное "
    "сохранено в '%s'.";
inline constexpr std::string_view nothing_read =
    "Ни один параметр не прочитан. Файл '%s' оставлен без изменений.";
inline constexpr std::string_view instrument_not_identified =
    "Прибор ЗР740 не опознан: параметры в прибор не записываются и из него не читаются.";
inline constexpr std::string_view unknown_options =
    "Неизвестная опция командной строки: %s. Программа ничего не выполнила; список опций выводит "
    "'zr740 --help'.";
inline constexpr std::string_view cannot_write_page = "Не удалось записать список параметров '%s':\n%s";

} // namespace zr740::texts
