#pragma once
// What the simulated transmitter does beyond storing registers: it measures (live values in the
// scanner registers), obeys its command registers (apply, factory initialisation, the two
// calibration corrections) and keeps the network settings it currently speaks.

#include "simulator/register_bank.h"

#include <cstdint>

namespace zr740::sim {

// What a write asks of the instrument once its reply has left.
enum class AfterReply { nothing, apply, factory_reset };

class Instrument {
public:
    // Lower and upper range limit of the simulated sensor, in its pressure unit, restored by the
    // factory initialisation where the description gives no initial value.
    static constexpr float sensor_lower = 0.0f;
    static constexpr float sensor_upper = 160.0f;
    // The pressure the sensor sees drifts slowly around this value.
    static constexpr double pressure_centre = 63.0;

    // Takes the loaded bank; fills the sensor range where the description leaves it empty and
    // records that as the factory state. The network settings become what the registers hold.
    explicit Instrument(RegisterBank bank);

    RegisterBank& bank() { return bank_; }
    const RegisterBank& bank() const { return bank_; }

    // The settings the instrument answers with now (changed only by apply and factory reset).
    const NetworkSettings& network() const { return network_; }
    // Sets the network registers to these values as the program would write them and moves to
    // them at once (start-up overrides). False when a value does not encode.
    bool start_with(const NetworkSettings& settings);

    // Recomputes the scanner registers for the time since start, in seconds. With `live` false
    // the measured pressure stays at its centre value.
    void refresh(double seconds, bool live = true);

    // Reacts to registers just written: the calibration corrections act at once, the apply and
    // factory commands are returned to be carried out after the reply.
    AfterReply on_written(std::uint16_t first, std::uint16_t count);
    void carry_out(AfterReply action);

private:
    double pressure_now() const;

    RegisterBank bank_;
    NetworkSettings network_;
    double sensor_pressure_ = pressure_centre; // before calibration, at the last refresh
    double gain_ = 1.0;                         // calibration: shown = gain * sensor + offset
    double offset_ = 0.0;
};

} // namespace zr740::sim
