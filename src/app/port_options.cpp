#include "app/port_options.h"

#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parity.h"
#include "model/text.h"

#include <cstdint>

namespace zr740 {
namespace {

// The parity parameter's item: the text the program's link settings hold.
std::string parity_text(Parity parity)
{
    const auto items = split_items(texts::parity_items);
    return item_index(parity) < items.size() ? items[item_index(parity)] : std::string(texts::bad_parity);
}

} // namespace

std::vector<std::pair<std::string_view, std::string>> port_setting_texts(const CommandLineSettings& s, bool with_port)
{
    std::vector<std::pair<std::string_view, std::string>> values;
    if (!s.address.empty())
        values.emplace_back(network_names::address, s.address);
    if (s.address_length != 0)
        values.emplace_back(network_names::address_length, std::to_string(s.address_length));
    if (s.baud_rate != 0)
        values.emplace_back(network_names::baud_rate, std::to_string(s.baud_rate));
    if (s.data_bits != 0)
        values.emplace_back(network_names::data_bits, std::to_string(s.data_bits));
    if (!s.stop_bits.empty())
        values.emplace_back(network_names::stop_bits, s.stop_bits);
    if (s.parity)
        values.emplace_back(network_names::parity, parity_text(*s.parity));
    if (with_port) {
        if (s.port_number != 0)
            values.emplace_back(network_names::port, "COM" + std::to_string(s.port_number));
        else if (!s.port_path.empty())
            values.emplace_back(network_names::port, s.port_path);
    }
    return values;
}

} // namespace zr740
