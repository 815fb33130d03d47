#include "model/common_params.h"

#include "model/model_texts.h"

#include <memory>

namespace zr740 {

CommonParams::CommonParams(std::string version_text, std::string copyright_text, std::string os_name,
                           Settings& settings)
    : InvisibleElement(std::string(texts::common_name), std::string(texts::common_name)),
      version_text_(std::move(version_text)),
      copyright_text_(std::move(copyright_text)),
      os_name_(std::move(os_name)),
      settings_(&settings)
{
    icon = fixed_icon;
    selected_icon = fixed_icon;
    CommonParams::rebuild_parameters();
}

void CommonParams::rebuild_parameters()
{
    InvisibleElement::rebuild_parameters();

    struct Row {
        std::string_view name, caption;
        const std::string& value;
    };
    const Row rows[] = {
        {" ", texts::caption_version, version_text_},
        {"  ", texts::caption_copyright, copyright_text_},
        {"   ", texts::caption_os, os_name_},
    };
    for (const auto& row : rows) {
        auto parameter = std::make_unique<Parameter>(std::string(row.name));
        parameter->caption = row.caption;
        // Shown, never edited: the value is set as it stands, without a change mark.
        parameter->set_value_text(row.value);
        append(std::move(parameter));
    }
}

bool CommonParams::record_installation(Settings& settings, std::string_view version_text)
{
    // All three are tried even when one fails, so that a partly writable record is as complete as
    // it can be.
    bool written = settings.write_machine_text("name", model_name, machine_key_path);
    written = settings.write_machine_text("version", version_text, machine_key_path) && written;
    written = settings.write_machine_text("devices", model_name, machine_key_path) && written;
    return written;
}

} // namespace zr740
