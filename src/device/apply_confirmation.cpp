#include "device/apply_confirmation.h"

#include "device/base_device.h"
#include "device/device_texts.h"
#include "link/device.h"
#include "link/transaction_texts.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parameter.h"

#include <array>
#include <chrono>
#include <thread>

namespace zr740 {
namespace {

// The pause around the broadcast, so the instrument has left the previous exchange behind.
constexpr std::chrono::milliseconds broadcast_pause{100};
// A broadcast is never answered, so nothing tells whether it arrived: sending it more than once is
// the only way to make it reliable, and a repeated apply command does no harm.
constexpr int broadcast_repeats = 3;

std::string parameter_report(std::string_view name, const std::string& status)
{
    std::string text(texts::parameter_error);
    text += " '";
    text += name;
    text += "':\n";
    text += status;
    text += '\n';
    return text;
}

} // namespace

std::string apply_settings_text(Device* link, const BaseDevice::CBaseDevice& device)
{
    if (!link)
        return std::string(texts::apply_no_context);
    if (!link->network_branch)
        return std::string(texts::apply_no_network);
    const DescBranch& network = *link->network_branch;
    std::string text;
    auto line = [&](std::string_view label, std::string_view name) {
        text += label;
        text += ": ";
        text += network.value_by_name(name);
        text += '\n';
    };
    line(texts::caption_baud, network_names::baud_rate);
    if (device.lists_data_bits())
        line(texts::caption_data_bits, network_names::data_bits);
    line(texts::caption_parity, network_names::parity);
    line(texts::caption_stop_bits, network_names::stop_bits);
    line(texts::caption_address, network_names::address);
    return text;
}

bool copy_network_values(Device& link)
{
    if (!link.network_branch)
        return false;
    static constexpr std::array<std::string_view, 6> names{network_names::baud_rate, network_names::data_bits, network_names::parity, network_names::stop_bits, network_names::address_length, network_names::address};
    for (std::string_view name : names) {
        const std::string value = link.network_branch->value_by_name(name);
        if (value != texts::no_data)
            link.link_settings().set_value_by_name(name, value);
    }
    return true;
}

int confirm_apply(BaseDevice::CBaseDevice& device, Device& link, Shell& shell, const ApplyChoices& choices)
{
    Parameter& apply = device.apply_parameter(false);
    const int written = link.read_registers(apply, true);
    const std::string apply_status = apply.status_text;

    // The box says "change the program's settings": unchecked, they stay as they are.
    if (choices.change_program_settings)
        copy_network_values(link);
    link.open_port(true);

    // Whether the instrument answers at its new settings tells the user more than the failed write.
    std::string report;
    Parameter probe("dev");
    if (link.read_registers(probe, false) != 0)
        report = parameter_report("dev", probe.status_text);

    if (choices.broadcast) {
        const int sends = choices.send_three_times ? broadcast_repeats : 1;
        for (int i = 0; i < sends; ++i) {
            std::this_thread::sleep_for(broadcast_pause);
            link.read_registers(device.apply_parameter(true), true);
        }
        std::this_thread::sleep_for(broadcast_pause);
    }

    if (written != 0) {
        // With the instrument answering, the apply write's own failure is the news.
        if (report.empty())
            report = parameter_report(apply.name, apply_status);
        shell.message(report, std::string(texts::app_title), Icon::stop, Owner::main_window);
    }
    return written;
}

} // namespace zr740
