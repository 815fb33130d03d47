#include "device/base_device.h"

#include "device/device_document.h"
#include "device/device_texts.h"
#include "link/device.h"
#include "model/c_numbers.h"
#include "model/desc_branch.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"
#include "platform/shell.h"

#include <algorithm>
#include <array>

namespace zr740::BaseDevice {
namespace {

constexpr std::array<std::string_view, 6> network_parameters{network_names::address,   network_names::protocol,
                                                              network_names::baud_rate, network_names::data_bits,
                                                              network_names::stop_bits, network_names::parity};
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

bool CBaseDevice::is_network_parameter(std::string_view parameter_name) const
{
    return contains_no_case(network_parameters, parameter_name);
}

bool CBaseDevice::is_reread_parameter(std::string_view parameter_name) const
{
    return contains_no_case(reread_names, parameter_name);
}

bool CBaseDevice::validate_network_settings(int, const std::string&) { return true; }

std::string CBaseDevice::status_text(int) const { return {}; }

std::optional<std::string> CBaseDevice::status_bit_name(int) const { return std::nullopt; }

int CBaseDevice::on_log_parameter(Parameter&) { return 0; }

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
