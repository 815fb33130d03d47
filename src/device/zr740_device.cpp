#include "device/zr740_device.h"

#include "device/calibration.h"
#include "device/device_document.h"
#include "device/device_texts.h"
#include "link/device.h"
#include "link/transaction_texts.h"
#include "model/c_numbers.h"
#include "model/desc_branch.h"
#include "model/model_texts.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "platform/shell.h"

namespace zr740::BaseDevice {
namespace {

// Out of line on purpose: GCC 12 at -O2 vectorises two neighbouring double-to-float conversions
// and then stores the unrounded doubles, losing the rounding this code exists for.
[[gnu::noinline]] float to_single(double value) { return static_cast<float>(value); }

constexpr std::array<std::string_view, 6> limit_names{"0x001A", "0x001C", "0x0026", "0x0028", "0x002A", "0x002C"};

} // namespace

const RuntimeClass& CZR740::runtime_class() const
{
    static constexpr RuntimeClass cls{"CZR740", 0xFFFF};
    return cls;
}

void CZR740::calibrate()
{
    Device& link = document_.link();
    Shell& shell = document_.shell();
    document_.calibration_dialog([&link, &shell](bool range, const std::string& typed) {
        apply_correction(link, shell, range ? Correction::range : Correction::offset, typed);
    });
}

Parameter* CZR740::limit_parameter(Limit which)
{
    Parameter*& cached = limits_[which];
    if (cached)
        return cached;
    // The parameters sit in the branches below the root, so the lookup walks the whole tree.
    DescBranch* root = document_.root();
    cached = root ? root->find_in_tree(limit_names[which]) : nullptr;
    if (cached && cached->value_text == texts::no_data)
        document_.link().read_registers(*cached, false);
    return cached;
}

void CZR740::update_dependent_limits()
{
    std::array<Parameter*, limit_count> p{};
    for (int which = 0; which < limit_count; ++which) {
        p[which] = limit_parameter(static_cast<Limit>(which));
        if (!p[which])
            return;
    }
    // The instrument keeps these values in single precision; the limits must round the same way.
    const float lo = to_single(c_atof(p[range_low]->value_text));
    const float hi = to_single(c_atof(p[range_high]->value_text));
    const float span = hi - lo;
    const double quarter = static_cast<double>(span) * 0.25;
    for (Limit which : {set_point_1, set_point_2}) {
        p[which]->max = hi;
        p[which]->min = lo;
    }
    for (Limit which : {hysteresis_1, hysteresis_2}) {
        p[which]->max = quarter;
        p[which]->min = 0.0;
    }
}

void CZR740::initialise_device()
{
    Device& link = document_.link();
    Shell& shell = document_.shell();

    // The factory command is the value 1 in register 0x0020 (request data 0x00 0x20 0x00 0x01).
    Parameter reset("0x0020");
    reset.value_text = "1";
    reset.type_text = "int16";
    reset.register_number = 0x0020;
    reset.register_count = 1;
    // The instrument resets itself before it answers, so an undecodable reply still means success.
    if (link.read_registers(reset, true) != 0 && reset.status_text != texts::cannot_decode) {
        shell.message(reset.status_text, std::string(texts::reset_failed_caption), Icon::warning, Owner::main_window);
        return;
    }

    NetRS485prg& settings = link.link_settings();
    settings.set_value_by_name(network_names::address, "16");
    settings.set_value_by_name(network_names::baud_rate, "9600");
    settings.set_value_by_name(network_names::data_bits, "8");
    settings.set_value_by_name(network_names::stop_bits, "1");
    if (const Parameter* parity = settings.find(network_names::parity))
        settings.set_value_by_name(network_names::parity, parity->item_text(0));
    settings.set_value_by_name(network_names::link_protocol, std::string(texts::protocol_modbus_rtu));
    link.open_port(true);

    if (shell.ask_yes_no(std::string(texts::reset_done), std::string(texts::app_title), Icon::information))
        document_.read_all_later();
}

void CZR740::on_reread_parameters_written()
{
    update_dependent_limits();
    Shell& shell = document_.shell();
    if (shell.ask_yes_no(std::string(texts::reread_question), std::string(texts::app_title), Icon::information))
        document_.read_all_later();
}

Parameter& CZR740::apply_parameter(bool broadcast)
{
    if (!apply_parameter_) {
        apply_parameter_ = std::make_unique<Parameter>("0x000F");
        apply_parameter_->type_text = "int";
    }
    Parameter& parameter = *apply_parameter_;
    parameter.value_text = "129";
    parameter.register_number = 0x000F;
    parameter.register_count = 1;
    if (broadcast)
        parameter.scanner_channel = 255;
    return parameter;
}

std::unique_ptr<CBaseDevice> create_device(int variant, DeviceDocument& document)
{
    if (variant == 0 || variant == 1)
        return std::make_unique<CZR740>(document);
    return nullptr;
}

} // namespace zr740::BaseDevice
