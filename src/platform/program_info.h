#pragma once
// What the program knows about itself and the machine it runs on: its folder, its data files, its
// version and legal notice, and the name of the operating system.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

namespace platform_texts {
inline constexpr std::string_view unknown_os = "<неизвестно>";
// A data file found nowhere: the first text, the file's name, the second, then the places searched.
inline constexpr std::string_view data_file_missing_1 = "zr740: файл ";
inline constexpr std::string_view data_file_missing_2 = " не найден. Искали:\n";
inline constexpr std::string_view program_folder_unknown = "папка программы неизвестна (/proc/self/exe не читается)";
} // namespace platform_texts

// The folder of the running executable; empty when /proc/self/exe cannot be read. `self_link` is
// the link to resolve (tests point it elsewhere).
std::filesystem::path program_folder(const std::filesystem::path& self_link = "/proc/self/exe");

// The installed data file of that name: in the program's folder, else in ../share/zr740 beside it
// (the layout of an installation under a prefix). nullopt when neither holds a regular file.
std::optional<std::filesystem::path> find_data_file(const std::filesystem::path& folder, std::string_view file_name);
// The same for the running program; when neither place holds the file, the message saying where it
// was looked for goes to `report` (standard error by default; nullptr: no message).
std::optional<std::filesystem::path> find_data_file(std::string_view file_name);
std::optional<std::filesystem::path> find_data_file(std::string_view file_name, std::ostream* report);
// The places find_data_file() looks at, in its order: the program's folder, then ../share/zr740.
std::vector<std::filesystem::path> data_file_candidates(const std::filesystem::path& folder,
                                                        std::string_view file_name);
// The message of a data file found nowhere: its name and each place searched on a line of its own.
std::string data_file_missing_text(std::string_view file_name, const std::vector<std::filesystem::path>& searched);

// "1, 0, 0, 1" -> "1.0.0.1": every ", " becomes ".".
std::string version_text_from_file_version(std::string_view file_version);
// The program's own version, dotted.
std::string program_version_text();
std::string copyright_text();
// The licence under which the program is distributed, as "--version" and the about box show it.
std::string licence_text();

// "Linux 6.1.0-x86_64": system name, release and machine.
std::string format_os_name(std::string_view sysname, std::string_view release, std::string_view machine);
// From uname(); "<неизвестно>" when it fails.
std::string os_name();

} // namespace zr740
