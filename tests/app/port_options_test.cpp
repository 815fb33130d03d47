// The link settings of the command line as the texts the link parameters take.

#include "app/port_options.h"
#include "model/network_names.h"

#include <gtest/gtest.h>

namespace zr740 {
namespace {

using Texts = std::vector<std::pair<std::string_view, std::string>>;

TEST(PortOptions, TextsInTheOrderTheyAreWritten)
{
    namespace n = network_names;
    struct Case {
        void (*set)(CommandLineSettings& s); // on default settings
        bool with_port;
        Texts texts;
    };
    const Case cases[] = {
        {[](auto&) {}, true, {}},
        {[](auto& s) {
             s.port_number = 3; s.port_path = "/dev/ttyUSB0"; s.baud_rate = 19200; s.parity = Parity::even; s.address = "12";
             s.data_bits = 8; s.stop_bits = "2"; s.address_length = 11;
         },
         true,
         {{n::address, "12"},
          {n::address_length, "11"},
          {n::baud_rate, "19200"},
          {n::data_bits, "8"},
          {n::stop_bits, "2"},
          {n::parity, "Четность"},
          {n::port, "COM3"}}},
        // The instrument's own element takes no port.
        {[](auto& s) { s.port_number = 3; s.parity = Parity::odd; }, false, {{n::parity, "Нечетность"}}},
        {[](auto& s) { s.port_path = "/dev/ttyUSB0"; s.parity = Parity::none; },
         true,
         {{n::parity, "Отсутствует"}, {n::port, "/dev/ttyUSB0"}}},
    };
    for (const auto& c : cases) {
        CommandLineSettings settings;
        c.set(settings);
        EXPECT_EQ(port_setting_texts(settings, c.with_port), c.texts);
    }
}

} // namespace
} // namespace zr740
