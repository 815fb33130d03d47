#include "platform/program_info.h"

#include "build_info.h"

#include <sys/utsname.h>

#include <iostream>

namespace zr740 {

std::filesystem::path program_folder(const std::filesystem::path& self_link)
{
    std::error_code error;
    auto target = std::filesystem::read_symlink(self_link, error);
    if (error || target.empty())
        return {};
    return target.parent_path();
}

std::vector<std::filesystem::path> data_file_candidates(const std::filesystem::path& folder, std::string_view file_name)
{
    if (folder.empty() || file_name.empty())
        return {};
    return {folder / file_name, (folder / ".." / "share" / "zr740" / file_name).lexically_normal()};
}

std::optional<std::filesystem::path> find_data_file(const std::filesystem::path& folder, std::string_view file_name)
{
    for (const auto& candidate : data_file_candidates(folder, file_name)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> find_data_file(std::string_view file_name, std::ostream* report)
{
    const auto folder = program_folder();
    auto found = find_data_file(folder, file_name);
    if (!found && report)
        *report << data_file_missing_text(file_name, data_file_candidates(folder, file_name)) << std::flush;
    return found;
}

std::optional<std::filesystem::path> find_data_file(std::string_view file_name)
{
    return find_data_file(file_name, &std::cerr);
}

std::string data_file_missing_text(std::string_view file_name, const std::vector<std::filesystem::path>& searched)
{
    std::string text(platform_texts::data_file_missing_1);
    text += file_name;
    text += platform_texts::data_file_missing_2;
    for (const auto& place : searched)
        text += "  " + place.string() + '\n';
    if (searched.empty())
        text += "  " + std::string(platform_texts::program_folder_unknown) + '\n';
    return text;
}

std::string version_text_from_file_version(std::string_view file_version)
{
    std::string out;
    out.reserve(file_version.size());
    for (std::size_t i = 0; i < file_version.size(); ++i) {
        if (file_version.substr(i, 2) == ", ") {
            out += '.';
            ++i;
        } else {
            out += file_version[i];
        }
    }
    return out;
}

std::string program_version_text() { return version_text_from_file_version(ZR740_FILE_VERSION); }

std::string copyright_text() { return ZR740_COPYRIGHT_TEXT; }

std::string licence_text()
{
    return "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.";
}

std::string format_os_name(std::string_view sysname, std::string_view release, std::string_view machine)
{
    std::string out(sysname);
    out += ' ';
    out += release;
    out += '-';
    out += machine;
    return out;
}

std::string os_name()
{
    utsname name{};
    if (::uname(&name) != 0)
        return std::string(platform_texts::unknown_os);
    return format_os_name(name.sysname, name.release, name.machine);
}

} // namespace zr740
