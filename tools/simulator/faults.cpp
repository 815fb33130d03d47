#include "simulator/faults.h"

#include <algorithm>
#include <charconv>

namespace zr740::sim {
namespace {

std::optional<unsigned long> parse_number(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::optional<Fault> parse_fault_kind(std::string_view text, std::string& error);

Fault with_times(Fault fault, int times)
{
    fault.times = times;
    return fault;
}

} // namespace

Fault Fault::no_reply(int times) { return with_times(Fault{}, times); }

Fault Fault::delayed(std::chrono::milliseconds delay, int times)
{
    Fault fault;
    fault.kind = FaultKind::delay;
    fault.delay = delay;
    return with_times(fault, times);
}

Fault Fault::bad_crc(int times)
{
    Fault fault;
    fault.kind = FaultKind::bad_crc;
    return with_times(fault, times);
}

Fault Fault::wrong_address(std::uint8_t address, int times)
{
    Fault fault;
    fault.kind = FaultKind::wrong_address;
    fault.address = address;
    return with_times(fault, times);
}

Fault Fault::exception(std::uint16_t register_number, std::uint8_t code, int times)
{
    Fault fault;
    fault.kind = FaultKind::exception;
    fault.register_number = register_number;
    fault.code = code;
    return with_times(fault, times);
}

Fault Fault::split(std::size_t piece, std::chrono::milliseconds gap, int times)
{
    Fault fault;
    fault.kind = FaultKind::split;
    fault.piece = std::max<std::size_t>(piece, 1);
    fault.delay = gap;
    return with_times(fault, times);
}

Fault Fault::garbage(std::size_t length, int times)
{
    Fault fault;
    fault.kind = FaultKind::garbage;
    fault.length = length;
    return with_times(fault, times);
}

Fault Fault::echo(int times)
{
    Fault fault;
    fault.kind = FaultKind::echo;
    return with_times(fault, times);
}

Fault Fault::glitch(std::uint8_t byte, int times)
{
    Fault fault;
    fault.kind = FaultKind::glitch;
    fault.byte = byte;
    return with_times(fault, times);
}

Fault Fault::stray(std::uint8_t byte, std::chrono::milliseconds after, int times)
{
    Fault fault;
    fault.kind = FaultKind::stray;
    fault.byte = byte;
    fault.delay = after;
    return with_times(fault, times);
}

Fault Fault::short_reply(int times)
{
    Fault fault;
    fault.kind = FaultKind::short_reply;
    return with_times(fault, times);
}

Fault Fault::late(std::chrono::milliseconds delay, bool queue, int times)
{
    Fault fault;
    fault.kind = FaultKind::late;
    fault.delay = delay;
    fault.queue = queue;
    return with_times(fault, times);
}

Fault Fault::duplicate(int times)
{
    Fault fault;
    fault.kind = FaultKind::duplicate;
    return with_times(fault, times);
}

Fault Fault::stuck(std::uint16_t number, int times)
{
    Fault fault;
    fault.kind = FaultKind::stuck;
    fault.register_number = number;
    return with_times(fault, times);
}

Fault Fault::at(std::uint16_t number) const
{
    Fault fault = *this;
    fault.target = number;
    return fault;
}

ReplyShape FaultPlan::take(std::uint16_t first, std::uint16_t count, std::uint8_t own_address)
{
    ReplyShape shape;
    for (auto& fault : faults_) {
        const auto touches = [&](std::uint16_t number) {
            return number >= first && number < first + std::max<unsigned>(count, 1);
        };
        if ((fault.kind == FaultKind::exception || fault.kind == FaultKind::stuck) && !touches(fault.register_number))
            continue;
        if (fault.target && !touches(*fault.target))
            continue;
        switch (fault.kind) {
        case FaultKind::no_reply:
            shape.silent = true;
            break;
        case FaultKind::delay:
            shape.delay += fault.delay;
            break;
        case FaultKind::bad_crc:
            shape.bad_crc = true;
            break;
        case FaultKind::wrong_address:
            shape.address = fault.address != 0 ? fault.address : static_cast<std::uint8_t>(own_address % 247 + 1);
            break;
        case FaultKind::exception:
            shape.exception = fault.code;
            break;
        case FaultKind::split:
            shape.piece = fault.piece;
            shape.gap = fault.delay;
            break;
        case FaultKind::garbage:
            shape.garbage = std::max<std::size_t>(fault.length, 1);
            break;
        case FaultKind::echo:
            shape.echo = true;
            break;
        case FaultKind::glitch:
            shape.glitch = fault.byte;
            break;
        case FaultKind::stray:
            shape.stray = fault.byte;
            shape.stray_after = fault.delay;
            break;
        case FaultKind::short_reply:
            shape.short_reply = true;
            break;
        case FaultKind::late:
            shape.late += fault.delay;
            shape.busy_deaf = shape.busy_deaf || !fault.queue;
            break;
        case FaultKind::duplicate:
            shape.duplicate = true;
            break;
        case FaultKind::stuck:
            shape.stuck = fault.register_number;
            break;
        }
        if (fault.times > 0)
            --fault.times;
    }
    std::erase_if(faults_, [](const Fault& fault) { return fault.times == 0; });
    return shape;
}

std::optional<Fault> parse_fault(std::string_view text, std::string& error)
{
    std::optional<std::uint16_t> target;
    if (const auto at = text.find('#'); at != std::string_view::npos) {
        const auto number = parse_number(text.substr(at + 1));
        if (!number || *number > 0xFFFF) {
            error = "bad register in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        target = static_cast<std::uint16_t>(*number);
        text = text.substr(0, at);
    }
    auto fault = parse_fault_kind(text, error);
    if (fault && target)
        fault->target = target;
    return fault;
}

namespace {

std::optional<Fault> parse_fault_kind(std::string_view text, std::string& error)
{
    int times = -1;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        const auto count = parse_number(text.substr(at + 1));
        if (!count || *count == 0 || *count > 1'000'000) {
            error = "bad repeat count in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        times = static_cast<int>(*count);
        text = text.substr(0, at);
    }
    const auto parts = split(text, ':');
    const auto kind = parts[0];
    std::vector<unsigned long> args;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const auto value = parse_number(parts[i]);
        if (!value) {
            error = "bad number '" + std::string(parts[i]) + "' in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        args.push_back(*value);
    }
    const auto expect = [&](std::size_t least, std::size_t most) {
        if (args.size() >= least && args.size() <= most)
            return true;
        error = "wrong number of arguments in fault '" + std::string(text) + "'";
        return false;
    };
    const auto ms = [](unsigned long value) { return std::chrono::milliseconds(std::min(value, 3'600'000ul)); };

    if (kind == "no-reply")
        return expect(0, 0) ? std::optional(Fault::no_reply(times)) : std::nullopt;
    if (kind == "delay")
        return expect(1, 1) ? std::optional(Fault::delayed(ms(args[0]), times)) : std::nullopt;
    if (kind == "bad-crc")
        return expect(0, 0) ? std::optional(Fault::bad_crc(times)) : std::nullopt;
    if (kind == "wrong-address") {
        if (!expect(0, 1))
            return std::nullopt;
        if (!args.empty() && args[0] > 255) {
            error = "address out of range in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        return Fault::wrong_address(static_cast<std::uint8_t>(args.empty() ? 0 : args[0]), times);
    }
    if (kind == "exception") {
        if (!expect(2, 2))
            return std::nullopt;
        if (args[0] > 0xFFFF || args[1] == 0 || args[1] > 255) {
            error = "register or code out of range in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        return Fault::exception(static_cast<std::uint16_t>(args[0]), static_cast<std::uint8_t>(args[1]), times);
    }
    if (kind == "split") {
        if (!expect(2, 2))
            return std::nullopt;
        return Fault::split(std::clamp<std::size_t>(args[0], 1, 256), ms(args[1]), times);
    }
    if (kind == "garbage") {
        if (!expect(0, 1))
            return std::nullopt;
        return Fault::garbage(std::clamp<std::size_t>(args.empty() ? 64 : args[0], 1, 4096), times);
    }
    const auto byte_argument = [&](std::size_t index) -> std::optional<std::uint8_t> {
        if (args.size() <= index)
            return std::uint8_t{0xFF};
        if (args[index] > 255) {
            error = "byte out of range in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(args[index]);
    };
    if (kind == "echo")
        return expect(0, 0) ? std::optional(Fault::echo(times)) : std::nullopt;
    if (kind == "glitch") {
        if (!expect(0, 1))
            return std::nullopt;
        const auto byte = byte_argument(0);
        return byte ? std::optional(Fault::glitch(*byte, times)) : std::nullopt;
    }
    if (kind == "stray") {
        if (!expect(0, 2))
            return std::nullopt;
        const auto byte = byte_argument(0);
        return byte ? std::optional(Fault::stray(*byte, ms(args.size() > 1 ? args[1] : 0), times)) : std::nullopt;
    }
    if (kind == "short")
        return expect(0, 0) ? std::optional(Fault::short_reply(times)) : std::nullopt;
    if (kind == "late") {
        if (!expect(1, 2))
            return std::nullopt;
        return Fault::late(ms(args[0]), args.size() > 1 && args[1] != 0, times);
    }
    if (kind == "duplicate")
        return expect(0, 0) ? std::optional(Fault::duplicate(times)) : std::nullopt;
    if (kind == "stuck") {
        if (!expect(1, 1))
            return std::nullopt;
        if (args[0] > 0xFFFF) {
            error = "register out of range in fault '" + std::string(text) + "'";
            return std::nullopt;
        }
        return Fault::stuck(static_cast<std::uint16_t>(args[0]), times);
    }
    error = "unknown fault '" + std::string(kind) + "'";
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> garbage_bytes(std::size_t length, std::uint32_t seed)
{
    std::vector<std::uint8_t> bytes(length);
    std::uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    if (state == 0)
        state = 1; // the one state xorshift never leaves
    for (auto& byte : bytes) {
        // xorshift32
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

} // namespace zr740::sim
