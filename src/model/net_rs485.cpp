#include "model/net_rs485.h"

#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/text.h"

#include <memory>

namespace zr740 {

NetRS485::NetRS485() : NetRS485(std::string(texts::net_device_name), fixed_icon) {}

NetRS485::NetRS485(std::string element_name, int icon_index)
    : InvisibleElement(std::move(element_name), std::string(texts::net_type_name))
{
    icon = icon_index;
    selected_icon = icon_index;
    NetRS485::rebuild_parameters();
}

void NetRS485::rebuild_parameters()
{
    InvisibleElement::rebuild_parameters();

    struct Row {
        std::string_view name, caption, type_text, init_text;
    };
    const auto parity_none = split_items(texts::parity_items).front();
    const Row rows[] = {
        {network_names::baud_rate, texts::caption_baud, texts::baud_items, "9600"},
        {network_names::data_bits, texts::caption_data_bits, texts::data_bits_items, "8"},
        {network_names::parity, texts::caption_parity, texts::parity_items, parity_none},
        {network_names::stop_bits, texts::caption_stop_bits, texts::stop_bits_items, "1"},
        {network_names::address, texts::caption_address, "int", "16"},
    };
    for (const auto& row : rows) {
        auto parameter = std::make_unique<Parameter>(std::string(row.name));
        parameter->caption = row.caption;
        parameter->type_text = row.type_text;
        parameter->init_text = row.init_text;
        // Each of them is one holding register of the instrument.
        parameter->register_count = 1;
        append(std::move(parameter));
    }
}

} // namespace zr740
