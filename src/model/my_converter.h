#pragma once
// The value half of a parameter: name, register address and count, value text, type text and limits,
// with the conversions between register bytes and text that the value type calls for. Every value is
// kept as text, never as a number; the type text decides how bytes and text map onto each other.

#include "model/runtime_class.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zr740 {

class MyConverter {
public:
    MyConverter();
    explicit MyConverter(std::string parameter_name);
    MyConverter(std::uint16_t number, std::uint8_t count, std::uint8_t function);
    virtual ~MyConverter() = default;
    MyConverter(const MyConverter&) = default;
    MyConverter& operator=(const MyConverter&) = default;

    virtual const RuntimeClass& runtime_class() const;
    // Stores the text as it stands.
    virtual int set_value_text(const std::string& text);

    // Converts the data bytes of a reply into text (the value type's decoder). Stores the function
    // code. Returns 0 when the bytes cannot be decoded, -1 with an error text in `out`, 1 on success.
    // The value text itself is not touched; see accept_reply.
    int decode(std::span<const std::uint8_t> data, std::string& out, std::uint8_t function);
    // Decodes and, on a result other than 0, stores the output as the value text, except for a
    // write acknowledgement (function 16), which never changes the value.
    int accept_reply(std::span<const std::uint8_t> data, std::uint8_t function);

    // Converts the value text into at most four data bytes. Returns 1 on success, 0 when the text
    // matches no item of an enumeration (or the type has no encoding at all), -1 when the value
    // cannot be written. Every refusal puts its reason into `error`.
    int encode(std::array<std::uint8_t, 4>& out, int& length, std::string* error = nullptr) const;
    // Whether the value type can be written at all: "sint", "sint16", "string" and "ASCI" values,
    // and the parameters "dev", "ver" and "exit", are only ever read.
    bool writable() const;

    // The n-th item of the type text (0-based, the base type counts as item 0).
    std::string item_text(int n) const;
    // The first token of the type text.
    std::string base_type() const;
    // "вещественным числом" for float, "целым числом" for int, used in the editor's refusal.
    std::string type_word() const;

    std::optional<std::array<std::uint8_t, 4>> raw_value; // last float decoded, host order
    std::string name;
    std::uint16_t register_number = 0;
    std::uint8_t register_count = 0;
    std::uint8_t function_code = 0;
    std::string value_text;
    std::string type_text;
    int decimals = 0;
    double max = 0.0;
    double min = 0.0;

private:
    // decode() for the bytes of one base type, padded to at least eight.
    int decode_as(std::string_view base, const std::uint8_t* b, int length, std::string& out);
};

} // namespace zr740
