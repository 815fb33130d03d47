#pragma once
// The ZR740 pressure transmitter as the program serves it.

#include "device/base_device.h"

#include <array>
#include <memory>

namespace zr740::BaseDevice {

class CZR740 : public CBaseDevice {
public:
    using CBaseDevice::CBaseDevice;

    const RuntimeClass& runtime_class() const override;
    void calibrate() override;
    bool supports_calibration() const override { return true; }
    bool lists_data_bits() const override { return false; }
    bool shows_scanners_branch() const override { return true; }
    // Resets the instrument to its factory values, then moves the program to the factory network
    // settings and offers to read the tree again.
    void initialise_device() override;
    void on_reread_parameters_written() override;
    // The set points and their hystereses follow the measuring range: the set points stay within
    // [lower, upper] and a hysteresis within [0, span/4].
    void update_dependent_limits() override;
    // "0x000F" written with 129.
    Parameter& apply_parameter(bool broadcast) override;

private:
    enum Limit { range_low, range_high, set_point_1, set_point_2, hysteresis_1, hysteresis_2, limit_count };
    // The parameter of the tree, looked up once; read from the instrument when it has no value yet.
    Parameter* limit_parameter(Limit which);

    std::array<Parameter*, limit_count> limits_{};
};

// The device object for a description variant: the ZR740 for variants 0 and 1, none otherwise.
std::unique_ptr<CBaseDevice> create_device(int variant, DeviceDocument& document);

} // namespace zr740::BaseDevice
