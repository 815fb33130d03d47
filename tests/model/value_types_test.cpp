#include "model/c_numbers.h"
#include "model/model_texts.h"
#include "model/my_converter.h"
#include "model/parameter.h"
#include "model/value_types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace zr740 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A register without a meaning of its own (0, 4, 8, 10, 11, 36 and 37 have one).
constexpr std::uint16_t plain = 0x20;
const std::string baud = "2400:4800:9600:14400:19200:28800:38400:57600:115200";

MyConverter converter(std::string type, std::string name = "x", std::uint16_t reg = plain)
{
    MyConverter c(std::move(name));
    c.type_text = std::move(type);
    c.register_number = reg;
    return c;
}

std::pair<int, std::string> decode(MyConverter& c, const Bytes& bytes)
{
    std::string out;
    const int result = c.decode(bytes, out, 3);
    return {result, out};
}

std::pair<int, Bytes> encode(const MyConverter& c, std::string* error = nullptr)
{
    std::array<std::uint8_t, 4> out{};
    int length = -1;
    const int result = c.encode(out, length, error);
    EXPECT_TRUE(length >= 0 && length <= 4) << length;
    return {result, Bytes(out.begin(), out.begin() + std::clamp(length, 0, 4))};
}

std::string length_error(int n)
{
    return "Ошибка; (Непонятная длина ответа:" + std::to_string(n) + ")";
}

TEST(CNumbers, ParseDoublePrefixFollowsStrtod)
{
    struct {
        const char* text;
        double value;
        std::size_t consumed;
    } cases[] = {
        {"12.5", 12.5, 4}, {"  -3e2xyz", -300, 6}, {"+.5", 0.5, 3}, {"1.", 1, 2},     {"1e+", 1, 1},
        {"0x10", 0, 1},    {"abc", 0, 0},          {"", 0, 0},      {"--5", 0, 0},    {"+-5", 0, 0},
        {".", 0, 0},       {"\t\n 7", 7, 4},       {"1,5", 1, 1},   {"1e-400", 0, 6},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_double_prefix(c.text);
        EXPECT_EQ(parsed.consumed, c.consumed) << c.text;
        EXPECT_DOUBLE_EQ(parsed.value, c.value) << c.text;
    }
    EXPECT_EQ(parse_double_prefix("1e400").value, std::numeric_limits<double>::infinity());
    EXPECT_EQ(parse_double_prefix("-1e400").value, -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(parse_double_prefix("nan").value));
}

