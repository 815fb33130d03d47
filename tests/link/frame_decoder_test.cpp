// The traffic monitor's words for known frames: what a person reading the trace must be told.

#include "link/frame_decoder.h"
#include "link/korvel_frame.h"
#include "link/modbus_frame.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace zr740 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes with_crc(Bytes frame)
{
    const std::uint16_t crc = modbus_crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes damaged(Bytes frame)
{
    frame.back() ^= 0x5A;
    return frame;
}

Bytes korvel(std::uint16_t identifier, bool request_bit, Bytes data)
{
    std::string line;
    EXPECT_TRUE(korvel_encode({16, 8}, 0, request_bit, identifier, data, line));
    return Bytes(line.begin(), line.end());
}

const Bytes read_request = with_crc({0x05, 0x03, 0x00, 0x07, 0x00, 0x02});
const Bytes read_reply = with_crc({0x05, 0x03, 0x04, 0x00, 0x10, 0x25, 0x80});
const Bytes write_one = with_crc({0x05, 0x06, 0x00, 0x20, 0x00, 0x01});
const Bytes write_many = with_crc({0x05, 0x10, 0x00, 0x07, 0x00, 0x02, 0x04, 0x00, 0x10, 0x25, 0x80});
const Bytes write_many_reply = with_crc({0x05, 0x10, 0x00, 0x07, 0x00, 0x02});

struct DecoderRow {
    const char* name;
    bool reply;
    Bytes frame;
    Bytes request;
    std::string text; // the whole text, or its start when `prefix`
    bool prefix;
    bool crc_ok;
    int address;
};

void PrintTo(const DecoderRow& row, std::ostream* out) { *out << row.name; }

class FrameDecoder : public ::testing::TestWithParam<DecoderRow> {};

TEST_P(FrameDecoder, SaysWhatTheFrameMeans)
{
    const auto& row = GetParam();
    const auto decoded = row.reply ? decode_reply(row.frame, row.request) : decode_request(row.frame);
    if (row.prefix)
        EXPECT_EQ(decoded.text.substr(0, row.text.size()), row.text) << decoded.text;
    else
        EXPECT_EQ(decoded.text, row.text);
    EXPECT_EQ(decoded.crc_ok, row.crc_ok);
    EXPECT_EQ(decoded.address, row.address);
    EXPECT_EQ(decoded.text.find('\n'), std::string::npos);
    // A checksum that does not hold is said in so many words.
    EXPECT_EQ(decoded.text.find("CRC") != std::string::npos, !row.crc_ok && (decoded.complete || decoded.korvel))
        << decoded.text;
}

INSTANTIATE_TEST_SUITE_P(
    KnownFrames, FrameDecoder,
    ::testing::Values(
        DecoderRow{"read_request", false, read_request, {}, "Чтение: адрес 5, рег. 0x0007, кол-во 2", false, true, 5},
        DecoderRow{"read_reply_named", true, read_reply, read_request,
                   "Ответ на чтение: адрес 5, 4 байт: 0x0007 = 0x0010 (16), 0x0008 = 0x2580 (9600)", false, true, 5},
        DecoderRow{"read_reply_alone", true, read_reply, {}, "Ответ на чтение: адрес 5, 4 байт: 0x0010 (16), 0x2580 (9600)",
                   false, true, 5},
        DecoderRow{"write_one_request", false, write_one, {}, "Запись: адрес 5, рег. 0x0020 = 0x0001 (1)", false, true, 5},
        DecoderRow{"write_one_echo", true, write_one, write_one, "Запись подтверждена: адрес 5, рег. 0x0020 = 0x0001 (1)",
                   false, true, 5},
        DecoderRow{"write_many_request", false, write_many, {},
                   "Запись: адрес 5, рег. 0x0007, кол-во 2: 0x0010 (16), 0x2580 (9600)", false, true, 5},
        DecoderRow{"write_many_echo", true, write_many_reply, write_many,
                   "Запись подтверждена: адрес 5, рег. 0x0007, кол-во 2", false, true, 5},
        DecoderRow{"broadcast", false, with_crc({0x00, 0x06, 0x00, 0x20, 0x00, 0x01}), {},
                   "Запись: адрес 0 (всем), рег. 0x0020 = 0x0001 (1)", false, true, 0},
        DecoderRow{"bad_crc", true, damaged(read_reply), read_request,
                   "Ответ на чтение: адрес 5, 4 байт: 0x0007 = 0x0010 (16), 0x0008 = 0x2580 (9600); ошибка CRC: в кадре ",
                   true, false, 5},
        DecoderRow{"echo_of_read", true, read_request, read_request, "Эхо запроса", false, true, 5},
        DecoderRow{"stray_byte", true, {0xFF}, read_request, "Неполный кадр (1 байт): адрес 255", false, false, 255},
        DecoderRow{"nothing", true, {}, read_request, "Неполный кадр (0 байт)", false, false, -1},
        DecoderRow{"short_reply", true, {0x05, 0x03, 0x04, 0x00, 0x10, 0x25}, read_request,
                   "Неполный кадр (6 байт): адрес 5, функция 3", false, false, 5},
        DecoderRow{"short_write_many", false, {0x05, 0x10, 0x00, 0x07, 0x00}, {},
                   "Неполный кадр (5 байт): адрес 5, функция 16", false, false, 5},
        DecoderRow{"fewer_registers", true, with_crc({0x05, 0x03, 0x02, 0x00, 0x10}), read_request,
                   "Ответ на чтение: адрес 5, 2 байт: 0x0010 (16); не ответ на этот запрос", false, true, 5},
        DecoderRow{"other_function", true, with_crc({0x05, 0x41, 0x01, 0x02, 0x03}), {},
                   "Функция 65: адрес 5, 3 байт", false, true, 5},
        DecoderRow{"korvel_request", false, korvel(0x1234, true, {0x01, 0x02}), {},
                   "Корвел: запрос, адрес 16, идентификатор 0x1234, данные: 01 02", false, true, 16},
        DecoderRow{"korvel_error", true, korvel(korvel_error_identifier, false, {0x27}), korvel(0x1234, true, {}),
                   "Корвел: ответ, адрес 16, ошибка прибора 0x27 (Неверная контрольная сумма кадра)", false, true, 16},
        DecoderRow{"korvel_damaged", true, [] {
                       auto frame = korvel(0x1234, false, {0x05});
                       frame[frame.size() - 2] = frame[frame.size() - 2] == 'G' ? 'H' : 'G';
                       return frame;
                   }(), {}, "Корвел: ошибка CRC или формата кадра", false, false, -1}));

TEST(FrameDecoderExceptions, EveryCodeHasItsMeaning)
{
    // A few meanings checked word for word, so that the table cannot slip by one.
    const std::pair<int, const char*> known[] = {{1, "Недопустимая функция"},
                                                 {2, "Недопустимый адрес данных"},
                                                 {6, "Ведомое устройство занято"},
                                                 {11, "Шлюз: целевое устройство не ответило"}};
    for (const auto& [code, meaning] : known)
        EXPECT_EQ(modbus_exception_text(code), meaning) << code;
    std::set<std::string_view> meanings;
    for (int code = 1; code <= 11; ++code) {
        const auto reply = with_crc({0x05, 0x83, static_cast<std::uint8_t>(code)});
        const auto decoded = decode_reply(reply, read_request);
        EXPECT_EQ(decoded.exception, code);
        EXPECT_TRUE(decoded.crc_ok);
        EXPECT_EQ(decoded.text, "Исключение " + std::to_string(code) + " (" +
                                    std::string(modbus_exception_text(code)) + "): адрес 5, функция 3");
        meanings.insert(modbus_exception_text(code));
    }
    // Every code but the undefined 9 has a meaning of its own.
    EXPECT_EQ(meanings.size(), 11u);
    EXPECT_EQ(modbus_exception_text(0), modbus_exception_text(9));
    EXPECT_EQ(modbus_exception_text(200), modbus_exception_text(9));
}

struct SplitRow {
    const char* name;
    Bytes bytes;
    std::vector<UnexplainedPart::Kind> kinds;
};

void PrintTo(const SplitRow& row, std::ostream* out) { *out << row.name; }

class UnexplainedBytes : public ::testing::TestWithParam<SplitRow> {};

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_P(UnexplainedBytes, AreToldApart)
{
    const auto parts = split_unexplained(GetParam().bytes, read_request);
    std::vector<UnexplainedPart::Kind> kinds;
    std::size_t covered = 0;
    for (const auto& part : parts) {
        kinds.push_back(part.kind);
        EXPECT_EQ(part.start, covered);
        covered += part.length;
    }
    EXPECT_EQ(covered, GetParam().bytes.size());
    EXPECT_EQ(kinds, GetParam().kinds);
}

using K = UnexplainedPart::Kind;
INSTANTIATE_TEST_SUITE_P(
    Gathered, UnexplainedBytes,
    ::testing::Values(SplitRow{"echo", read_request, {K::echo}},
                      SplitRow{"glitch_then_echo", concat({{0xFF}, read_request}), {K::stray, K::echo}},
                      SplitRow{"stale_frame_and_strays", concat({{0x00, 0xFF}, read_reply, {0xFE}}),
                               {K::stray, K::frame, K::stray}},
                      SplitRow{"damaged_reply", damaged(read_reply), {K::stray}},
                      SplitRow{"nothing", {}, {}}));

// The registers a request concerns: what the monitor's register filter goes by.
TEST(RequestRegisters, NameTheRegistersOfReadsAndWrites)
{
    const struct {
        const char* name;
        Bytes request;
        int first;
        int count;
    } rows[] = {
        {"read", read_request, 7, 2},
        {"read input", with_crc({0x05, 0x04, 0x01, 0x00, 0x00, 0x03}), 256, 3},
        {"write one", write_one, 0x20, 1},
        {"write many", write_many, 7, 2},
        {"other function", with_crc({0x05, 0x41, 0x01, 0x02, 0x03}), -1, 0},
        {"cut short", {0x05, 0x03, 0x00}, -1, 0},
        {"korvel", korvel(0x1234, true, {0x01}), -1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RegisterRange range = request_registers(row.request);
        EXPECT_EQ(range.first, row.first);
        EXPECT_EQ(range.count, row.count);
    }
}

} // namespace
} // namespace zr740
