#include "simulator/instrument.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace zr740::sim {
namespace {

// Measurement registers of the scanners branch.
constexpr std::uint16_t pressure_register = 0x0100;
constexpr std::uint16_t current_register = 0x0102;
constexpr std::uint16_t temperature_register = 0x0104;
constexpr std::uint16_t status_register = 0x0106;
constexpr std::uint16_t percent_register = 0x0108;
// Configuration the measurement depends on.
constexpr std::uint16_t lower_limit_register = 0x001A;
constexpr std::uint16_t upper_limit_register = 0x001C;
constexpr std::uint16_t characteristic_register = 0x001E;
constexpr std::uint16_t output_mode_register = 0x0021;
constexpr std::uint16_t fixed_current_register = 0x0022;

// Status word bits.
constexpr std::uint16_t above_range = 0x0001;
constexpr std::uint16_t below_range = 0x0002;
constexpr std::uint16_t current_fixed = 0x0004;

bool contains(const std::optional<std::string>& text, std::string_view part)
{
    return text && text->find(part) != std::string::npos;
}

bool covers(std::uint16_t first, std::uint16_t count, std::uint16_t number)
{
    return number >= first && number < first + count;
}

} // namespace

Instrument::Instrument(RegisterBank bank) : bank_(std::move(bank))
{
    // The range limits belong to the sensor; an instrument never leaves them at zero.
    const auto lower = bank_.get_float(lower_limit_register);
    const auto upper = bank_.get_float(upper_limit_register);
    if (lower && upper && *lower == 0.0f && *upper == 0.0f) {
        bank_.set_float(lower_limit_register, sensor_lower);
        bank_.set_float(upper_limit_register, sensor_upper);
    }
    bank_.capture_factory();
    network_ = bank_.network(NetworkSettings{});
}

bool Instrument::start_with(const NetworkSettings& settings)
{
    const bool encoded = bank_.write_value(reg::address, std::to_string(settings.address)) &&
                          bank_.write_value(reg::baud, std::to_string(settings.baud));
    if (!encoded)
        return false;
    network_ = bank_.network(network_);
    return network_.address == settings.address && network_.baud == settings.baud;
}

double Instrument::pressure_now() const { return gain_ * sensor_pressure_ + offset_; }

void Instrument::refresh(double seconds, bool live)
{
    constexpr double two_pi = 2.0 * std::numbers::pi;
    sensor_pressure_ = pressure_centre;
    double temperature = 24.0;
    if (live) {
        sensor_pressure_ += 1.5 * std::sin(two_pi * seconds / 20.0) + 0.25 * std::sin(two_pi * seconds / 3.7);
        temperature += 1.5 * std::sin(two_pi * seconds / 180.0);
    }
    const double pressure = pressure_now();
    const double lower = bank_.get_float(lower_limit_register).value_or(sensor_lower);
    const double upper = bank_.get_float(upper_limit_register).value_or(sensor_upper);
    const double fraction = upper != lower ? (pressure - lower) / (upper - lower) : 0.0;

    std::uint16_t status = 0;
    if (pressure > std::max(lower, upper))
        status |= above_range;
    if (pressure < std::min(lower, upper))
        status |= below_range;

    double current = 0.0;
    if (contains(bank_.read_value(output_mode_register), "Фиксированный")) {
        current = bank_.get_float(fixed_current_register).value_or(4.0f);
        status |= current_fixed;
    } else {
        const auto characteristic = bank_.read_value(characteristic_register);
        if (contains(characteristic, "убывающая"))
            current = 20.0 - 16.0 * fraction;
        else if (contains(characteristic, "Корнеизвлекающая"))
            current = 4.0 + 16.0 * std::sqrt(std::max(fraction, 0.0));
        else
            current = 4.0 + 16.0 * fraction;
        current = std::clamp(current, 3.8, 20.5); // the output saturates outside the range
    }

    bank_.set_float(pressure_register, static_cast<float>(pressure));
    bank_.set_float(current_register, static_cast<float>(current));
    bank_.set_float(temperature_register, static_cast<float>(temperature));
    bank_.set(status_register, status);
    bank_.set_float(percent_register, static_cast<float>(100.0 * fraction));
}

AfterReply Instrument::on_written(std::uint16_t first, std::uint16_t count)
{
    // A correction acts once both of its registers have arrived in one write.
    const auto whole = [&](std::uint16_t number) {
        return covers(first, count, number) && covers(first, count, static_cast<std::uint16_t>(number + 1));
    };
    if (whole(reg::offset_correction)) {
        // The indication is to read the value entered.
        const double wanted = bank_.get_float(reg::offset_correction).value_or(0.0f);
        offset_ = wanted - gain_ * sensor_pressure_;
    }
    if (whole(reg::range_correction) && sensor_pressure_ != 0.0) {
        // The reference pressure applied now is to read the value entered.
        const double reference = bank_.get_float(reg::range_correction).value_or(0.0f);
        gain_ = (reference - offset_) / sensor_pressure_;
    }
    if (covers(first, count, reg::factory) && bank_.get(reg::factory) == factory_command)
        return AfterReply::factory_reset;
    if (covers(first, count, reg::apply) && bank_.get(reg::apply) == apply_command)
        return AfterReply::apply;
    return AfterReply::nothing;
}

void Instrument::carry_out(AfterReply action)
{
    switch (action) {
    case AfterReply::nothing:
        return;
    case AfterReply::apply:
        network_ = bank_.network(network_);
        bank_.set(reg::apply, 0);
        return;
    case AfterReply::factory_reset:
        // Calibration belongs to the sensor and survives; configuration does not.
        bank_.reset_to_factory();
        network_ = bank_.network(NetworkSettings{});
        return;
    }
}

} // namespace zr740::sim
