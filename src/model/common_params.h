#pragma once
// The program's service parameters shown in the tree: its version, its legal notice and the
// operating system, and the installation record of the configurator in the machine-wide settings.

#include "model/invisible_element.h"
#include "platform/settings_store.h"

#include <string>
#include <string_view>

namespace zr740 {

// Where the installation record lives and what it names.
inline constexpr std::string_view machine_key_path = "Software\\Korvel\\Devices\\ZR740";
inline constexpr std::string_view model_name = "ZR740";

class CommonParams : public InvisibleElement {
public:
    // `version_text` is the dotted version ("1.0.0.1"). `settings` is used during construction only.
    CommonParams(std::string version_text, std::string copyright_text, std::string os_name, Settings& settings);
    CommonParams(const CommonParams&) = default;

    // Creates the three parameters (named by one, two and three blanks) with their values.
    void rebuild_parameters() override;

    // Writes "name", "version" and "devices" into the machine-wide record. Done once, when the
    // program is installed, not at every start: an unattended line runs the program hundreds of
    // times a day, and the record never changes between installations. False when a value could
    // not be written (an ordinary user usually may not).
    static bool record_installation(Settings& settings, std::string_view version_text);

    const std::string& version_text() const { return version_text_; }

    static constexpr int fixed_icon = 20;

private:
    std::string version_text_;
    std::string copyright_text_;
    std::string os_name_;
    Settings* settings_;
};

} // namespace zr740