TEST(CNumbers, IntegerScans)
{
    EXPECT_EQ(c_atol("  -42abc"), -42);
    EXPECT_EQ(c_atol("99999999999999999999999"), std::numeric_limits<long>::max());
    struct {
        const char* text;
        std::optional<long> value;
    } cases[] = {
        {"10", 10}, {"0x1F", 31},  {"010", 8},         {"08", 0},           {" -0x10", -16},       {"+7", 7},
        {"0xg", 0}, {"12 34", 12}, {"", std::nullopt}, {"-", std::nullopt}, {"abc", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scan_c_integer(c.text), c.value) << c.text;
    EXPECT_EQ(c_strtoul16("0x0009"), 9u);
    EXPECT_EQ(c_strtoul16("1A!"), 26u);
    EXPECT_EQ(c_strtoul16("INIT"), 0u);
    EXPECT_EQ(c_strtoul16("0xg"), 0u);
    EXPECT_EQ(c_strtoul16("-1"), std::numeric_limits<unsigned long>::max());
}

TEST(CNumbers, FormatFixedMatchesPrintf)
{
    EXPECT_EQ(format_fixed(10.0, 3), "10.000");
    EXPECT_EQ(format_fixed(-0.0, 3), "-0.000");
    EXPECT_EQ(format_fixed(-0.0001, 3), "-0.000");
    EXPECT_EQ(format_fixed(12.3456789, 6), "12.345679");
    EXPECT_EQ(format_fixed(2.5, 0), "2"); // an exact tie goes to even, as printf does
    EXPECT_EQ(format_fixed(std::numeric_limits<double>::max(), 3).size(), 309u + 4u);
}

TEST(Decode, ByType)
{
    struct {
        const char* type;
        Bytes bytes;
        int result;
        std::string text;
    } cases[] = {
        {"float", {0x41, 0x20, 0x00, 0x00}, 1, "10.000"},
        {"FLOAT", {0x80, 0x00, 0x00, 0x00}, 1, "-0.000"},
        {"float", {0xFF, 0xFF, 0xFF, 0xFF}, 1, "недопустимое значение"},
        {"float", {0x7F, 0x80, 0x00, 0x00}, 1, "недопустимое значение"},
        {"float", {0x7F, 0x7F, 0xFF, 0xFF}, 1, "340282346638528859811704183484516925440.000"},
        {"int", {0xFF}, 1, "255"},
        {"int16", {0xFF, 0xFE}, 1, "65534"},
        {"int", {0xFF, 0xFF, 0xFF, 0xFF}, 1, "4294967295"},
        {"int", {0x01, 0x02, 0x03}, -1, length_error(3)},
        {"sint", {0xFF, 0xFE}, 1, "-2"},
        {"sint", {0xFF, 0xFE, 0x12, 0x34}, 1, "-2"},
        {"sint16", {0x80}, 1, "-128"},
        {"sint", {0x7F, 0xFF, 0xFF}, 1, "127"},
        {"sint", {1, 2, 3, 4, 5}, -1, length_error(5)},
        {"CLK_frm", {0x02, 0xF2}, 1, "12:34"},
        {"CLK_frm", {0x3C, 0x99, 0x00}, 1, "01:00"},
        {"CLK_frm", {0xFF, 0xFF, 0, 0}, 1, "1092:15"},
        {"CLK_frm", {1, 2, 3, 4, 5}, -1, length_error(5)},
        {"string", {'C', 'B', 'A'}, 1, "ABC"},
        {"ASCI", {0xE0, 0xC1}, 1, "Ба"},
        {"string", {'B', 'A', 0, 'X'}, 1, "X"},
        {"stored_dot", {0x10, 0x7D}, 1, "12.500"},
        {"STORED_DOT", {0xA0, 0x19}, 1, "-0.250"},
        {"stored_dot", {0x00, 0x13, 0x88}, 1, "5000.000"},
        {"stored_dot", {0x3F, 0xFF, 0xFF, 0xFF}, 1, "268435.469"}, // decoded to a float
        {"stored_dot", {0x01, 0, 0, 0, 0, 0, 0, 1}, 1, "72057594037927936.000"},
        {"stored_dot", {0x10, 0, 0, 0, 0, 0, 0, 0, 1}, 1, "0.000"},
        {"name", {0x4E, 0x02, 0x16, 0x15}, 1, "A.B1 "},
        {"name", {0x4F, 0x4D, 0x4B, 0x49}, 1, "-._./. ."},
        {"NAME", {0x00, 0x12, 0x46, 0x14, 0x99, 0x99}, 1, "AZ90"},
        {"name", {0x4E, 0x4E, 0x4E, 0x50}, -1, "Недопустимый код символа в сетевом имени"},
        {"name", {0x4E, 0x4E, 0x4E}, -1, length_error(3)},
        {"void", {0x00}, 1, "void"}, // data makes it an enumeration of its own name
        {baud.c_str(), {0x02}, 1, "9600"},
        {baud.c_str(), {0x00, 0x08}, 1, "115200"},
        {baud.c_str(), {0x00, 0x09}, 0, ""},
        {"нет_данных:есть_данные", {0x01}, 1, "есть данные"},
        {"a:b", {0xFF}, 0, ""},
        {"DEC_dot:x", {0x00}, 1, "DEC dot"},
    };
    for (const auto& c : cases) {
        auto conv = converter(c.type);
        const auto [result, text] = decode(conv, c.bytes);
        EXPECT_EQ(result, c.result) << c.type << " " << c.text;
        if (c.result != 0) {
            EXPECT_EQ(text, c.text) << c.type;
        }
    }
}

TEST(Decode, EmptyAndOversizedReplies)
{
    auto f = converter("float");
    EXPECT_EQ(decode(f, {}).first, 0);
    auto v = converter("void");
    EXPECT_EQ(decode(v, {}).first, 1);
    auto aply = converter("float", "aply");
    EXPECT_EQ(decode(aply, {}), std::make_pair(1, std::string()));

    // The length is a signed byte: 128 bytes and more read as nothing, 260 bytes as 4.
    auto i = converter("int");
    for (std::size_t n : {128, 255, 256})
        EXPECT_EQ(decode(i, Bytes(n, 1)).first, 0) << n;
    EXPECT_EQ(decode(v, Bytes(200, 1)).first, 1);
    Bytes long_reply(260, 0xEE);
    long_reply[3] = 0x01;
    EXPECT_EQ(decode(i, long_reply).second, "4008635905");
    EXPECT_EQ(decode(i, Bytes(127, 0)).second, length_error(127));
}

TEST(Decode, RawValueAndROe)
{
    auto f = converter("float");
    decode(f, {0x41, 0x20, 0x00, 0x01});
    ASSERT_TRUE(f.raw_value);
    EXPECT_EQ(*f.raw_value, (std::array<std::uint8_t, 4>{0x01, 0x00, 0x20, 0x41}));
    decode(f, {0xFF, 0xFF, 0xFF, 0xFF}); // an invalid value keeps the last good one
    EXPECT_EQ(*f.raw_value, (std::array<std::uint8_t, 4>{0x01, 0x00, 0x20, 0x41}));

    auto r = converter("float", "r.oe"); // three high bytes, the low one is 0
    EXPECT_EQ(decode(r, {0x3F, 0x80, 0x01, 0xFF}).second, "1.000");
    EXPECT_EQ(*r.raw_value, (std::array<std::uint8_t, 4>{0x00, 0x01, 0x80, 0x3F}));
    auto other = converter("float", "R.OE"); // the name is compared exactly
    decode(other, {0x3F, 0x80, 0x01, 0xFF});
    EXPECT_EQ(*other.raw_value, (std::array<std::uint8_t, 4>{0xFF, 0x01, 0x80, 0x3F}));
}

TEST(Decode, RegisterOffsets)
{
    struct {
        std::uint16_t reg;
        const char* type;
        Bytes bytes;
        int result;
        std::string text;
    } cases[] = {
        {10, "7:8", {0x08}, 1, "8"},
        {10, "7:8", {0x00, 0x07}, 1, "7"},
        {10, "7:8", {0x06}, 0, ""},
        {11, "1:2", {0x02}, 1, "2"},
        {11, "1:2", {0x00}, 0, ""},
        {36, "a:b:c", {0x00, 0x03}, 1, "c"},
        {37, "a:b:c", {0x01}, 1, "a"},
        {9, baud.c_str(), {0x02}, 1, "9600"},
        // register 8: the second data byte is decremented first, whatever the type
        {8, "a:b:c", {0x00, 0x02}, 1, "b"},
        {8, "a:b:c", {0x00, 0x00}, 0, ""},
        {8, "int", {0x12, 0x35}, 1, "4660"},
        // registers 0 and 4: the bytes are the text (Windows-1251, up to a NUL), whatever the type
        {0, "float", {'Z', 'R', '7', '4', '0', 0, 0, 0}, 1, "ZR740"},
        {4, "int", {'1', '.', '2', '3'}, 1, "1.23"},
        {0, "name", {0xC7, 0xD0}, 1, "ЗР"},
    };
    for (const auto& c : cases) {
        auto conv = converter(c.type, "x", c.reg);
        const auto [result, text] = decode(conv, c.bytes);
        EXPECT_EQ(result, c.result) << c.reg << " " << c.text;
        if (c.result != 0) {
            EXPECT_EQ(text, c.text) << c.reg;
        }
    }
}

TEST(Decode, AcceptReplyKeepsTheValueOnWriteAcknowledgementsAndRefusals)
{
    auto c = converter("int");
    c.value_text = "old";
    EXPECT_EQ(c.accept_reply(Bytes{0x00, 0x05}, 16), 1);
    EXPECT_EQ(c.function_code, 16);
    EXPECT_EQ(c.value_text, "old");
    EXPECT_EQ(c.accept_reply(Bytes{0x00, 0x05}, 6), 1);
    EXPECT_EQ(c.value_text, "5");
    EXPECT_EQ(c.accept_reply(Bytes{}, 3), 0);
    EXPECT_EQ(c.value_text, "5");
    EXPECT_EQ(c.accept_reply(Bytes{1, 2, 3}, 3), -1); // the error text is shown as the value
    EXPECT_EQ(c.value_text, length_error(3));
}

TEST(Encode, ByTypeAndName)
{
    struct {
        const char* type;
        const char* name;
        std::uint16_t reg;
        const char* value;
        int result;
        Bytes bytes;
    } cases[] = {
        {"float", "x", plain, "  -2.5e0 ", 1, {0xC0, 0x20, 0x00, 0x00}},
        {"float", "x", plain, "0.1", 1, {0x3D, 0xCC, 0xCC, 0xCD}},
        {"float", "r.oe", plain, "0.1", 1, {0x3D, 0xCC, 0xCC}},
        {"int", "x", plain, "255", 1, {0xFF}},
        {"int", "x", plain, "4660  ", 1, {0x12, 0x34}},
        {"int", "x", plain, "65535", 1, {0xFF, 0xFF}},
        {"int", "x", plain, "-1", 1, {0xFF, 0xFF}}, // two's complement
        {"int", "x", plain, "-32768", 1, {0x80, 0x00}},
        // Decimal as the input check reads it, never C integer syntax.
        {"int", "x", plain, "016", 1, {0x10}},
        {"int", "x", plain, "08", 1, {0x08}},
        {"int", "x", plain, "1e2", 1, {0x64}},
        {"int", "x", plain, " +7", 1, {0x07}},
        {"int", "x", plain, "3.000001", 1, {0x03}},
        {"int16", "x", plain, "1e2", 1, {0x00, 0x64}},
        {"int16", "x", plain, "016", 1, {0x00, 0x10}},
        {"int16", "x", plain, "5", 1, {0x00, 0x05}},
        {"CLK_frm", "x", plain, "12:34", 1, {0x02, 0xF2}},
        {"CLK_frm", "x", plain, "12:3", 1, {0x02, 0xD3}}, // 723 s, as the input check reads it
        {"CLK_frm", "x", plain, "4:16", 1, {0x01, 0x00}},
        {"CLK_frm", "x", plain, "1 2", -1, {}},
        {"CLK_frm", "alr.T", plain, "0:05", 1, {0x00, 0x05}},
        {"CLK_frm", "tHP", plain, "0:05", 1, {0x00, 0x05}},
        {"CLK_frm", "TP.h", plain, "0:05", 1, {0x00, 0x05}},
        {"void", "INIT", plain, "", 1, {}},
        {"float", "DEV", plain, "1", -1, {}},
        {"int", "ver", plain, "1", -1, {}},
        {"a:b", "Exit", plain, "a", -1, {}},
        {"float", "u.apl", plain, "1", 1, {}},
        {"int", "UAPL", plain, "1", 1, {}},
        {baud.c_str(), "x", 9, "9600", 1, {0x02}},
        {baud.c_str(), "x", 9, "9601", 0, {}},
        {"Отсутствует:Четность:Нечетность", "x", 12, "ЧЕТНОСТЬ", 1, {0x01}},
        {"нет_данных:есть_данные", "x", plain, "есть данные", 1, {0x01}},
        {"7:8", "x", 10, "7", 1, {0x07}},
        {"1:2", "x", 11, "2", 1, {0x02}},
        {"a:b:c", "x", 36, "c", 1, {0x03}},
        {"a:b:c", "x", 37, "a", 1, {0x01}},
        {"a:b:c", "x", 8, "b", 1, {0x02}},
        {"sint", "x", plain, "-2", 0, {}},
        {"sint16", "x", plain, "5", 0, {}},
        {"string", "x", plain, "abc", 0, {}},
        {"ASCI", "x", plain, "abc", 0, {}},
        {"String", "x", plain, "string", 0, {}}, // not even the type's own name goes out
    };
    for (const auto& c : cases) {
        auto conv = converter(c.type, c.name, c.reg);
        conv.value_text = c.value;
        EXPECT_EQ(encode(conv), std::make_pair(c.result, c.bytes)) << c.type << " " << c.name << " '" << c.value << "'";
    }
}

TEST(Encode, EnumerationSearchesTheFirst127Items)
{
    std::string type = "i0";
    for (int i = 1; i < 130; ++i)
        type += ":i" + std::to_string(i);
    auto c = converter(type);
    c.value_text = "i126";
    EXPECT_EQ(encode(c), std::make_pair(1, Bytes{126}));
    c.value_text = "i127";
    EXPECT_EQ(encode(c), std::make_pair(0, Bytes{}));
}

// A value that cannot be written is refused with the reason, never encoded as zeros.
TEST(Encode, RefusalsSayWhy)
{
    const std::string no_data(texts::no_data);
    struct {
        const char* type;
        const char* name;
        std::string value;
        int result;
        std::string error;
    } cases[] = {
        {"sint", "x", "-2", 0, "Параметр только для чтения: в прибор не записывается"},
        {"ASCI", "x", "ZR740_RS", 0, "Параметр только для чтения: в прибор не записывается"},
        {"float", "ver", "1", -1, "Параметр только для чтения: в прибор не записывается"},
        {"int", "x", "0x10", -1, "Значение не записано: '0x10' не является целым числом"},
        {"int", "x", "2.5", -1, "Значение не записано: '2.5' не является целым числом"},
        {"int", "x", "", -1, "Значение не записано: '' не является целым числом"},
        {"int", "x", "Ошибка; (Непонятная длина ответа:3)", -1,
         "Значение не записано: 'Ошибка; (Непонятная длина ответа:3)' не является целым числом"},
        {"int16", "x", no_data, -1, "Значение не записано: параметр не прочитан и не задан"},
        {"int", "x", "65536", -1,
         "Значение не записано: '65536' не помещается в регистр (допустимо от -32768 до 65535)"},
        {"int16", "x", "-32769", -1,
         "Значение не записано: '-32769' не помещается в регистр (допустимо от -32768 до 65535)"},
        {"int", "x", "1e300", -1,
         "Значение не записано: '1e300' не помещается в регистр (допустимо от -32768 до 65535)"},
        {"float", "x", "недопустимое значение", -1,
         "Значение не записано: 'недопустимое значение' не является числом"},
        {"float", "x", "1e39", -1, "Значение не записано: '1e39' не является числом"},
        {"stored_dot", "x", "nan", -1, "Значение не записано: 'nan' не является числом"},
        {"STORED_DOT", "x", no_data, -1, "Значение не записано: параметр не прочитан и не задан"},
        {"CLK_frm", "x", "10.00", -1, "Значение не записано: '10.00' не является временем в виде м:сс"},
        {"CLK_frm", "x", "", -1, "Значение не записано: '' не является временем в виде м:сс"},
        {"a:b", "x", "c", 0, "Значение не записано: 'c' нет в списке значений параметра"},
        {"a:b", "x", no_data, 0, "Значение не записано: параметр не прочитан и не задан"},
        {"name", "x", "ABCDEFGHI", -1, "Сетевое имя слишком длинное"},
        // A long text is quoted by its first 60 characters.
        {"a:b", "x", std::string(59, 'x') + "ЯЮ" + std::string(100, 'y'), 0,
         "Значение не записано: '" + std::string(59, 'x') + "Я...' нет в списке значений параметра"},
        {"a:b", "x", std::string(60, 'x'), 0,
         "Значение не записано: '" + std::string(60, 'x') + "' нет в списке значений параметра"},
    };
    for (const auto& c : cases) {
        auto conv = converter(c.type, c.name);
        conv.value_text = c.value;
        std::string error;
        EXPECT_EQ(encode(conv, &error), std::make_pair(c.result, Bytes{})) << c.type << " '" << c.value << "'";
        EXPECT_EQ(error, c.error) << c.type << " '" << c.value << "'";
        EXPECT_EQ(conv.writable(), c.error != "Параметр только для чтения: в прибор не записывается") << c.type;
    }
}

// Whatever the input check accepts for "int" goes out as the number the check read.
TEST(Encode, IntegerTextsAreReadAsTheInputCheckReadsThem)
{
    for (const char* text : {"016", "08", "1e2", "1E1", " 42", "+5", "-0", "65535", "255", "256", "7.000001",
                             "0x10", "010x", "1e", "", "2.5", ".5", "inf", "nan", "- 1"}) {
        Parameter check("x");
        check.type_text = "int16";
        const bool accepted = check.set_value_from_input(text, false) == 1;
        auto conv = converter("int16");
        conv.value_text = text;
        const auto [result, bytes] = encode(conv);
        EXPECT_EQ(result == 1, accepted) << "'" << text << "'";
        if (accepted && result == 1) {
            ASSERT_EQ(bytes.size(), 2u);
            const double read = std::trunc(std::strtod(text, nullptr));
            EXPECT_EQ(bytes[0] * 256 + bytes[1], static_cast<int>(read) & 0xFFFF) << "'" << text << "'";
        }
    }
}

TEST(Encode, StoredDot)
{
    struct {
        const char* value;
        int decimals;
        Bytes bytes;
    } cases[] = {
        {"12.5", 0, {0x10, 0x7D}},
        {"-0.25", 0, {0xA0, 0x19}},
        {"5000", 0, {0x00, 0x13, 0x88}},
        {"4095", 0, {0x0F, 0xFF}},
        {"1048575", 0, {0x0F, 0xFF, 0xFF}},
        {"1048576", 0, {0x00, 0x10, 0x00, 0x00}},
        {"1e12", 0, {0x0F, 0xFF, 0xFF, 0xFF}},
        {"12.5abc", 0, {0x10, 0x7D}}, // read as scanf "%f" reads it
        {"1.005", 0, {0x33, 0xED}},
        {"2.675", 0, {0x3A, 0x73}},
        {"12.5  \t", 0, {0x10, 0x7D}},
        {"12.5", 2, {0x24, 0xE2}},
        {"12.5", 3, {0x30, 0x30, 0xD4}},
        {"-1", 1, {0x90, 0x0A}},
    };
    for (const auto& c : cases) {
        auto conv = converter("STORED_DOT");
        conv.value_text = c.value;
        conv.decimals = c.decimals;
        EXPECT_EQ(encode(conv), std::make_pair(1, c.bytes)) << c.value << " p=" << c.decimals;
    }
}

TEST(Encode, Name)
{
    struct {
        const char* value;
        int result;
        Bytes bytes;
        std::string error;
    } cases[] = {
        {"a.b1", 1, {0x4E, 0x02, 0x16, 0x15}, ""},
        {"A.B.C.D.", 1, {0x1B, 0x19, 0x17, 0x15}, ""},
        {"-_ 9", 1, {0x12, 0x4E, 0x4A, 0x48}, ""},
        {"ABCDE?", 1, {0x1A, 0x18, 0x16, 0x14}, ""}, // reading ends with the fifth character
        {"ABCD?", -1, {}, "Недопустимый символ в сетевом имени"},
        {".A", -1, {}, "Недопустимый символ в сетевом имени"},
        {"A/B", -1, {}, "Недопустимый символ в сетевом имени"},
        {"ЯЯЯЯ", -1, {}, "Недопустимый символ в сетевом имени"},
        {"", -1, {}, "Сетевое имя пусто"},
        {"ABCDEFGHI", -1, {}, "Сетевое имя слишком длинное"},
        {"ЯЯЯЯЯЯЯЯЯ", -1, {}, "Сетевое имя слишком длинное"},
    };
    for (const auto& c : cases) {
        auto conv = converter("name");
        conv.value_text = c.value;
        std::string error;
        EXPECT_EQ(encode(conv, &error), std::make_pair(c.result, c.bytes)) << c.value;
        EXPECT_EQ(error, c.error) << c.value;
        EXPECT_EQ(conv.value_text, c.value);
    }
}

TEST(Encode, RoundTripsThroughDecode)
{
    struct {
        const char* type;
        std::uint16_t reg;
        const char* text;
    } cases[] = {
        {"float", plain, "-123.456"},
        {"int", plain, "200"},
        {"int", plain, "40000"},
        {"int16", plain, "7"},
        {"CLK_frm", plain, "12:34"},
        {"CLK_frm", plain, "00:07"},
        {"stored_dot", plain, "-999.999"},
        {"stored_dot", plain, "0.001"},
        {"stored_dot", plain, "65536.250"},
        {"name", plain, "A.B1 "},
        {"name", plain, "0.1.2.3."},
        {"name", plain, "-_  "},
        {baud.c_str(), 9, "115200"},
        {"7:8", 10, "8"},
        {"1:2", 11, "1"},
        {"x:y:z", 36, "z"},
        {"x:y:z", 37, "y"},
    };
    for (const auto& c : cases) {
        auto conv = converter(c.type, "p", c.reg);
        conv.value_text = c.text;
        EXPECT_EQ(decode(conv, encode(conv).second).second, c.text) << c.type;
    }
    // Register 8: one byte written, read back from the low byte of the register.
    auto r8 = converter("a:b:c", "p", 8);
    r8.value_text = "b";
    const auto written = encode(r8).second;
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(decode(r8, Bytes{0x00, written[0]}).second, "b");
}

TEST(Items, ItemTextTypeWordAndDecimals)
{
    auto e = converter("Отсутствует:Четность:Нечетность_x");
    EXPECT_EQ(e.item_text(0), "Отсутствует");
    EXPECT_EQ(e.item_text(2), "Нечетность x");
    EXPECT_EQ(e.item_text(3), texts::no_data);
    EXPECT_EQ(e.item_text(-1), "");
    EXPECT_EQ(converter("int").item_text(7), "7");
    EXPECT_EQ(converter("float:2").base_type(), "float");

    EXPECT_EQ(converter("float").type_word(), "вещественным числом");
    EXPECT_EQ(converter("Stored_Dot").type_word(), "вещественным числом");
    EXPECT_EQ(converter("int").type_word(), "целым числом");
    EXPECT_EQ(converter("INT16").type_word(), "целым числом");
    EXPECT_EQ(converter("CLK_frm").type_word(), "значением");
    EXPECT_EQ(converter("a:b").type_word(), "значением");

    struct {
        const char* type;
        const char* cut;
        int decimals;
    } cases[] = {
        {"float:2", "float", 2},           {"INT:1", "INT", 1},         {"int16:3:x", "int16", 3},
        {"stored_dot:1", "stored_dot", 1}, {"CLK_frm:2", "CLK_frm", 2}, {"float:4", "float:4", -1},
        {"float:12", "float:12", -1},      {"float", "float", -1},      {"sint:2", "sint:2", -1},
        {"float: 2", "float: 2", -1},
    };
    for (const auto& c : cases) {
        std::string type = c.type;
        int decimals = -1;
        split_decimals(type, decimals);
        EXPECT_EQ(std::make_pair(type, decimals), std::make_pair(std::string(c.cut), c.decimals)) << c.type;
    }
}

TEST(Input, ByType)
{
    struct {
        const char* type;
        double min, max;
        const char* input;
        bool full;
        const char* stored; // nullptr: refused
    } cases[] = {
        {"float", 0, 100, "100.0005", false, "100.001"},
        {"float", 0, 100, "100.001", false, nullptr},
        {"float", 10, 20, "9.9995", false, "10.000"},
        {"float", -5, 5, "-5.002", false, nullptr},
        {"float", 0, 0, " 2.5abc", false, "2.500"},
        {"float", 0, 0, "0.125", true, "0.125000"},
        {"float", 0, 0, "abc", false, nullptr},
        {"float", 0, 0, "nan", false, nullptr},
        {"STORED_DOT", 0, 10, "3.14159", false, "3.142"},
        {"float:1", 0, 0, "text", false, "text"},
        {"int", 0, 0, "42.000001", false, "42.000001"},
        {"int", 0, 0, "42.5", false, nullptr},
        {"int", 0, 0, "42 ", false, nullptr},
        {"int", 0, 0, "", false, nullptr},
        {"int16", 1, 247, "247", false, "247"},
        {"int16", 1, 247, "248", false, nullptr},
        {"int16", 1, 247, "0", false, nullptr},
        {"CLK_frm", 0, 723, "12:3", false, "12:3"},
        {"CLK_frm", 0, 722, "12:3", false, nullptr},
        {"CLK_frm", 0, 754, "12:34", false, "12:34"},
        {"CLK_frm", 0, 753, "12:34", false, nullptr},
        {"CLK_frm", 0, 0, "1:2x", false, nullptr},
        {"CLK_frm", 0, 0, "", false, nullptr},
        {"a:b", 0, 0, "whatever", false, "whatever"},
        {"name", 0, 0, "??", false, "??"},
        {"void", 0, 0, "", false, ""},
    };
    for (const auto& c : cases) {
        Parameter p("x");
        p.type_text = c.type;
        p.min = c.min;
        p.max = c.max;
        EXPECT_EQ(p.set_value_from_input(c.input, c.full), c.stored ? 1 : 0) << c.type << " '" << c.input << "'";
        EXPECT_EQ(p.value_text, c.stored ? c.stored : texts::no_data.data()) << c.type << " '" << c.input << "'";
        EXPECT_EQ(p.value_changed, c.stored ? 1 : 0);
    }
}

TEST(Input, NetworkNameRules)
{
    struct {
        const char* input;
        int accepted;
    } cases[] = {
        {"A.B1", 1},  {"a.b.c.d.", 1}, {"/-_ ", 1}, {"9.9.", 1}, {"", 0},
        {"ABCDE", 0}, {".A", 0},       {"A..", 0},  {"A?", 0},   {"ЯA", 0},
    };
    for (const auto& c : cases) {
        Parameter p("CHAr*");
        p.type_text = "float"; // the name's rules replace the type's
        EXPECT_EQ(p.set_value_from_input(c.input, false), c.accepted) << c.input;
    }
    Parameter other_case("char*");
    other_case.type_text = "a:b";
    EXPECT_EQ(other_case.set_value_from_input("ABCDEFG", false), 1);
}

} // namespace
} // namespace zr740
