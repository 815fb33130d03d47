#pragma once
// The texts of the parameter list page and of the messages about writing it, in one place so that a
// translation can be added later.

#include <string_view>

namespace zr740::texts {

// The page. "%s" in the title is the caption of the description variant.
inline constexpr std::string_view page_title = "Список параметров прибора %s";
inline constexpr std::string_view page_heading = "Список конфигурационных параметров";
inline constexpr std::string_view column_number = "№";
inline constexpr std::string_view column_command = "Команда";
inline constexpr std::string_view column_registers = "Кол-во Регистров";
inline constexpr std::string_view column_caption = "Описание";
inline constexpr std::string_view column_type = "Тип";
inline constexpr std::string_view column_indexing = "Индексация";
inline constexpr std::string_view column_range = "Диапазон значений";
inline constexpr std::string_view column_attributes = "Атрибуты";

inline constexpr std::string_view not_indexed = "без индекса";
inline constexpr std::string_view index_list = "0,%i..%i";
inline constexpr std::string_view unlimited = "нет ограничений";
inline constexpr std::string_view range_from_to = "от %s до %s";
inline constexpr std::string_view no_attributes = "нет атрибутов";
inline constexpr std::string_view plain_attributes = "обычн. атрибуты";
// The sixth letter of the last word is the Latin "c", as the page has always had it.
inline constexpr std::string_view cut_attribute_tree = "дерево атр-ов обрезано (кратность индекcов %i)";

// A run of numbered copies ("Канал №1", "Канал №2") is listed once under this number.
inline constexpr std::string_view any_number = "№...";

// Writing the page.
inline constexpr std::string_view page_file_name = "parlist.html";
inline constexpr std::string_view page_cache_folder = "zr740";
inline constexpr std::string_view page_message_caption = "ЗР740";
inline constexpr std::string_view page_written_elsewhere =
    "Список параметров не удалось записать в текущую папку (%s).\nОн записан в файл\n%s";
inline constexpr std::string_view page_not_written = "Не удалось создать файл списка параметров.";
inline constexpr std::string_view page_attempt = "\n%s:\n%s";

// The page of the differences a compare found; the attribute columns are named as in the tree.
inline constexpr std::string_view differences_title = "Результат сравнения";
inline constexpr std::string_view differences_heading = "Отличия между конфигурацией и прибором: %s";
inline constexpr std::string_view differences_index = "Индекс";
inline constexpr std::string_view differences_configuration = "В конфигурации";
inline constexpr std::string_view differences_instrument = "В приборе";
inline constexpr std::string_view differences_value = "Значение";
inline constexpr std::string_view differences_access = "Атрибут редактирования";
inline constexpr std::string_view differences_owner = "Владелец";

} // namespace zr740::texts
