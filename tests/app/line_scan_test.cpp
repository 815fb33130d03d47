// The search's command line and its CSV: what a production script parses.

#include "app/line_scan.h"
#include "app/scan_command.h"
#include "model/parameter.h"

#include <gtest/gtest.h>

namespace zr740 {
namespace {

TEST(ScanCommand, ReadsItsOptionsAndRefusesWhatItDoesNotKnow)
{
    const struct {
        std::vector<std::string> arguments;
        bool valid;
        int first;
        int last;
        std::vector<int> rates;
        const char* message;
    } rows[] = {
        {{"--scan", "/dev/ttyUSB0"}, true, 1, 247, {}, ""},
        {{"--scan", "tcp://10.0.0.5:4001", "--address", "5-9"}, true, 5, 9, {}, ""},
        {{"--scan", "COM2", "--address", "16", "--baud", "9600,19200"}, true, 16, 16, {9600, 19200}, ""},
        {{"--scan"}, false, 0, 0, {}, "Использование"},
        {{"--scan", "--address", "1-5"}, false, 0, 0, {}, "Использование"},
        {{"--scan", "/dev/ttyS0", "--address", "0-10"}, false, 0, 0, {}, "0-10"},
        {{"--scan", "/dev/ttyS0", "--address", "9-3"}, false, 0, 0, {}, "9-3"},
        {{"--scan", "/dev/ttyS0", "--address", "1-248"}, false, 0, 0, {}, "1-248"},
        {{"--scan", "/dev/ttyS0", "--address"}, false, 0, 0, {}, "--address"},
        {{"--scan", "/dev/ttyS0", "--baud", "9600,fast"}, false, 0, 0, {}, "9600,fast"},
        {{"--scan", "/dev/ttyS0", "--baud", "300"}, false, 0, 0, {}, "300"},
        {{"--scan", "/dev/ttyS0", "--parity", "even"}, false, 0, 0, {}, "--parity"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        ScanCommand command;
        std::string error;
        ASSERT_EQ(parse_scan_command(row.arguments, command, error), row.valid) << error;
        if (row.valid) {
            EXPECT_EQ(command.port, row.arguments[1]);
            EXPECT_EQ(command.first_address, row.first);
            EXPECT_EQ(command.last_address, row.last);
            EXPECT_EQ(command.baud_rates, row.rates);
        } else {
            EXPECT_NE(error.find(row.message), std::string::npos) << error;
        }
    }
}

TEST(LineScanRates, OfferedAreTheSettingsWholeNumbersUpToTheFirstEmptyItem)
{
    const struct {
        const char* type_text; // null: no baud-rate setting at all
        std::vector<int> rates;
    } rows[] = {
        {"2400:4800:9600", {2400, 4800, 9600}},
        {"9600::19200", {9600}},
        {"9600:fast:0:-1:19200x:38400", {9600, 38400}},
        {"", {9600}},
        {"int", {9600}},
        {nullptr, {9600}},
    };
    for (const auto& row : rows) {
        Parameter baud("0x0009");
        if (row.type_text)
            baud.type_text = row.type_text;
        EXPECT_EQ(LineScan::offered_rates(row.type_text ? &baud : nullptr), row.rates)
            << (row.type_text ? row.type_text : "none");
    }
}

TEST(FoundInstruments, AreCsvLinesWithTextsQuotedWhereNeeded)
{
    EXPECT_EQ(found_instruments_header(), "address,baud,parity,name,version,serial");
    const struct {
        FoundInstrument found;
        const char* line;
    } rows[] = {
        {{16, 9600, Parity::none, "ZR740_RS", "1.5", "A1234567", true}, "16,9600,no,ZR740_RS,1.5,A1234567"},
        {{3, 19200, Parity::even, "исключение 2 (Недопустимый адрес данных)", "", "", false},
         "3,19200,even,исключение 2 (Недопустимый адрес данных),,"},
        {{7, 2400, Parity::odd, "PT, \"100\"", "", "", false}, "7,2400,odd,\"PT, \"\"100\"\"\",,"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(found_instrument_line(row.found), row.line);
}

TEST(FoundInstruments, ASilentAddressCostsLittleAtEveryRate)
{
    // At 9600 baud a silent address must cost well under 60 ms; over the network the latency adds.
    EXPECT_LE(LineScan::probe_timeout_ms(1.146, 0), 45);
    EXPECT_EQ(LineScan::probe_timeout_ms(1.146, 300), LineScan::probe_timeout_ms(1.146, 0) + 300);
    EXPECT_GT(LineScan::probe_timeout_ms(9.17, 0), LineScan::probe_timeout_ms(1.146, 0)); // 1200 baud
}

} // namespace
} // namespace zr740
