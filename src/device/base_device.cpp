#include "device/base_device.h"

#include "device/device_document.h"
#include "device/device_texts.h"
#include "link/device.h"
#include "model/c_numbers.h"
#include "model/desc_branch.h"
#include "model/model_texts.h"
#include "model/parameter.h"
#include "model/text.h"
#include "platform/shell.h"

#include <algorithm>
#include <array>

namespace zr740::BaseDevice {
namespace {

constexpr std::array<std::string_view, 6> network_names{"0x0007", "0x0008", "0x0009", "0x000A", "0x000B", "0x000C"};
constexpr std::array<std::string_view, 3> reread_names{"0x0015", "0x0016", "0x0018"};

template <std::size_t N> bool contains_no_case(const std::array<std::string_view, N>& names, std::string_view name)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view item) { return equals_no_case(item, name); });
}

} // namespace

CBaseDevice::CBaseDevice(DeviceDocument& document) : document_(document) {}

CBaseDevice::~CBaseDevice() = default;

const RuntimeClass& CBaseDevice::runtime_class() const
{
    static constexpr RuntimeClass cls{"CBaseDevice", 0xFFFF};
    return cls;
}

void CBaseDevice::fill_inputs(IoStateWindow& window)
{
    window.set_heading(IoSection::inputs, 0, std::string(texts::io_value));
    window.set_heading(IoSection::inputs, 1, std::string(texts::io_counters));
    for (int row = 0; row < window.row_count(IoSection::inputs); ++row) {
        window.set_row_label(IoSection::inputs, row, replace_all(texts::io_counter, "%i", std::to_string(row + 1)));
        window.add_row_button(IoSection::inputs, row, std::string(texts::io_zero));
        window.add_row_button(IoSection::inputs, row, std::string(texts::io_reset));
    }
}

void CBaseDevice::fill_outputs(IoStateWindow& window)
{
    window.set_heading(IoSection::outputs, 0, std::string(texts::io_value));
    window.set_heading(IoSection::outputs, 1, std::string(texts::io_outputs));
}

void CBaseDevice::refresh_outputs(IoStateWindow& window)
{
    if (!has_outputs())
        return;
    int row = 0;
    for (std::string_view name : {"npcp", "npco", "pout"}) {
        if (row >= window.row_count(IoSection::outputs))
            break;
        DescBranch* root = document_.root();
        if (Parameter* parameter = root ? root->find_in_tree(name) : nullptr) {
            document_.link().read_registers(*parameter, false);
            window.set_row_value(IoSection::outputs, row, parameter->value_text);
        }
        ++row;
    }
}

std::string CBaseDevice::io_dialog_title() const { return std::string(texts::io_dialog_title); }

bool CBaseDevice::is_network_parameter(std::string_view parameter_name) const
{
    return contains_no_case(network_names, parameter_name);
}

bool CBaseDevice::is_reread_parameter(std::string_view parameter_name) const
{
    return contains_no_case(reread_names, parameter_name);
}

bool CBaseDevice::validate_network_settings(int, const std::string&) { return true; }

std::string CBaseDevice::status_text(int) const { return {}; }

std::optional<std::string> CBaseDevice::status_bit_name(int) const { return std::nullopt; }

int CBaseDevice::on_log_parameter(Parameter&) { return 0; }

void CBaseDevice::refresh_inputs(IoStateWindow& window)
{
    if (!has_inputs())
        return;
    DescBranch* scanners = document_.scanners();
    Parameter* bits = scanners ? scanners->find("r.cn") : nullptr;
    if (!bits)
        return;
    document_.link().read_registers(*bits, false);
    const unsigned long mask = static_cast<unsigned long>(c_atol(bits->value_text));
    for (int row = 0; row < window.row_count(IoSection::inputs); ++row) {
        const bool on = row < 32 && ((mask >> row) & 1U) != 0;
        window.set_row_value(IoSection::inputs, row, on ? "1" : "0");
    }
}

std::string CBaseDevice::format_value(float value) const { return format_fixed(value, 3); }

void CBaseDevice::initialise_device()
{
    Shell& shell = document_.shell();
    if (!document_.root()) {
        shell.message(std::string(texts::tree_undefined), std::string(texts::app_title), Icon::stop,
                      Owner::main_window);
        return;
    }
    if (!shell.ask_yes_no(std::string(texts::initialise_question), std::string(texts::app_title), Icon::warning))
        return;
    shell.set_wait_cursor(true);
    document_.initialise_all_parameters();
    shell.set_wait_cursor(false);
}

Parameter& CBaseDevice::apply_parameter(bool)
{
    if (!apply_parameter_)
        apply_parameter_ = std::make_unique<Parameter>("APLY");
    apply_parameter_->value_text.clear();
    return *apply_parameter_;
}

} // namespace zr740::BaseDevice
