#pragma once
// Persistent settings: the program's own link settings (per user) and the installation record of the
// configurator (machine-wide). Nothing is ever reported: a missing or damaged file reads as the
// defaults, and a write that fails is simply lost.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zr740 {

// Where configuration lives, taken from the environment once at start-up.
struct PlatformPaths {
    std::filesystem::path user_config_dir;   // $XDG_CONFIG_HOME, default ~/.config
    std::filesystem::path system_config_dir; // first entry of $XDG_CONFIG_DIRS, default /etc/xdg
    std::filesystem::path user_cache_dir;    // $XDG_CACHE_HOME, default ~/.cache
    std::filesystem::path user_state_dir;    // $XDG_STATE_HOME, default ~/.local/state
};

// Looks up one environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// Relative or empty entries are ignored, as the XDG rules ask. Without $HOME the home folder comes
// from the password database.
PlatformPaths platform_paths_from(const EnvironmentLookup& lookup);
PlatformPaths platform_paths_from_environment();

class Settings {
public:
    virtual ~Settings() = default;

    // The stored integer, or `default_value` when it is absent or not an integer.
    virtual int read_link_value(std::string_view name, int default_value) = 0;
    virtual void write_link_value(std::string_view name, int value) = 0;
    virtual std::optional<std::string> read_link_text(std::string_view name) = 0;
    virtual void write_link_text(std::string_view name, std::string_view text) = 0;
    // Writes a text into the machine-wide record named by `key_path` ("Software\Korvel\Devices\ZR740").
    // False when it could not be written (an ordinary user usually may not).
    virtual bool write_machine_text(std::string_view name, std::string_view text, std::string_view key_path) = 0;
};

// Link settings in "<user config>/Korvel/ZR740.conf", section "[ZR740]"; the machine record in
// "<system config>/Korvel/ZR740.conf", one section per key path, named by the key path itself.
// Link values written are kept until flush() (or destruction) and then written in one go, and only
// when one of them differs from the file: a run that changes nothing leaves the file alone. The
// flush reads the file afresh, so other parts of the program (and other instances) that keep their
// own sections in the same file lose nothing. Machine-record writes go to the file at once.
class SettingsStore : public Settings {
public:
    explicit SettingsStore(PlatformPaths paths);
    // Flushes.
    ~SettingsStore() override;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    int read_link_value(std::string_view name, int default_value) override;
    void write_link_value(std::string_view name, int value) override;
    std::optional<std::string> read_link_text(std::string_view name) override;
    void write_link_text(std::string_view name, std::string_view text) override;
    bool write_machine_text(std::string_view name, std::string_view text, std::string_view key_path) override;
    // Writes the link values given since the last flush, when any differs from the file.
    void flush();

    std::filesystem::path user_file() const;
    std::filesystem::path machine_file() const;

    static constexpr std::string_view link_section = "ZR740";

private:
    PlatformPaths paths_;
    // Link values not yet written, in the order given.
    std::vector<std::pair<std::string, std::string>> pending_;
};

// Decimal integer with optional sign and blanks around it, within the range of int; nullopt otherwise.
std::optional<int> parse_stored_int(std::string_view text);

} // namespace zr740
