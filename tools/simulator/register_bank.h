#pragma once
// The simulated instrument's holding registers. Which registers exist, their widths and their
// factory contents all come from the same description file the configurator loads, so the
// simulator never disagrees with the program about what a register holds or how a value is laid
// out on the wire.

#include "model/parameter.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace zr740 {
class Shell;
}

namespace zr740::sim {

// The settings the instrument speaks on its RS-485 line. `parity` is the item number of the
// parity list: 0 none, 1 even, 2 odd.
struct NetworkSettings {
    int address = 16;
    int baud = 9600;
    int data_bits = 8;
    int stop_bits = 1;
    int parity = 0;
    bool operator==(const NetworkSettings&) const = default;
};

// One character on the line: start bit, data bits, parity bit, stop bits.
std::chrono::nanoseconds character_time(const NetworkSettings& settings);

// Registers of the network settings and of the instrument's commands.
namespace reg {
inline constexpr std::uint16_t name = 0x0000;        // 4 registers of identification text
inline constexpr std::uint16_t version = 0x0004;     // 3 registers of firmware version text
inline constexpr std::uint16_t address = 0x0007;
inline constexpr std::uint16_t protocol = 0x0008;
inline constexpr std::uint16_t baud = 0x0009;
inline constexpr std::uint16_t data_bits = 0x000A;
inline constexpr std::uint16_t stop_bits = 0x000B;
inline constexpr std::uint16_t parity = 0x000C;
inline constexpr std::uint16_t apply = 0x000F;       // 129: move to the network values written
inline constexpr std::uint16_t factory = 0x0020;     // 1: factory initialisation
inline constexpr std::uint16_t offset_correction = 0x0034; // float, 2 registers
inline constexpr std::uint16_t range_correction = 0x0036;  // float, 2 registers
inline constexpr std::uint16_t serial = 0x0040;      // 4 registers of serial-number text
} // namespace reg

inline constexpr std::uint16_t apply_command = 129;
inline constexpr std::uint16_t factory_command = 1;

class RegisterBank {
public:
    // Loads the description variant for the given firmware version text (its "#if ver" blocks are
    // decided by it) and builds the bank: every exchanged parameter of the tree and of the
    // scanners branch, the identification registers and the write-only command registers.
    // Initial values come from the description's init lines, placed exactly as the program's
    // write of that value would place them. False with the reason in `error` when the file holds
    // no usable description.
    bool load(const std::string& path, int variant, const std::string& firmware, Shell& shell, std::string& error);

    // Whether every register of the run can be read (described) or written (described and not
    // identification, or a command register).
    bool readable(std::uint16_t first, std::uint16_t count) const;
    bool writable(std::uint16_t first, std::uint16_t count) const;

    // The register's content; nullopt for a register the bank does not hold.
    std::optional<std::uint16_t> get(std::uint16_t number) const;
    // Stores into a held register; a register the bank does not hold is left alone.
    void set(std::uint16_t number, std::uint16_t value);
    // A float across two registers, high half first (the value type's byte order).
    void set_float(std::uint16_t number, float value);
    std::optional<float> get_float(std::uint16_t number) const;

    // Register count of the described parameter that starts at this register.
    std::optional<std::uint8_t> parameter_at(std::uint16_t first) const;
    // Scanner-branch registers: live values the instrument measures.
    bool is_live(std::uint16_t number) const { return live_.contains(number); }

    // The value text of the parameter starting at `first` as the program decodes a read of it.
    std::optional<std::string> read_value(std::uint16_t first) const;
    // Stores a value text the way the program's write of it arrives (encoded by the parameter's
    // type, placed as the write request carries it). False when no parameter starts there or the text does
    // not encode.
    bool write_value(std::uint16_t first, const std::string& text);
    // Stores a text into the text parameter starting at `first` as the instrument holds it: the
    // last character first, cut or padded with NULs to the parameter's length. This is how the
    // maker fills the read-only texts (the serial number), which the program never writes. False
    // when no text parameter starts there.
    bool store_text(std::uint16_t first, const std::string& text);

    // The network settings the registers hold; a field whose register is missing or does not
    // decode to a usable value keeps its value from `current`.
    NetworkSettings network(const NetworkSettings& current) const;

    // Every register back to its factory content (identification and commands included).
    void reset_to_factory();
    // The factory contents become the present ones (after start-up overrides).
    void capture_factory();

private:
    void add_parameter(const Parameter& parameter);
    void place_write(std::uint16_t first, std::uint8_t count, const std::array<std::uint8_t, 4>& raw, int length);
    void place_factory(std::uint16_t first, std::uint8_t count, const std::array<std::uint8_t, 4>& raw, int length);
    void set_identification(int variant, const std::string& firmware);

    std::map<std::uint16_t, std::uint16_t> values_;
    std::map<std::uint16_t, std::uint16_t> factory_;
    std::map<std::uint16_t, Parameter> parameters_; // by first register
    std::set<std::uint16_t> read_only_;
    std::set<std::uint16_t> write_only_;
    std::set<std::uint16_t> live_;
};

} // namespace zr740::sim
