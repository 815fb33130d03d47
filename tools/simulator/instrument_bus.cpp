#include "simulator/instrument_bus.h"

#include "simulator/korvel_slave.h"
#include "simulator/modbus_slave.h"

namespace zr740::sim {
namespace {

// What the line makes of a reply under the faults of its shape.
void shape_modbus_reply(std::vector<std::uint8_t>& bytes, const ReplyShape& shape,
                        std::span<const std::uint8_t> request)
{
    if (shape.short_reply && bytes.size() >= 7 && (bytes[1] == 3 || bytes[1] == 4) && bytes[2] >= 2) {
        bytes.resize(bytes.size() - 4); // the CRC and the last register
        bytes[2] = static_cast<std::uint8_t>(bytes[2] - 2);
        append_modbus_crc(bytes);
    }
    if (shape.bad_crc)
        bytes.back() ^= 0xA5;
    if (shape.duplicate) {
        const auto once = bytes;
        bytes.insert(bytes.end(), once.begin(), once.end());
    }
    if (shape.glitch)
        bytes.insert(bytes.begin(), *shape.glitch);
    if (shape.echo)
        bytes.insert(bytes.begin(), request.begin(), request.end());
    if (shape.stray && shape.stray_after.count() == 0)
        bytes.push_back(*shape.stray);
}

bool hears(const Instrument& instrument, std::optional<int> line_baud)
{
    return !line_baud || instrument.network().baud == *line_baud;
}

} // namespace

const Instrument* InstrumentBus::find(int address) const
{
    for (const auto& instrument : instruments_)
        if (instrument.network().address == address)
            return &instrument;
    return nullptr;
}

std::optional<std::size_t> InstrumentBus::index_of(int address, std::optional<int> line_baud) const
{
    for (std::size_t i = 0; i < instruments_.size(); ++i) {
        if (instruments_[i].network().address == address)
            return hears(instruments_[i], line_baud) ? std::optional(i) : std::nullopt;
    }
    return std::nullopt;
}

BusReply InstrumentBus::answer_modbus(std::span<const std::uint8_t> frame, FaultPlan& faults, double seconds,
                                      bool live, std::optional<int> line_baud)
{
    BusReply out;
    out.shape.silent = true;
    const auto request = parse_modbus_request(frame);
    if (!request)
        return out;
    const auto refresh_if_read_live = [&](Instrument& instrument) {
        for (unsigned i = 0; i < request->count; ++i) {
            if (instrument.bank().is_live(static_cast<std::uint16_t>(request->first + i))) {
                instrument.refresh(seconds, live);
                return;
            }
        }
    };
    if (request->address == 0) {
        // Broadcast: every instrument that hears it acts, none answers.
        for (std::size_t i = 0; i < instruments_.size(); ++i) {
            auto& instrument = instruments_[i];
            if (!hears(instrument, line_baud))
                continue;
            out.heard = true;
            refresh_if_read_live(instrument);
            const auto own = static_cast<std::uint8_t>(instrument.network().address);
            if (const auto after = serve_modbus(*request, own, instrument).after; after != AfterReply::nothing)
                out.after.emplace_back(i, after);
        }
        return out;
    }
    const auto index = index_of(request->address, line_baud);
    if (!index)
        return out;
    out.heard = true;
    auto& instrument = instruments_[*index];
    refresh_if_read_live(instrument);
    const auto own = static_cast<std::uint8_t>(instrument.network().address);
    out.shape = faults.take(request->first, request->count, own);
    const auto reply_address = out.shape.address.value_or(own);
    AfterReply after = AfterReply::nothing;
    if (out.shape.exception) {
        out.bytes = modbus_exception(reply_address, request->function, *out.shape.exception);
    } else {
        const auto kept = out.shape.stuck ? instrument.bank().get(*out.shape.stuck) : std::nullopt;
        auto answer = serve_modbus(*request, reply_address, instrument);
        out.bytes = std::move(answer.reply);
        after = answer.after;
        if (kept)
            instrument.bank().set(*out.shape.stuck, *kept);
    }
    if (after != AfterReply::nothing)
        out.after.emplace_back(*index, after);
    shape_modbus_reply(out.bytes, out.shape, frame);
    return out;
}

BusReply InstrumentBus::answer_korvel(std::span<const std::uint8_t> frame, FaultPlan& faults, double seconds,
                                      bool live, std::optional<int> line_baud)
{
    BusReply out;
    out.shape.silent = true;
    const auto request = parse_korvel_request(frame);
    if (instruments_.empty() || !request)
        return out;
    auto& instrument = instruments_.front();
    const int own = instrument.network().address;
    if (!hears(instrument, line_baud) || !korvel_addressed_to(*request, own))
        return out;
    out.heard = true;
    const auto count = instrument.bank().parameter_at(request->identifier).value_or(1);
    if (instrument.bank().is_live(request->identifier))
        instrument.refresh(seconds, live);
    out.shape = faults.take(request->identifier, count, static_cast<std::uint8_t>(own));
    auto answer = serve_korvel(*request, out.shape.address.value_or(static_cast<std::uint8_t>(own)), instrument,
                               out.shape.exception);
    if (answer.after != AfterReply::nothing)
        out.after.emplace_back(0, answer.after);
    out.bytes.assign(answer.reply.begin(), answer.reply.end());
    if (out.shape.bad_crc && out.bytes.size() >= 3) {
        // Another letter in place of the last CRC letter: still a well-formed line.
        auto& letter = out.bytes[out.bytes.size() - 2];
        letter = static_cast<std::uint8_t>('G' + ((letter - 'G' + 1) & 0x0F));
    }
    if (out.bytes.empty())
        out.shape.silent = true; // an identifier the instrument never answers
    return out;
}

} // namespace zr740::sim
