// Value conversions under arbitrary replies and arbitrary typed text.
//
// Input layout: byte 0 picks the type text, byte 1 the register, byte 2 the name, byte 3 the
// function code, byte 4 the decimals and the full precision flag, byte 5 the reply length; then the
// reply bytes, then the text (used as value text, typed input and, for the last type choice, as the
// type text itself).

#include "model/c_numbers.h"
#include "model/my_converter.h"
#include "model/parameter.h"
#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 20> types = {
    "float",
    "int",
    "int16",
    "sint",
    "sint16",
    "stored_dot",
    "STORED_DOT",
    "CLK_frm",
    "string",
    "ASCI",
    "name",
    "void",
    "DEC_dot",
    "2400:4800:9600:14400:19200:28800:38400:57600:115200",
    "7:8",
    "1:2",
    "Отсутствует:Четность:Нечетность",
    "a_b:c_d",
    "",
    "float:2",
};
constexpr std::array<std::uint16_t, 9> registers = {0, 4, 8, 10, 11, 36, 37, 9, 0x20};
constexpr std::array<std::string_view, 10> names = {"0x0020", "r.oe", "APLY",  "dev", "U.Apl",
                                                    "Alr.t",  "tHP",  "CHAr*", "ver", "exit"};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Encodes the converter's value text and checks what every encoder promises.
int encode_checked(const zr740::MyConverter& c, std::array<std::uint8_t, 4>& out, int& length)
{
    std::string error;
    const int result = c.encode(out, length, &error);
    check(result >= -1 && result <= 1);
    check(length >= 0 && length <= 4);
    check(result == 1 || length == 0);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    const std::size_t reply_length = std::min<std::size_t>(data[5], size - 6);
    const std::span<const std::uint8_t> reply(data + 6, reply_length);
    const std::string text(reinterpret_cast<const char*>(data + 6 + reply_length), size - 6 - reply_length);

    zr740::Parameter p{std::string(names[data[2] % names.size()])};
    const std::size_t type_choice = data[0] % (types.size() + 1);
    p.type_text = type_choice < types.size() ? std::string(types[type_choice]) : text;
    zr740::split_decimals(p.type_text, p.decimals);
    p.register_number = registers[data[1] % registers.size()];
    if (data[4] & 0x08)
        p.decimals = data[4] & 0x03;
    if (data[4] & 0x10) {
        p.min = -100.0;
        p.max = 100.0;
    }

    // Reply → text, then that text back to bytes.
    const std::string before = p.value_text;
    const int decoded = p.accept_reply(reply, data[3]);
    check(decoded >= -1 && decoded <= 1);
    check(p.function_code == data[3]);
    if (decoded == 0 || data[3] == 16)
        check(p.value_text == before);
    std::array<std::uint8_t, 4> out{};
    int length = 0;
    encode_checked(p, out, length);

    // A network name that encodes decodes to a text that encodes to the same bytes.
    p.value_text = text;
    if (encode_checked(p, out, length) == 1 && zr740::equals_no_case(p.base_type(), "name") && p.register_number != 0 &&
        p.register_number != 4 && p.register_number != 8) {
        std::string back;
        check(p.decode(std::span<const std::uint8_t>(out.data(), 4), back, 3) == 1);
        p.value_text = back;
        std::array<std::uint8_t, 4> again{};
        check(encode_checked(p, again, length) == 1 && again == out);
    }

    // Typed text: either refused without a trace or stored with the change flag.
    zr740::Parameter typed = p;
    typed.value_text = "old";
    typed.value_changed = 0;
    if (typed.set_value_from_input(text, (data[4] & 0x20) != 0) == 1)
        check(typed.value_changed == 1);
    else
        check(typed.value_text == "old" && typed.value_changed == 0);

    (void)p.item_text(static_cast<int>(data[3]) - 8);
    (void)p.type_word();
    (void)zr740::parse_double_prefix(text);
    (void)zr740::scan_c_integer(text);
    (void)zr740::c_strtoul16(text);
    (void)zr740::c_atol(text);
    (void)zr740::format_fixed(zr740::c_atof(text), data[4] & 0x07);
    return 0;
}
