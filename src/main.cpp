// zr740: the configurator of the ZR740 pressure transmitter.
//
// Until the serial link is in place the program loads the instrument's description and prints the
// parameter tree it builds from it.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/console_shell.h"
#include "app/tree_printer.h"
#include "model/c_numbers.h"
#include "model/common_params.h"
#include "platform/program_info.h"
#include "platform/settings_store.h"

#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

void usage(std::ostream& out)
{
    out << "usage: zr740 [--variant 0|1] [--version MAJOR.MINOR]\n"
           "  Loads the description file zr740.dat next to the program and prints the parameter tree.\n";
}

} // namespace

int main(int argc, char** argv)
{
    zr740::AppContext context;
    const auto description = zr740::find_data_file("zr740.dat");
    context.program_folder = description ? description->parent_path().string() : zr740::program_folder().string();
    zr740::ConsoleShell shell(std::cout, std::cerr);

    zr740::SettingsStore settings(zr740::platform_paths_from_environment());
    zr740::CommonParams common(zr740::program_version_text(), zr740::copyright_text(), zr740::os_name(), settings);
    settings.write_machine_text("devices", "ZR740", zr740::machine_key_path);
    zr740::CHLB5Doc document(context, shell);

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--variant" || arg == "--version") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (arg == "--variant") {
                context.description_variant = static_cast<std::uint8_t>(zr740::c_atol(value));
            } else {
                const auto dot = value.find('.');
                document.instrument_version.major = static_cast<int>(zr740::c_atol(value.substr(0, dot)));
                document.instrument_version.minor =
                    dot == std::string_view::npos ? 0 : static_cast<int>(zr740::c_atol(value.substr(dot + 1)));
            }
        } else if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        } else {
            usage(std::cerr);
            return 2;
        }
    }

    for (const auto& parameter : common.parameters)
        std::cout << parameter->caption << ": " << parameter->value_text << '\n';
    if (!document.on_new_document())
        return 1;
    if (document.root())
        zr740::print_tree(std::cout, *document.root());
    if (document.scanners())
        zr740::print_tree(std::cout, *document.scanners());
    return 0;
}
