#include "app/scan_command.h"

#include "app/scan_texts.h"
#include "link/device_io.h"
#include "model/net_rs485prg.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"

#include <charconv>
#include <ostream>

namespace zr740 {
namespace {

constexpr int exit_found = 0;
constexpr int exit_port = 201;
constexpr int exit_none = 202;
constexpr int exit_stopped = 205;

bool to_int(std::string_view text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string fill(std::string_view pattern, std::string_view value)
{
    return replace_all(pattern, "%s", value);
}

} // namespace

bool parse_scan_command(const std::vector<std::string>& arguments, ScanCommand& command, std::string& error)
{
    command = {};
    std::size_t at = 0;
    if (at < arguments.size() && arguments[at] == "--scan")
        ++at;
    if (at >= arguments.size() || arguments[at].rfind("--", 0) == 0) {
        error = std::string(texts::scan_usage);
        return false;
    }
    command.port = arguments[at++];
    for (; at < arguments.size(); ++at) {
        const std::string& option = arguments[at];
        const bool has_value = at + 1 < arguments.size();
        if (option == "--address" && has_value) {
            const std::string& range = arguments[++at];
            const auto dash = range.find('-');
            int first = 0;
            int last = 0;
            const bool parsed = dash == std::string::npos
                                    ? to_int(range, first) && to_int(range, last)
                                    : to_int(std::string_view(range).substr(0, dash), first) &&
                                          to_int(std::string_view(range).substr(dash + 1), last);
            if (!parsed || first < 1 || last > 247 || first > last) {
                error = fill(texts::scan_bad_addresses, range);
                return false;
            }
            command.first_address = first;
            command.last_address = last;
        } else if (option == "--baud" && has_value) {
            const std::string& list = arguments[++at];
            command.baud_rates.clear();
            for (const auto& item : split_items(list, ',')) {
                int rate = 0;
                if (!to_int(item, rate) || rate < 1200 || rate > 115200) {
                    error = fill(texts::scan_bad_rates, list);
                    return false;
                }
                command.baud_rates.push_back(rate);
            }
            if (command.baud_rates.empty()) {
                error = fill(texts::scan_bad_rates, list);
                return false;
            }
        } else {
            error = fill(texts::scan_bad_option, option) + "\n" + std::string(texts::scan_usage);
            return false;
        }
    }
    return true;
}

int run_scan_command(const ScanCommand& command, DeviceIO& link, LineScan& scan, std::ostream& out, std::ostream& err)
{
    auto& settings = link.link_settings();
    settings.set_value_by_name(network_names::port, command.port);
    LineScanOptions options;
    options.first_address = command.first_address;
    options.last_address = command.last_address;
    options.baud_rates = command.baud_rates.empty() ? LineScan::offered_rates(settings.find(network_names::baud_rate))
                                                    : command.baud_rates;
    link.load_link_settings();

    out << found_instruments_header() << '\n' << std::flush;
    int count = 0;
    const auto outcome = scan.run(
        options,
        [&](const FoundInstrument& found) {
            out << found_instrument_line(found) << '\n' << std::flush;
            ++count;
        },
        nullptr);
    if (outcome == LineScan::Outcome::port_failed) {
        err << replace_all(replace_all(texts::scan_port_failed, "%p", command.port), "%s", scan.port_error()) << '\n';
        return exit_port;
    }
    if (outcome == LineScan::Outcome::stopped)
        return exit_stopped;
    if (count == 0)
        err << texts::scan_none_found << '\n';
    return count > 0 ? exit_found : exit_none;
}

} // namespace zr740
