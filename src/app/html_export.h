#pragma once
// The parameter list page ("parlist.html"): every parameter of the description's tree with its
// register, register count, caption, type, indexing, value range and attributes, for whoever
// programs the instrument's exchange without this configurator. It documents the description, not
// values read from the instrument, so it needs no link.

#include "platform/settings_store.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zr740 {

class DescBranch;
class AppShell;

// The whole page in Windows-1251. `variant_caption` names the description variant in the title
// ("ЗР740", "ЗР740(old)", "<неизвестен>").
std::string parameter_list_page(const DescBranch& root, std::string_view variant_caption);

// Where the page goes when the current folder takes no new file: "$XDG_CACHE_HOME/zr740", by
// default "~/.cache/zr740". Relative or empty entries are ignored, as the XDG rules ask.
std::filesystem::path parameter_list_fallback_folder(const EnvironmentLookup& lookup);
std::filesystem::path parameter_list_fallback_folder_from_environment();

// Writes "parlist.html" into the current folder (created anew) under the wait cursor; when that
// fails, into `fallback_folder` (created as needed), saying so. Then opens the page with the
// desktop's program. Returns the path written; nothing, after a message with the system's reasons,
// when the file could be created in neither place.
std::optional<std::filesystem::path> export_parameter_list(const DescBranch& root, std::string_view variant_caption,
                                                           AppShell& shell, const std::filesystem::path& fallback_folder);
// The same with the fallback folder taken from the environment.
std::optional<std::filesystem::path> export_parameter_list(const DescBranch& root, std::string_view variant_caption,
                                                           AppShell& shell);

} // namespace zr740
