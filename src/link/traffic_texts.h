#pragma once
// Texts of the traffic monitor: what a frame on the line means and what the link did, short and
// technical, as a person reading a line trace wants them. "%i" stands for a number, "%s" for a
// text, "%x" and "%c" for hexadecimal numbers, "%e" for the system's reason.

#include <string_view>

namespace zr740::texts {

// --- frames ---------------------------------------------------------------------------------------
inline constexpr std::string_view traffic_address = "адрес %i";
inline constexpr std::string_view traffic_broadcast = "адрес 0 (всем)";
inline constexpr std::string_view traffic_read_request = "Чтение";
inline constexpr std::string_view traffic_read_reply = "Ответ на чтение";
inline constexpr std::string_view traffic_write_request = "Запись";
inline constexpr std::string_view traffic_write_reply = "Запись подтверждена";
inline constexpr std::string_view traffic_function = "Функция %i";
inline constexpr std::string_view traffic_function_of = "функция %i";
inline constexpr std::string_view traffic_register = "рег. %s";
inline constexpr std::string_view traffic_count = "кол-во %i";
inline constexpr std::string_view traffic_byte_count = "%i байт";
inline constexpr std::string_view traffic_exception = "Исключение %i (%s)";
inline constexpr std::string_view traffic_short_frame = "Неполный кадр (%i байт)";
inline constexpr std::string_view traffic_bad_crc = "ошибка CRC: в кадре %s, вычислено %c";
inline constexpr std::string_view traffic_not_this_request = "не ответ на этот запрос";
inline constexpr std::string_view traffic_echo = "Эхо запроса";

// Modbus exception codes 1..11 and what they mean; a code not listed gets the last text.
inline constexpr std::string_view modbus_exception_texts[] = {
    "Недопустимая функция",
    "Недопустимый адрес данных",
    "Недопустимое значение данных",
    "Отказ ведомого устройства",
    "Запрос принят, выполняется долго",
    "Ведомое устройство занято",
    "Отрицательное подтверждение",
    "Ошибка чётности памяти",
    "Код исключения не определён",
    "Шлюз: путь недоступен",
    "Шлюз: целевое устройство не ответило",
};
inline constexpr std::string_view modbus_exception_unknown = "Код исключения не определён";

inline constexpr std::string_view traffic_korvel = "Корвел";
inline constexpr std::string_view traffic_korvel_request = "запрос";
inline constexpr std::string_view traffic_korvel_reply = "ответ";
inline constexpr std::string_view traffic_korvel_identifier = "идентификатор %s";
inline constexpr std::string_view traffic_korvel_data = "данные:";
inline constexpr std::string_view traffic_korvel_error = "ошибка прибора %x (%s)";
inline constexpr std::string_view traffic_korvel_bad = "ошибка CRC или формата кадра";

// --- what the link did ----------------------------------------------------------------------------
inline constexpr std::string_view traffic_retry_timeout = "Повтор %i после таймаута";
inline constexpr std::string_view traffic_retry_line_error = "Повтор %i после ошибки линии";
inline constexpr std::string_view traffic_retry_frame_start = "Повтор %i: ответ без начала посылки";
inline constexpr std::string_view traffic_timeout = "Нет ответа за %i мс";
inline constexpr std::string_view traffic_skipped_echo = "Пропущено эхо запроса";
inline constexpr std::string_view traffic_skipped_bytes = "Пропущены посторонние байты (%i)";
inline constexpr std::string_view traffic_discarded = "Отброшено перед запросом (%i байт)";
inline constexpr std::string_view traffic_unmatched = "Кадр не отвечает ни на один запрос";
inline constexpr std::string_view traffic_port_opened = "Порт %s открыт, %i бод";
inline constexpr std::string_view traffic_port_closed = "Порт закрыт";
inline constexpr std::string_view traffic_line_error = "Ошибка линии: обрыв, кадрирование, чётность или переполнение";
inline constexpr std::string_view traffic_too_long = "Более 255 байт без полного кадра";

// --- the trace file ------------------------------------------------------------------------------
inline constexpr std::string_view trace_open_failed = "Не удается открыть файл трассировки %s: %e";
inline constexpr std::string_view trace_write_failed = "Запись в файл трассировки %s прекращена: %e";

} // namespace zr740::texts
