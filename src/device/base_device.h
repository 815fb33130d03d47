#pragma once
// The device class: everything the generic program leaves to the instrument model it serves — the
// apply command and how it is addressed, the factory reset, which written parameters need the apply
// command or a re-read, limits that follow from other parameters, the calibration dialog. The shell
// asks the device object; it never tests the model.

#include "model/runtime_class.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zr740 {

class DeviceDocument;
class Parameter;

namespace BaseDevice {

class CBaseDevice {
public:
    explicit CBaseDevice(DeviceDocument& document);
    // Deletes the apply parameter.
    virtual ~CBaseDevice();
    CBaseDevice(const CBaseDevice&) = delete;
    CBaseDevice& operator=(const CBaseDevice&) = delete;

    // The operations below keep the order of the device interface.
    virtual const RuntimeClass& runtime_class() const;
    // The device object keeps nothing of its own in a configuration file.
    virtual void serialize() {}

    // Runs the model's calibration dialog; nothing for models without one.
    virtual void calibrate() {}
    virtual bool supports_calibration() const { return false; }
    // After the tree view has been filled and before it expands its roots.
    virtual void on_tree_built() {}

    // A written parameter of this name requires the apply command (network settings).
    virtual bool is_network_parameter(std::string_view parameter_name) const;
    // A written parameter of this name changes others: the tree should be read again.
    virtual bool is_reread_parameter(std::string_view parameter_name) const;
    // Whether the apply dialog lists the data-bits line.
    virtual bool lists_data_bits() const { return true; }
    // The model's own check of a new address and address length, after the generic one.
    virtual bool validate_network_settings(int address, const std::string& address_length);
    // Texts of sub-items of a status parameter; the bit names of a status word (none ends the list).
    virtual std::string status_text(int index) const;
    virtual std::optional<std::string> status_bit_name(int bit) const;
    // Called after a parameter named "Log" was read from a configuration file.
    virtual int on_log_parameter(Parameter& parameter);
    // Fixed three-decimal text of a float.
    virtual std::string format_value(float value) const;
    // Whether a successful batch write ends with the INIT command.
    virtual bool init_after_write() const { return false; }
    // Whether the tree view shows the scanners branch as a second root.
    virtual bool shows_scanners_branch() const { return false; }
    // The menu command "Инициализировать прибор".
    virtual void initialise_device();
    // Called at the end of a batch job that wrote a parameter of is_reread_parameter.
    virtual void on_reread_parameters_written() {}
    // Limits of parameters that follow from others; called after reads.
    virtual void update_dependent_limits() {}
    // The apply-parameters command, owned by the device object. With `broadcast` it is marked to go to
    // every instrument of the line without awaiting a reply (the link clears the mark when it sends).
    virtual Parameter& apply_parameter(bool broadcast);

protected:
    DeviceDocument& document_;
    std::unique_ptr<Parameter> apply_parameter_;
};

} // namespace BaseDevice
} // namespace zr740
