#pragma once
// Faults the simulated instrument can be told to commit, each for the next N requests or for
// every request, and each for every register or only for requests touching one register: no reply,
// a delayed reply, a corrupted CRC, a reply from another address, an exception for a chosen
// register, a reply split into pieces with gaps, garbage instead of a reply; and what real lines
// do: an adapter's local echo of the request, a glitch byte after the turnaround, a stray byte
// after the reply, a reply with fewer registers than asked, a reply after the master's time-out
// from a slave that hears nothing while busy, and a reply sent twice.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740::sim {

enum class FaultKind {
    no_reply,
    delay,
    bad_crc,
    wrong_address,
    exception,
    split,
    garbage,
    echo,        // the request comes back first, as from an adapter with local echo
    glitch,      // one byte on the line after the turnaround, before the reply
    stray,       // one byte after the reply (after `delay`): it reaches the master before the next reply
    short_reply, // a read answered with one register fewer than asked
    late,        // the reply after `delay`; requests heard meanwhile are dropped unless `queue`
    duplicate,   // the reply twice, back to back
    stuck,       // a write to the register is acknowledged, but the register keeps its old value
};

struct Fault {
    FaultKind kind = FaultKind::no_reply;
    // Requests the fault applies to; negative: every request. An exception fault counts only the
    // requests that touch its register.
    int times = -1;
    std::chrono::milliseconds delay{0}; // delay: before the reply; split: the gap between pieces
    std::size_t piece = 1;              // split: bytes per piece
    std::size_t length = 64;            // garbage: bytes sent instead of the reply
    std::uint8_t address = 0;           // wrong_address: the address answered from; 0: own + 1
    std::uint16_t register_number = 0;  // exception, stuck: the register that triggers it
    std::uint8_t code = 4;              // exception: Modbus exception code / Korvel error code
    std::uint8_t byte = 0xFF;           // glitch, stray: the byte
    bool queue = false;                 // late: requests heard while busy are answered afterwards
    // Only requests touching this register count and suffer; none: every request.
    std::optional<std::uint16_t> target;

    static Fault no_reply(int times = 1);
    static Fault delayed(std::chrono::milliseconds delay, int times = 1);
    static Fault bad_crc(int times = 1);
    static Fault wrong_address(std::uint8_t address = 0, int times = 1);
    static Fault exception(std::uint16_t register_number, std::uint8_t code, int times = 1);
    static Fault split(std::size_t piece, std::chrono::milliseconds gap, int times = 1);
    static Fault garbage(std::size_t length, int times = 1);
    static Fault echo(int times = 1);
    static Fault glitch(std::uint8_t byte = 0xFF, int times = 1);
    static Fault stray(std::uint8_t byte = 0xFF, std::chrono::milliseconds after = {}, int times = 1);
    static Fault short_reply(int times = 1);
    static Fault late(std::chrono::milliseconds delay, bool queue = false, int times = 1);
    static Fault duplicate(int times = 1);
    // Writes touching register `number` are acknowledged and leave it as it was. Only requests
    // touching the register count.
    static Fault stuck(std::uint16_t number, int times = -1);
    // The same fault, for requests touching register `number` only.
    Fault at(std::uint16_t number) const;
};

// The combined effect of the faults that apply to one request.
struct ReplyShape {
    bool silent = false;
    std::chrono::milliseconds delay{0};
    bool bad_crc = false;
    std::optional<std::uint8_t> address;
    std::optional<std::uint8_t> exception;
    std::size_t piece = 0; // 0: in one piece
    std::chrono::milliseconds gap{0};
    std::size_t garbage = 0; // > 0: this many garbage bytes instead of the reply
    bool echo = false;
    std::optional<std::uint8_t> glitch;
    std::optional<std::uint8_t> stray;
    std::chrono::milliseconds stray_after{0};
    bool short_reply = false;
    // late: the reply waits this long, during which the slave hears nothing unless `queue`.
    std::chrono::milliseconds late{0};
    bool busy_deaf = false;
    bool duplicate = false;
    std::optional<std::uint16_t> stuck; // this register keeps its value through a write
};

class FaultPlan {
public:
    void add(const Fault& fault) { faults_.push_back(fault); }
    void clear() { faults_.clear(); }
    bool empty() const { return faults_.empty(); }
    // The shape of the reply to a request touching registers [first, first + count), using up one
    // turn of every fault that applies. `own_address` gives the default of wrong_address.
    ReplyShape take(std::uint16_t first, std::uint16_t count, std::uint8_t own_address);

private:
    std::vector<Fault> faults_;
};

// "KIND[:ARG[:ARG]][@TIMES][#REG]" as given on the command line; without "@TIMES" the fault applies
// to every request, without "#REG" to requests for any register. Kinds and arguments:
//   no-reply | delay:MS | bad-crc | wrong-address[:ADDR] | exception:REG:CODE | split:BYTES:GAP_MS |
//   garbage[:BYTES] | echo | glitch[:BYTE] | stray[:BYTE[:MS]] | short | late:MS[:QUEUE] | duplicate |
//   stuck:REG
// Numbers may be decimal or 0x-hexadecimal. nullopt with the reason in `error` otherwise.
std::optional<Fault> parse_fault(std::string_view text, std::string& error);

// `length` pseudo-random bytes; `seed` makes successive streams differ.
std::vector<std::uint8_t> garbage_bytes(std::size_t length, std::uint32_t seed);

} // namespace zr740::sim
