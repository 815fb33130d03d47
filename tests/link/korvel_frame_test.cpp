#include "link/korvel_frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view text)
{
    return {text.begin(), text.end()};
}

// The binary form behind a line, for checking single fields.
std::vector<std::uint8_t> binary_of(const std::string& line)
{
    std::vector<std::uint8_t> binary;
    for (std::size_t i = 1; i + 2 < line.size(); i += 2)
        binary.push_back(static_cast<std::uint8_t>(((line[i] - 'G') << 4) | (line[i + 1] - 'G')));
    return binary;
}

TEST(KorvelCrc, MatchesCheckValueAndHonoursStart)
{
    const auto text = bytes_of("123456789");
    EXPECT_EQ(korvel_crc16(text), 0xB581);
    EXPECT_EQ(korvel_crc16({}, 0x1234), 0x1234);
    // Continuing from the CRC of a prefix gives the CRC of the whole.
    const std::span<const std::uint8_t> all(text);
    EXPECT_EQ(korvel_crc16(all.subspan(4), korvel_crc16(all.first(4))), 0xB581);
}

TEST(KorvelEncode, WritesKnownFrames)
{
    struct Row {
        int address;
        int address_length;
        int offset;
        bool request_bit;
        std::uint16_t identifier;
        std::vector<std::uint8_t> data;
        std::string_view line;
    };
    const Row rows[] = {
        {16, 8, 0, true, 0x0107, {}, "#HGHGGHGNPMIP\r"},
        // Letters: 0x5A is "LQ", 0x00 "GG", 0xFF "VV".
        {16, 8, 0, false, 0x0107, {0x5A, 0x00, 0xFF}, "#HGGJGHGNLQGGVVUIGP\r"},
        {14, 8, 2, false, 0x0107, {0x5A, 0x00, 0xFF}, "#HGGJGHGNLQGGVVUIGP\r"},
        // 11 bits: 0x123 is byte 0 = 0x24, top bits of byte 1 = 3.
        {0x123, 11, 0, true, 0x1234, {}, "#IKNGHIJKQKOR\r"},
        // Offset -1 is address 255 whatever the link's address.
        {16, 8, -1, false, 0x0233, {0x3A}, "#VVGHGIJJJQNIVN\r"},
        {16, 11, -1, true, 0x0233, {0xFF}, "#HVVHGIJJVVKIIL\r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        std::string line;
        ASSERT_TRUE(korvel_encode({row.address, row.address_length}, row.offset, row.request_bit, row.identifier,
                                  row.data, line));
        EXPECT_EQ(line, row.line);
        EXPECT_EQ(line.size(), 2 * row.data.size() + 14);
    }
}

TEST(KorvelEncode, PlacesAddressRequestBitAndLength)
{
    struct Row {
        int address;
        int address_length;
        int offset;
        bool request_bit;
        std::size_t length;
        std::uint8_t byte0;
        std::uint8_t byte1;
    };
    const Row rows[] = {
        {0x7FF, 11, 0, true, 15, 0xFF, 0xFF},
        {0x007, 11, 0, false, 1, 0x00, 0xE1},
        {0x120, 11, 3, false, 2, 0x24, 0x62},
        {0xA5, 8, 0, true, 7, 0xA5, 0x17},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.address << "/" << row.address_length << " offset " << row.offset);
        std::string line;
        ASSERT_TRUE(korvel_encode({row.address, row.address_length}, row.offset, row.request_bit, 0x0102,
                                  std::vector<std::uint8_t>(row.length, 0x11), line));
        ASSERT_EQ(line.size(), 2 * row.length + 14);
        const auto binary = binary_of(line);
        EXPECT_EQ(binary[0], row.byte0);
        EXPECT_EQ(binary[1], row.byte1);
        EXPECT_EQ(binary[2], 0x01);
        EXPECT_EQ(binary[3], 0x02);
    }
}

TEST(KorvelEncode, RefusesWhatCannotBeSent)
{
    struct Row {
        int address;
        int address_length;
        int offset;
        std::size_t length;
    };
    const Row rows[] = {
        {16, 8, 0, 16},    // more than 15 data bytes
        {250, 8, 6, 0},    // 256 needs more than 8 bits
        {0x7FF, 11, 1, 0}, // 2048 needs more than 11 bits
        {0, 8, -2, 0},     // negative
        {16, 9, 0, 0},     // no such address length
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.address << "+" << row.offset << "/" << row.address_length);
        std::string line = "stale";
        EXPECT_FALSE(korvel_encode({row.address, row.address_length}, row.offset, false, 0x0107,
                                   std::vector<std::uint8_t>(row.length, 0), line));
        EXPECT_TRUE(line.empty());
    }
}

TEST(KorvelDecode, RoundTripsWhatTheEncoderWrites)
{
    for (const int address_length : {8, 11}) {
        for (std::size_t length = 0; length <= 15; ++length) {
            std::vector<std::uint8_t> data;
            for (std::size_t i = 0; i < length; ++i)
                data.push_back(static_cast<std::uint8_t>(0x5A + 37 * i));
            const std::uint16_t identifier = static_cast<std::uint16_t>(0x8000 | (length << 8) | address_length);
            std::string line;
            ASSERT_TRUE(korvel_encode({200, address_length}, 0, length % 2 == 0, identifier, data, line));

            KorvelReply reply;
            std::string message = "unchanged";
            EXPECT_EQ(korvel_decode(bytes_of(line), identifier, reply, message), KorvelVerdict::success);
            EXPECT_EQ(reply.identifier, identifier);
            EXPECT_EQ(reply.data, data);
            EXPECT_EQ(message, "unchanged");
        }
    }
}

