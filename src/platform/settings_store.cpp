#include "platform/settings_store.h"

#include "platform/ini_file.h"

#include <charconv>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace zr740 {

namespace {

constexpr std::string_view vendor_folder = "Korvel";
constexpr std::string_view file_name = "ZR740.conf";

std::optional<std::filesystem::path> absolute_entry(const std::optional<std::string>& value)
{
    if (!value || value->empty())
        return std::nullopt;
    std::filesystem::path path(*value);
    if (!path.is_absolute())
        return std::nullopt;
    return path;
}

std::filesystem::path home_folder(const EnvironmentLookup& lookup)
{
    if (auto home = absolute_entry(lookup("HOME")))
        return *home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return "/";
}

// Keys compare as the settings file compares them: without regard to ASCII case.
bool same_key(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

PlatformPaths platform_paths_from(const EnvironmentLookup& lookup)
{
    PlatformPaths paths;
    const auto config_home = absolute_entry(lookup("XDG_CONFIG_HOME"));
    const auto cache_home = absolute_entry(lookup("XDG_CACHE_HOME"));
    const auto state_home = absolute_entry(lookup("XDG_STATE_HOME"));
    if (!config_home || !cache_home || !state_home) {
        const auto home = home_folder(lookup);
        paths.user_config_dir = home / ".config";
        paths.user_cache_dir = home / ".cache";
        paths.user_state_dir = home / ".local" / "state";
    }
    if (config_home)
        paths.user_config_dir = *config_home;
    if (cache_home)
        paths.user_cache_dir = *cache_home;
    if (state_home)
        paths.user_state_dir = *state_home;

    paths.system_config_dir = "/etc/xdg";
    if (auto dirs = lookup("XDG_CONFIG_DIRS")) {
        std::string_view rest(*dirs);
        while (!rest.empty()) {
            auto colon = rest.find(':');
            auto entry = absolute_entry(std::string(rest.substr(0, colon)));
            if (entry) {
                paths.system_config_dir = *entry;
                break;
            }
            rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
        }
    }
    return paths;
}

PlatformPaths platform_paths_from_environment()
{
    return platform_paths_from([](const char* name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name))
            return std::string(value);
        return std::nullopt;
    });
}

std::optional<int> parse_stored_int(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    // from_chars takes "-" but not "+"; a "+" may not be followed by another sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

SettingsStore::SettingsStore(PlatformPaths paths) : paths_(std::move(paths)) {}

SettingsStore::~SettingsStore() { flush(); }

std::filesystem::path SettingsStore::user_file() const
{
    return paths_.user_config_dir / vendor_folder / file_name;
}

std::filesystem::path SettingsStore::machine_file() const
{
    return paths_.system_config_dir / vendor_folder / file_name;
}

int SettingsStore::read_link_value(std::string_view name, int default_value)
{
    auto text = read_link_text(name);
    if (!text)
        return default_value;
    return parse_stored_int(*text).value_or(default_value);
}

void SettingsStore::write_link_value(std::string_view name, int value)
{
    write_link_text(name, std::to_string(value));
}

std::optional<std::string> SettingsStore::read_link_text(std::string_view name)
{
    for (const auto& [key, value] : pending_)
        if (same_key(key, name))
            return value;
    return IniFile::load(user_file()).get(link_section, name);
}

void SettingsStore::write_link_text(std::string_view name, std::string_view text)
{
    for (auto& [key, value] : pending_) {
        if (same_key(key, name)) {
            value = text;
            return;
        }
    }
    pending_.emplace_back(std::string(name), std::string(text));
}

void SettingsStore::flush()
{
    if (pending_.empty())
        return;
    auto file = IniFile::load(user_file());
    bool changed = false;
    for (const auto& [key, value] : pending_) {
        if (file.get(link_section, key) == value)
            continue;
        changed = file.set(link_section, key, value) || changed;
    }
    pending_.clear();
    if (changed)
        file.save(user_file());
}

bool SettingsStore::write_machine_text(std::string_view name, std::string_view text, std::string_view key_path)
{
    auto file = IniFile::load(machine_file());
    return file.set(key_path, name, text) && file.save(machine_file());
}

} // namespace zr740
