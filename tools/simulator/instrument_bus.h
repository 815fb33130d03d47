#pragma once
// The instruments sharing the simulated RS-485 line. A Modbus request goes to the instrument whose
// address it carries, and that one alone answers; a broadcast acts on every instrument and none
// answers; an address nobody has stays silent. Korvel frames are served by the first instrument
// only: a Korvel master talks to one instrument per line, and the protocol's fixed address 255
// would make every instrument answer at once.
// No I/O, no timing and no locking here: the simulator serves from its own thread and guards the bus.

#include "simulator/faults.h"
#include "simulator/instrument.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace zr740::sim {

// What goes back on the line for one frame, and what the instruments do once it has left.
struct BusReply {
    std::vector<std::uint8_t> bytes;
    ReplyShape shape;   // silent: nothing goes out
    bool heard = false; // the frame was for an instrument on the line (broadcasts included)
    // Commands to carry out after the reply, by the index of the instrument that received them.
    std::vector<std::pair<std::size_t, AfterReply>> after;
};

class InstrumentBus {
public:
    // The first instrument added is the one the simulator's plain accessors show.
    void add(Instrument instrument) { instruments_.push_back(std::move(instrument)); }
    bool empty() const { return instruments_.empty(); }
    std::size_t size() const { return instruments_.size(); }
    Instrument& at(std::size_t index) { return instruments_.at(index); }
    const Instrument& at(std::size_t index) const { return instruments_.at(index); }

    // The instrument answering at this address now; null when none is. Should an apply have moved
    // two instruments to one address, the earlier one answers: on a real line both replies would
    // collide, and a garbled answer teaches a test nothing the wrong-address faults do not.
    const Instrument* find(int address) const;

    // `seconds`: time since the start, for the live values, which stay at rest unless `live`.
    // `line_baud` set: only instruments speaking that rate hear the frame; to the others it is noise.
    BusReply answer_modbus(std::span<const std::uint8_t> frame, FaultPlan& faults, double seconds, bool live,
                           std::optional<int> line_baud);
    BusReply answer_korvel(std::span<const std::uint8_t> frame, FaultPlan& faults, double seconds, bool live,
                           std::optional<int> line_baud);

private:
    std::optional<std::size_t> index_of(int address, std::optional<int> line_baud) const;

    std::vector<Instrument> instruments_;
};

} // namespace zr740::sim
