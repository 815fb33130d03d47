// zr740: the configurator of the ZR740 pressure transmitter.
//
// Until the unattended command line is in place the program either prints the parameter tree of the
// description, or, given a port, identifies the instrument there and reads every parameter once.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/console_shell.h"
#include "app/exit_code.h"
#include "app/tree_printer.h"
#include "model/c_numbers.h"
#include "model/common_params.h"
#include "platform/program_info.h"
#include "platform/serial_ports.h"
#include "platform/settings_store.h"

#include <filesystem>
#include <iostream>
#include <mutex>
#include <string_view>

namespace {

void usage(std::ostream& out)
{
    out << "usage: zr740 [--variant 0|1] [--version MAJOR.MINOR]\n"
           "       zr740 --port DEVICE\n"
           "  Without a port: loads the description file zr740.dat next to the program and prints the\n"
           "  parameter tree. With a port (a device path, or COMn for /dev/ttyS(n-1)): identifies the\n"
           "  instrument there, loads its description and reads every parameter once.\n"
           "  Exit code: 0, or 200 + the number of the lowest failure bit (see README).\n";
}

void print_parameter(const zr740::Parameter& parameter)
{
    std::cout << "  " << parameter.name << "  " << parameter.caption << " = " << parameter.value_text;
    if (!parameter.status_text.empty())
        std::cout << "  [" << parameter.status_text << "]";
    std::cout << '\n';
}

int read_instrument(zr740::CHLB5Doc& document, zr740::AppContext& context, const std::string& port)
{
    auto& link = document.link();
    context.run.started_with_options = false;
    link.link_settings().set_value_by_name("Port", port);
    if (!link.check_link()) {
        std::cerr << "Прибор не найден на " << port << '\n';
        return zr740::exit_code(context.run.exit_status ? context.run.exit_status.load() : zr740::exit_bits::no_reply);
    }
    std::cout << "Прибор найден, версия ПО " << link.instrument_version.major << '.' << link.instrument_version.minor
              << '\n';
    if (!document.on_new_document())
        return 1;
    std::lock_guard lock(link.port_lock());
    if (!link.sio().is_open() && link.open_port(true) != 0)
        return zr740::exit_code(context.run.exit_status);
    for (auto* tree : {document.root(), document.scanners()}) {
        if (!tree)
            continue;
        tree->for_each_branch([&](zr740::DescBranch& branch) {
            std::cout << branch.name << '\n';
            for (auto& parameter : branch.parameters) {
                if (parameter->exchangeable)
                    link.read_registers(*parameter, false);
                print_parameter(*parameter);
            }
        });
    }
    return zr740::exit_code(context.run.exit_status);
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
    zr740::CHLB5Doc document(context, shell, settings, zr740::list_serial_ports());

    std::string port;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--variant" || arg == "--version" || arg == "--port") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (arg == "--port") {
                port = value;
            } else if (arg == "--variant") {
                context.run.description_variant = static_cast<std::uint8_t>(zr740::c_atol(value));
            } else {
                const auto dot = value.find('.');
                document.link().instrument_version.major = static_cast<int>(zr740::c_atol(value.substr(0, dot)));
                document.link().instrument_version.minor =
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
    if (!port.empty())
        return read_instrument(document, context, port);
    if (!document.on_new_document())
        return 1;
    if (document.root())
        zr740::print_tree(std::cout, *document.root());
    if (document.scanners())
        zr740::print_tree(std::cout, *document.scanners());
    return 0;
}
