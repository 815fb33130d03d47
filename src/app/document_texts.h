#pragma once
// The document's own texts (configuration files), in one place so that a translation can be added.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view open_error_caption = "Ошибка открытия файла";
inline constexpr std::string_view file_too_old = "Невозможно открыть по причине устаревшей версии файла!";
inline constexpr std::string_view file_corrupt = "Данные в файле испорчены!";
inline constexpr std::string_view bad_format = "Неверный формат данных! Возможно это устаревшая версия файла.";
inline constexpr std::string_view read_failed =
    "Произошла ошибка при чтении файла!\nУдостоверьтесь, что этот файл относится к этому конфигуратору!";
inline constexpr std::string_view cannot_open_file = "Не удалось открыть файл '%s':\n%s";
inline constexpr std::string_view cannot_save_file = "Не удалось сохранить файл '%s':\n%s\nПрежний файл не изменен.";
inline constexpr std::string_view save_error_caption = "Ошибка записи файла";

// The file type.
inline constexpr std::string_view file_extension = ".zr740";
inline constexpr std::string_view file_filter = "Файлы конфигураций (*.zr740)";
inline constexpr std::string_view document_type_name = "ЗР740.Document";
inline constexpr std::string_view file_type_description = "Файлы конфигураций прибора ЗР740";

} // namespace zr740::texts
