#pragma once
// The batch exchange engine's own texts, in one place so that a translation can be added later.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view caption_read = "Идет чтение параметров из прибора";
inline constexpr std::string_view caption_read_one = "Идет чтение параметра из прибора";
inline constexpr std::string_view caption_write_all = "Идет запись параметров в прибор";
inline constexpr std::string_view caption_write_changed = "Идет запись измененных значений параметров в прибор";
inline constexpr std::string_view caption_compare = "Идет сравнение параметров в конфигурации и в приборе";
inline constexpr std::string_view caption_initialise = "Идет инициализация прибора";
inline constexpr std::string_view caption_write_one = "Идет запись параметра в прибор";

inline constexpr std::string_view nothing_selected = "Ничего не выбрано!";
inline constexpr std::string_view thread_failed =
    "Не могу запустить поток (TransmitThread), необходимый для коммуникации с прибором";
inline constexpr std::string_view error_caption = "Error";

inline constexpr std::string_view heading_read = "Читаем ветвь";
inline constexpr std::string_view heading_compare = "Сравниваем ветвь";
inline constexpr std::string_view heading_write = "Пишем ветвь";
inline constexpr std::string_view label_read = "  Чтение: ";
inline constexpr std::string_view label_write = "  Запись: ";
inline constexpr std::string_view label_compare = "  Сравниваем: ";
inline constexpr std::string_view new_value = " [новое значение]";

inline constexpr std::string_view timeout_status = "Таймаут при передаче данных (нет связи)";
inline constexpr std::string_view not_written = "Значение не записано, так как параметр не инициализирован";
inline constexpr std::string_view five_failed_writes = "Прошло 5 безуспешных попыток записи!";
inline constexpr std::string_view failed_reads =
    "Так как прошло %i неудачных попыток чтения параметров подряд,\nпохоже что прибор %s не подключен к "
    "компьютеру\n(или связь стабильно отсутствует по какой-либо другой причине). \nРади избежания "
    "бессмысленных задержек и торможения компьютера были проведены следующие меры:\n";
inline constexpr std::string_view auto_read_switched_off =
    " - Режим автоматического чтения параметров был отключен.\nВы можете заново включить этот режим в меню "
    "'Режимы программы'.\n";
inline constexpr std::string_view exchange_suspended = " - Операции обмена были приостановлены.";

inline constexpr std::string_view difference_entry =
    "\n%i) Параметер '%s (%s)' в конфигурации: значение=%s, %s, принадлежность: %s; в приборе: "
    "значение=%s, %s, принадлежность: %s.\n";
inline constexpr std::string_view device_value_note = "Знач-е в приборе:";
inline constexpr std::string_view differences = "Отличия";
inline constexpr std::string_view first_ten_only = " (показанны только первые 10)";
inline constexpr std::string_view no_differences = "Отличий не обнаружено";
inline constexpr std::string_view compare_caption = "Результат сравнения";

// Reading written parameters back.
inline constexpr std::string_view heading_verify = "Проверяем записанные параметры";
inline constexpr std::string_view label_verify = "  Проверка: ";
inline constexpr std::string_view verify_held = "Прибор хранит %s вместо %s";
inline constexpr std::string_view verify_registers = "Регистры прибора: %s вместо %s";
inline constexpr std::string_view verify_summary = "Проверено параметров: %i, не совпало: %i";
inline constexpr std::string_view five_failed_checks = "Прошло 5 безуспешных попыток проверки!";

inline constexpr std::string_view job_done = "Задание выполнено. Окно будет закрыто автоматически.";
inline constexpr std::string_view init_failed = "Комманда INIT вернула ошибку:\n";

// Captions of the description variants.
inline constexpr std::string_view variant_current = "ЗР740";
inline constexpr std::string_view variant_old = "ЗР740(old)";
inline constexpr std::string_view variant_unknown = "<неизвестен>";

} // namespace zr740::texts
