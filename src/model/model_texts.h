#pragma once
// The model's own texts, in one place so that a translation can be added later.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view no_data = "Нет данных";
inline constexpr std::string_view unknown_type = "неизвестен";
inline constexpr std::string_view unknown_parameter = "<неизвестный параметр>";
inline constexpr std::string_view invalid_value = "недопустимое значение";
inline constexpr std::string_view bad_length = "Ошибка; (Непонятная длина ответа:%i)";
inline constexpr std::string_view bad_name_code = "Недопустимый код символа в сетевом имени";
inline constexpr std::string_view name_empty = "Сетевое имя пусто";
inline constexpr std::string_view name_too_long = "Сетевое имя слишком длинное";
inline constexpr std::string_view name_bad_char = "Недопустимый символ в сетевом имени";
// Why a value text cannot be written into the instrument (the encoder's refusals).
inline constexpr std::string_view not_written_read_only = "Параметр только для чтения: в прибор не записывается";
inline constexpr std::string_view not_written_no_data = "Значение не записано: параметр не прочитан и не задан";
inline constexpr std::string_view not_written_not_whole = "Значение не записано: '%s' не является целым числом";
inline constexpr std::string_view not_written_too_large =
    "Значение не записано: '%s' не помещается в регистр (допустимо от -32768 до 65535)";
inline constexpr std::string_view not_written_not_number = "Значение не записано: '%s' не является числом";
inline constexpr std::string_view not_written_not_time =
    "Значение не записано: '%s' не является временем в виде м:сс";
inline constexpr std::string_view not_written_not_item = "Значение не записано: '%s' нет в списке значений параметра";
inline constexpr std::string_view word_float = "вещественным числом";
inline constexpr std::string_view word_int = "целым числом";
inline constexpr std::string_view word_other = "значением";

inline constexpr std::string_view out_of_memory = "Серьезная нехватка памяти";
inline constexpr std::string_view suspicious_index_1 = "Параметр '";
inline constexpr std::string_view suspicious_index_2 = "' (";
inline constexpr std::string_view suspicious_index_3 = ") имеет подозрительный линейный индекс.";
inline constexpr std::string_view warning_caption = "Предупреждение";
inline constexpr std::string_view app_title = "ЗР740";

inline constexpr std::string_view invisible_type = "Невизуальный элемент";
inline constexpr std::string_view net_device_name = "Сетевые параметры прибора";
inline constexpr std::string_view net_type_name = "Сеть RS-485";
inline constexpr std::string_view net_program_name = "Сетевые параметры программы";
inline constexpr std::string_view common_name = "Сервисные параметры программы";
inline constexpr std::string_view bad_parity = "<неверное значение>";
inline constexpr std::string_view unknown_os = "<неизвестно>";

inline constexpr std::string_view attr_editable = "Редактируемый";
inline constexpr std::string_view attr_read_only = "Не редактируемый";
inline constexpr std::string_view attr_factory = "Фирма";
inline constexpr std::string_view attr_user = "Пользователь";

// The fixed network and service elements.
inline constexpr std::string_view caption_baud = "Скорость";
inline constexpr std::string_view caption_data_bits = "Длина слова данных";
inline constexpr std::string_view caption_parity = "Четность";
inline constexpr std::string_view caption_stop_bits = "Кол-во стоп-бит";
inline constexpr std::string_view caption_address = "Адрес";
inline constexpr std::string_view caption_port = "Порт компьютера";
inline constexpr std::string_view caption_protocol = "Протокол";
inline constexpr std::string_view caption_version = "Версия";
inline constexpr std::string_view caption_copyright = "Копирайт";
inline constexpr std::string_view caption_os = "Операционная система";
inline constexpr std::string_view baud_items = "2400:4800:9600:14400:19200:28800:38400:57600:115200";
inline constexpr std::string_view data_bits_items = "7:8";
inline constexpr std::string_view parity_items = "Отсутствует:Четность:Нечетность";
inline constexpr std::string_view stop_bits_items = "1:2";
inline constexpr std::string_view protocol_modbus_rtu = "ModBus-RTU";

} // namespace zr740::texts
