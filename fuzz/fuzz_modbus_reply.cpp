// Modbus-RTU replies as they arrive, against a request chosen from the input.
//
// Input layout: byte 0 the slave address, byte 1 picks the function, then the gathered reply bytes.

#include "link/modbus_frame.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

constexpr std::array<int, 6> functions = {3, 4, 6, 16, 17, 65};
// The serial line never gathers more than this.
constexpr std::size_t max_reply = 286;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int address = data[0] % 248;
    const int function = functions[data[1] % functions.size()];
    const std::span<const std::uint8_t> gathered(data + 2, std::min(size - 2, max_reply));

    zr740::ModbusFrame frame;
    check(frame.build_request(address, function, gathered.first(std::min<std::size_t>(gathered.size(), 9))) == 0);
    check(frame.request.size() >= 4 && zr740::modbus_crc16(frame.request) == 0);

    // As the line does it: the completeness rule after every byte, stopping at the first complete
    // prefix; then the decoder on the whole input as well.
    std::size_t end = gathered.size();
    for (std::size_t n = 0; n <= gathered.size(); ++n) {
        if (zr740::modbus_reply_complete(gathered.first(n))) {
            end = n;
            break;
        }
    }
    for (const std::size_t n : {end, gathered.size()}) {
        const auto reply = gathered.first(n);
        std::vector<std::uint8_t> payload = {0xEE};
        const int result = frame.decode_reply(reply, payload);
        const bool complete = zr740::modbus_reply_complete(reply);
        check((result == -1) == !complete);
        check(result == 0 || payload.empty());
        check((frame.exception_code != 0) == (result >= 1 && result <= 255));
        check(result == -1 || result == 0 || result == zr740::ModbusFrame::wrong_address ||
              result == zr740::ModbusFrame::wrong_function || result == zr740::ModbusFrame::not_this_request ||
              (result >= 1 && result <= 255));
        if (result == 0) {
            check(reply[0] == address && reply[1] == function);
            check(zr740::reply_answers(frame.request, reply));
            check(payload.size() + 4 <= reply.size());
            // The payload is the part of the frame just before the CRC.
            check(std::equal(payload.begin(), payload.end(),
                             reply.end() - 2 - static_cast<std::ptrdiff_t>(payload.size())));
        }
    }
    return 0;
}