TEST(KorvelDecode, GivesVerdictAndMessage)
{
    const std::string bad_crc = "Ошибка в контрольной сумме ответа";
    const std::string foreign = "Пришла посылка с кодом команды, отличным от посланной и от n.Err.\n";
    struct Row {
        std::string_view received;
        std::uint16_t request_identifier;
        KorvelVerdict verdict;
        std::uint16_t identifier;
        std::vector<std::uint8_t> data;
        std::string message;
    };
    const Row rows[] = {
        {"#HGHGGHGNPMIP\r", 0x0107, KorvelVerdict::success, 0x0107, {}, "unchanged"},
        {"#HGGJGHGNLQGGVVUIGP\r", 0x0107, KorvelVerdict::success, 0x0107, {0x5A, 0x00, 0xFF}, "unchanged"},
        // Address bits, request bit and the closing character are not examined.
        {"#IKNGHIJKQKOR\r", 0x1234, KorvelVerdict::success, 0x1234, {}, "unchanged"},
        {"#HGHGGHGNPMIP\n", 0x0107, KorvelVerdict::success, 0x0107, {}, "unchanged"},
        // An odd letter before the closing character is dropped.
        {"#HGHGGHGNPMIPX\r", 0x0107, KorvelVerdict::success, 0x0107, {}, "unchanged"},
        // n.Err: the code travels in the data; the caller picks the text.
        {"#VVGHGIJJJQNIVN\r", 0x0107, KorvelVerdict::instrument_error, 0x0233, {0x3A}, "unchanged"},
        {"#HGGGGIJJGRLI\r", 0x0107, KorvelVerdict::instrument_error, 0x0233, {}, "unchanged"},
        {"#HGHGGHGNPMIP\r", 0x0108, KorvelVerdict::foreign_identifier, 0x0107, {}, foreign},
        // Checksum mismatch: one letter changed, or one letter outside G..V.
        {"#HGHGGHGNPMIQ\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#HGHGGHGNPMIF\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#HGHGGHGNPMIW\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#HG\x80GGHGNPMIP\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        // Surplus bytes after the CRC.
        {"#HGHGGHGNPMIPGG\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        // Truncated: shorter than header and CRC, or than the data the header announces.
        {"#HGHGGHGNPM\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#HGGJGHGNLQGG\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#HGGJGHGNLQGGVVU\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"#", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        // Not a frame start.
        {"HGHGGHGNPMIP\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
        {"$HGHGGHGNPMIP\r", 0x0107, KorvelVerdict::bad_crc, 0, {}, bad_crc},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.received);
        KorvelReply reply{0xBEEF, {1, 2, 3}};
        std::string message = "unchanged";
        EXPECT_EQ(korvel_decode(bytes_of(row.received), row.request_identifier, reply, message), row.verdict);
        EXPECT_EQ(reply.identifier, row.identifier);
        EXPECT_EQ(reply.data, row.data);
        EXPECT_EQ(message, row.message);
    }
}

TEST(KorvelDeviceError, TextsOfTheInstrumentCodes)
{
    const std::string group = "Запрещающий групповой атрибут находится на уровне ";
    struct Row {
        int code;
        std::string text;
    };
    const Row rows[] = {
        {0x00, "Безошибочный прием кадра"},
        {0x07, "Несанкционированная попытка редактирования Атрибутов (попытка изменить атрибут пользователем, когда "
               "он не является хозяином параметра)"},
        {0x29, "Не найдена сетевая функция, хотя дескриптор найден!!!\t\t\t\t\t\t\t  В нормальном приборе эта ошибка "
               "встречаться НЕ ДОЛЖНА!!!"},
        {0x35, "Индекс параметра превышает ограничитель индекса"},
        {0x36, "Индекс параметра превышает ограничитель индекса"},
        {0x37, "Данный код не используется (прибор отверг записываемое значение)"},
        {0x38, group + "0 (в корне)"},
        {0x39, group + "1"},
        {0x3A, group + "2"},
        {0x3F, group + "7"},
        {0x41, "выполняется другая задача (Сегмент COMMON занят)"},
        {0x4B, "Ошибка выполнения функции PrevWriteActions()"},
        // Codes without a text, shown as signed bytes.
        {0x01, "Не найдено значение ошибки. (Код 1)"},
        {0x40, "Не найдено значение ошибки. (Код 64)"},
        {0x4C, "Не найдено значение ошибки. (Код 76)"},
        {0x7F, "Не найдено значение ошибки. (Код 127)"},
        {-1, "Не найдено значение ошибки. (Код -1)"},
        {-128, "Не найдено значение ошибки. (Код -128)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(korvel_device_error_text(static_cast<std::int8_t>(row.code)), row.text);
    }

    // 0x00, 0x02..0x08, 0x21..0x29, 0x30..0x3F, 0x41..0x4B have their own texts; no other code does.
    int known = 0;
    for (int code = -128; code <= 127; ++code) {
        if (korvel_device_error_text(static_cast<std::int8_t>(code)).starts_with("Не найдено значение ошибки."))
            continue;
        ++known;
    }
    EXPECT_EQ(known, 1 + 7 + 9 + 16 + 11);
}

} // namespace
} // namespace zr740
