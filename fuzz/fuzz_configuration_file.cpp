// Opens arbitrary bytes as a configuration file into a document with the shipped description: no
// input may crash, hang, read out of bounds or leave the document without a complete tree.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

namespace {

class NullShell : public zr740::Shell {
public:
    void message(const std::string&, const std::string&, zr740::Icon, zr740::Owner) override {}
    bool ask_yes_no(const std::string&, const std::string&, zr740::Icon) override { return false; }
    void set_wait_cursor(bool) override {}
};

class NullSettings : public zr740::Settings {
public:
    int read_link_value(std::string_view, int fallback) override { return fallback; }
    void write_link_value(std::string_view, int) override {}
    std::optional<std::string> read_link_text(std::string_view) override { return std::nullopt; }
    void write_link_text(std::string_view, std::string_view) override {}
    bool write_machine_text(std::string_view, std::string_view, std::string_view) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static zr740::AppContext context;
    context.program_folder = std::string(ZR740_BINARY_DIR) + "/bin";
    static NullShell shell;
    static NullSettings settings;
    static zr740::CHLB5Doc document(context, shell, settings, {});
    static const bool loaded = document.on_new_document();
    if (!loaded)
        std::abort();

    context.run.description_variant = 0;
    zr740::load_document(document, std::span(data, size));
    if (!document.root() || !document.device())
        std::abort();
    // What was loaded stores again.
    const auto stored = zr740::store_document(document);
    if (stored.size() < 15)
        std::abort();
    return 0;
}
