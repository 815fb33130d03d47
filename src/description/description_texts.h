#pragma once
// The description reader's own texts.

#include <string_view>

namespace zr740::texts {

inline constexpr std::string_view unknown_command = "Непонятная команда в описателе '";
inline constexpr std::string_view description_error = "Ошибка в описателе";
inline constexpr std::string_view parameter_undefined_1 = "Параметр '";
inline constexpr std::string_view parameter_undefined_2 = "' не определен.";
inline constexpr std::string_view descriptor_error = "Ошибка описателя";
inline constexpr std::string_view constant_defined_1 = "Константа '";
inline constexpr std::string_view constant_defined_2 = "' уже определена!";
inline constexpr std::string_view unknown_child_1 = "Что такое '";
inline constexpr std::string_view unknown_child_2 = "', не ясно!";
inline constexpr std::string_view tree_file_error = "Ошибка открытия файла дерева!";
inline constexpr std::string_view tree_not_built = "Не удалось создать дерево параметров";
inline constexpr std::string_view no_root = "Не опредена корневая ветвь";
inline constexpr std::string_view indices_too_large =
    "Линейные индексы параметров в описателе слишком велики (число экземпляров ветвей и метки '*', '+')";

inline constexpr std::string_view network_branch_ru = "Сетевые_параметры";
inline constexpr std::string_view network_branch_en = "Network_parametres";

} // namespace zr740::texts
