#include "model/net_rs485prg.h"

#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parity.h"
#include "model/text.h"
#include "model/value_types.h"
#include "platform/serial_ports.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <memory>
#include <optional>

namespace zr740 {

namespace {

// Names of the stored values.
constexpr std::string_view key_address = "address";
constexpr std::string_view key_address_length = "address_length";
constexpr std::string_view key_baud_rate = "baud_rate";
constexpr std::string_view key_byte_size = "byte_size";
constexpr std::string_view key_stop_bits = "stop_bits";
constexpr std::string_view key_parity = "parity_scheme";
constexpr std::string_view key_port_number = "port_number";
// A number cannot name /dev/ttyUSB0, so the port text itself is kept as well; it wins when present.
constexpr std::string_view key_port_name = "port_name";
constexpr std::string_view key_network_latency = "network_latency";


int clamp_to_int(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// sscanf "%d": blanks, an optional sign, at least one digit.
std::optional<int> read_decimal(std::string_view text)
{
    while (!text.empty() && is_c_space(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    long long value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range)
        value = LLONG_MAX;
    return clamp_to_int(negative ? -value : value);
}

} // namespace

NetRS485prg::NetRS485prg(Settings& settings, std::vector<std::string> serial_ports)
    : NetRS485(std::string(texts::net_program_name), fixed_icon),
      settings_(settings),
      serial_ports_(std::move(serial_ports))
{
    // The base has made the network parameters already.
    load();
}

NetRS485prg::~NetRS485prg()
{
    try {
        save();
    } catch (...) {
        // Settings that cannot be saved are lost, as a failed write always is.
    }
}

void NetRS485prg::rebuild_parameters()
{
    NetRS485::rebuild_parameters();
    load();
}

void NetRS485prg::load()
{
    network_latency_ =
        std::clamp(settings_.read_link_value(key_network_latency, default_network_latency), 0, 10000);
    set_value_by_name(network_names::address, std::to_string(settings_.read_link_value(key_address, 16)));
    set_value_by_name(network_names::baud_rate, std::to_string(settings_.read_link_value(key_baud_rate, 9600)));
    set_value_by_name(network_names::data_bits, std::to_string(settings_.read_link_value(key_byte_size, 8)));
    set_value_by_name(network_names::stop_bits, std::to_string(settings_.read_link_value(key_stop_bits, 1)));

    const auto* parity = find(network_names::parity);
    if (!parity)
        return;
    const auto stored = parity_of_line_code(settings_.read_link_value(key_parity, line_code(Parity::none)));
    const auto items = split_items(parity->type_text);
    std::string parity_text(texts::bad_parity);
    if (stored && item_index(*stored) < items.size())
        parity_text = items[item_index(*stored)];
    set_value_by_name(network_names::parity, parity_text);

    auto port = std::make_unique<Parameter>(std::string(network_names::port));
    port->caption = texts::caption_port;
    port->exchangeable = 1;
    port->attribute_mode = 0;
    port->type_text = join_port_list(serial_ports_);
    append(std::move(port));
    auto port_text = settings_.read_link_text(key_port_name);
    if (!port_text || port_text->empty())
        port_text = "COM" + std::to_string(settings_.read_link_value(key_port_number, 1));
    set_value_by_name(network_names::port, *port_text);

    auto protocol = std::make_unique<Parameter>(std::string(network_names::link_protocol));
    protocol->caption = texts::caption_protocol;
    protocol->exchangeable = 1;
    protocol->type_text = texts::protocol_modbus_rtu;
    protocol->init_text = texts::protocol_modbus_rtu;
    append(std::move(protocol));
    set_value_by_name(network_names::link_protocol, std::string(texts::protocol_modbus_rtu));

    for (auto& parameter : parameters) {
        parameter->clear_changed();
        parameter->attribute_mode = 0;
    }
}

void NetRS485prg::save()
{
    settings_.write_link_value(key_address, read_setting_number(value_by_name(network_names::address)));
    // The address length comes from a parameter that others add to this element; without it the
    // value is that of "Нет данных", 0.
    settings_.write_link_value(key_address_length, read_setting_number(value_by_name(network_names::address_length)));
    settings_.write_link_value(key_baud_rate, read_setting_number(value_by_name(network_names::baud_rate)));
    settings_.write_link_value(key_byte_size, read_setting_number(value_by_name(network_names::data_bits)));
    settings_.write_link_value(key_stop_bits, read_setting_number(value_by_name(network_names::stop_bits)));

    const auto* parity = find(network_names::parity);
    if (!parity)
        return;
    // A parity text that matches no item (a stored code that was not recognised) leaves the stored
    // code as it was.
    const auto items = split_items(parity->type_text);
    for (std::size_t i = 0; i < parity_item_count && i < items.size(); ++i) {
        if (parity->value_text == items[i]) {
            settings_.write_link_value(key_parity, line_code(parity_of_item(i)));
            break;
        }
    }

    const auto* port = find(network_names::port);
    if (!port)
        return;
    if (auto number = read_decimal(replace_all(port->value_text, "COM", "")))
        settings_.write_link_value(key_port_number, *number);
    settings_.write_link_text(key_port_name, port->value_text);
}

} // namespace zr740
