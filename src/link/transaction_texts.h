#pragma once
// Texts of the device transactions.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view port_open_failed = "Ошибка открытия порта";
inline constexpr std::string_view cannot_decode = "Не могу раскодировать ответ";
inline constexpr std::string_view value_not_encoded = "Значение не записано: его нельзя преобразовать для передачи в прибор";
inline constexpr std::string_view value_exceeds_registers =
    "Значение не записано: оно не помещается в регистры параметра";
inline constexpr std::string_view too_many_registers =
    "Значение не записано: параметр занимает больше регистров, чем можно записать одним запросом";
// "%i" stands for the address; nothing was sent.
inline constexpr std::string_view address_out_of_range =
    "Адрес прибора %i вне диапазона 1..247: запрос не отправлен";
inline constexpr std::string_view korvel_hash_failed = "Не могу зашифровать посылку (ф-я hash_buffer)";
inline constexpr std::string_view korvel_encode_failed = "Не могу зашифровать посылку (ф-я encode_buffer)";
inline constexpr std::string_view timeout_no_link = "Таймаут при передаче данных (нет связи)";
inline constexpr std::string_view wrong_port_settings = "Неверны настройки порта.";
inline constexpr std::string_view frame_start_lost = "Потеря начала посылки.";
inline constexpr std::string_view cannot_open_port = "Не удается открыть порт %s. Связь с сетью отсутствует. Проверьте сетевые параметры.";
inline constexpr std::string_view serial_driver_error = "Ошибка драйвера последовательного порта";
inline constexpr std::string_view instrument_label = "Прибор: ";
inline constexpr std::string_view firmware_label = "Версия ПО: ";
inline constexpr std::string_view parameter_error = "Ошибка параметра";
inline constexpr std::string_view link_caption = "ЗР740";

// Identification texts of the description variants, compared without regard to case.
inline constexpr std::string_view identification_current = "ZR740_RS";
inline constexpr std::string_view identification_old = "ZR740   ";

} // namespace zr740::texts
