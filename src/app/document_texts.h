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

// Unsaved changes kept when a window run was ended from outside.
inline constexpr std::string_view recovery_damaged =
    "Несохраненные изменения в '%s' восстановить не удалось: файл восстановления '%s' поврежден. Он удален.";
inline constexpr std::string_view recovery_other_variant =
    "Несохраненные изменения в '%s' сделаны в конфигурации прибора %s, а программа сейчас работает с прибором %s.\n"
    "Они не восстановлены и оставлены в файле '%s': его можно открыть командой \"Открыть...\".";
inline constexpr std::string_view recovery_not_written =
    "Не удалось записать несохраненные изменения в '%s':\n%s\nПрограмма завершается без них.";

// The file type.
inline constexpr std::string_view file_extension = ".zr740";
inline constexpr std::string_view file_filter = "Файлы конфигураций (*.zr740)";
inline constexpr std::string_view document_type_name = "ЗР740.Document";
inline constexpr std::string_view file_type_description = "Файлы конфигураций прибора ЗР740";

} // namespace zr740::texts
