// The command line of unattended runs: options and their values, the file argument, and the
// platform's path-friendly rules.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <tuple>

namespace zr740 {
namespace {

CmyCommandLineInfo parse(std::vector<std::string> arguments) { return CmyCommandLineInfo(arguments); }

TEST(CommandLine, OptionsAndFiles)
{
    struct Case {
        std::vector<std::string> arguments;
        std::uint32_t options;
        std::string file;
    };
    using namespace option_flags;
    const Case cases[] = {
        {{"-read/close", "line3.zr740"}, read | close | any, "line3.zr740"},
        {{"-READ/CLOSE", "Line3.ZR740"}, read | close | any, "Line3.ZR740"},
        {{"/read/close"}, read | close | any, ""},
        // An absolute path is a file unless every name in it is an option with its value.
        {{"/home/user/line3.zr740"}, 0, "/home/user/line3.zr740"},
        {{"-read/close", "/x/line3.zr740"}, read | close | any, "/x/line3.zr740"},
        {{"-read/close", "/test/line3.zr740"}, read | close | any, "/test/line3.zr740"},
        {{"-read", "/read/line3.zr740"}, read | any, "/read/line3.zr740"},
        {{"-read", "/x"}, read | any, "/x"},                   // "x" takes a value
        {{"-read", "/close:1/a.zr740"}, read | any, "/close:1/a.zr740"}, // "close" takes none
        {{"/x:10/y:5/close"}, close | any, ""},
        {{"/read/port:/dev/ttyUSB0", "a.zr740"}, read | port_settings | any, "a.zr740"},
        {{"/read/html:/var/www/p.html"}, read | any, ""},
        {{"/write", "/home/user/a.zr740", "/tmp/b.zr740"}, write | any, "/tmp/b.zr740"},
        {{"/ext"}, any, ""},
        // Unknown options only say that options were given; an empty token ends the argument.
        {{"-frobnicate"}, any, ""},
        {{"-read//close"}, read | any, ""},
        {{"-aply/calibrate"}, aply | calibrate | any, ""},
    };
    for (const auto& c : cases) {
        const auto info = parse(c.arguments);
        EXPECT_EQ(info.settings.options, c.options) << c.arguments[0];
        EXPECT_EQ(info.file_name, c.file) << c.arguments[0];
    }
}

TEST(CommandLine, UnknownOptionNamesAreKeptAsTyped)
{
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> unknown;
    } cases[] = {
        {{"-raed/close/port:/dev/ttyUSB0", "line3.zr740"}, {"raed"}},
        {{"-Read/Clsoe:1/BPS:9600"}, {"Clsoe"}},
        {{"-read", "-elog:/tmp/x.log", "-Frob/wrte"}, {"Frob", "wrte"}},
        // Names the program takes and ignores, and values of known options, are no unknown names.
        {{"-ext/read/autoread:maybe/prty:none"}, {}},
        // A path value runs to the end: what looks like options in it is part of the path.
        {{"-port:/dev/raed/close"}, {}},
        // An absolute path with unknown names in it is a file, not options.
        {{"/raed/close"}, {}},
        {{"-read//frob"}, {}},
    };
    for (const auto& c : cases) {
        const auto info = parse(c.arguments);
        EXPECT_EQ(info.unknown_options, c.unknown) << c.arguments[0];
    }
}

TEST(CommandLine, PortSettings)
{
    // "port" runs to the end of its argument, so it comes last.
    auto info = parse({"-bps:0x4B00/prty:even/0x0007:123456/len:8/sbit:1.5xx/alen:11/rs485:OFF/port:3"});
    const auto& s = info.settings;
    EXPECT_TRUE(s.options & option_flags::port_settings);
    EXPECT_EQ(s.port_number, 3);
    EXPECT_EQ(s.baud_rate, 19200);
    EXPECT_EQ(s.parity, Parity::even);
    EXPECT_EQ(s.address, "12345");
    EXPECT_EQ(s.data_bits, 8);
    EXPECT_EQ(s.stop_bits, "1.5x");
    EXPECT_EQ(s.address_length, 11);
    EXPECT_EQ(s.rs485, 2);

    // A path keeps its case and runs to the end of the argument.
    info = parse({"-read/port:/dev/serial/by-id/USB-Adapter_01"});
    EXPECT_EQ(info.settings.port_path, "/dev/serial/by-id/USB-Adapter_01");
    EXPECT_EQ(info.settings.port_number, 0);
    EXPECT_TRUE(info.settings.options & option_flags::read);

    // "prty" with another value drops the settings given before it, until a later one sets them.
    info = parse({"-port:2", "-prty:mark"});
    EXPECT_FALSE(info.settings.options & option_flags::port_settings);
    info = parse({"-port:2", "-prty:mark/bps:9600"});
    EXPECT_TRUE(info.settings.options & option_flags::port_settings);

    // Numbers that do not convert leave their setting unset.
    info = parse({"-bps:fast/len:x/w:wide"});
    EXPECT_EQ(info.settings.baud_rate, 0);
    EXPECT_EQ(info.settings.data_bits, 0);
    EXPECT_EQ(info.settings.placement, 0);
}

TEST(CommandLine, ModesLogAndExitEvent)
{
    auto info = parse({"-silent/autoread:on/test", "-elog:/tmp/Logs/Line3.log", "-exitevent:\"Line3Done\""});
    const auto modes = info.settings.modes;
    EXPECT_EQ(modes, mode_flags::auto_read_on | mode_flags::auto_read_off | mode_flags::immediate_write_off |
                         mode_flags::silent | mode_flags::test);
    EXPECT_EQ(info.error_log_path, "/tmp/Logs/Line3.log");
    EXPECT_EQ(info.exit_event_name, "line3done");

    info = parse({"-w:0/h:0/x:10/y:0x20"});
    EXPECT_EQ(info.settings.placement, placement_flags::x | placement_flags::y | placement_flags::width |
                                           placement_flags::height);
    EXPECT_EQ(info.settings.y, 32);
}

// Every option alone, with everything it sets compared: an option bound to the wrong field or flag
// shows here.
TEST(CommandLine, EachOptionSetsItsOwnField)
{
    using namespace option_flags;
    namespace modes = mode_flags;
    namespace place = placement_flags;
    struct Case {
        std::vector<std::string> arguments;
        void (*expect)(CommandLineSettings& s); // on default settings
        std::string elog{}, exit_event{}, html{}, trace{}, report{};
    };
    const Case cases[] = {
        {{"-port:7"}, [](auto& s) { s.options = any | port_settings; s.port_number = 7; }},
        {{"-port:7", "-port:\"/dev/ttyS1\""}, [](auto& s) { s.options = any | port_settings; s.port_path = "/dev/ttyS1"; }},
        {{"-port:/dev/ttyS1", "-port:4"}, [](auto& s) { s.options = any | port_settings; s.port_number = 4; }},
        {{"-prty:odd"}, [](auto& s) { s.options = any | port_settings; s.parity = Parity::odd; }},
        {{"-prty:NO"}, [](auto& s) { s.options = any | port_settings; s.parity = Parity::none; }},
        {{"-rs485:auto"}, [](auto& s) { s.options = any; s.rs485 = 1; }},
        {{"-rs485:on"}, [](auto& s) { s.options = any; s.rs485 = 3; }},
        {{"-rs485:yes"}, [](auto& s) { s.options = any; }},
        {{"-x:1/y:2/w:3/h:4"},
         [](auto& s) {
             s.options = any; s.placement = place::x | place::y | place::width | place::height;
             s.x = 1; s.y = 2; s.width = 3; s.height = 4;
         }},
        {{"-autoread:off"}, [](auto& s) { s.options = any; s.modes = modes::auto_read_off; }},
        {{"-autowrite:on"}, [](auto& s) { s.options = any; s.modes = modes::immediate_write_on; }},
        {{"-autowrite:off"}, [](auto& s) { s.options = any; s.modes = modes::immediate_write_off; }},
        {{"-write/aply"}, [](auto& s) { s.options = any | write | aply; }},
        {{"-WRITE/Verify/block"}, [](auto& s) { s.options = any | write; s.modes = modes::verify | modes::block_reads; }},
        {{"/read/block", "setup.zr740"}, [](auto& s) { s.options = any | read; s.modes = modes::block_reads; }},
        {{"-elog:\"/Srv/Err.log\""}, [](auto& s) { s.options = any; }, "/Srv/Err.log"},
        {{"-exitevent:Done"}, [](auto& s) { s.options = any; }, "", "done"},
        {{"-html:/Srv/Page.HTML"}, [](auto& s) { s.options = any; }, "", "", "/Srv/Page.HTML"},
        // A trace path keeps its case and runs on past "/" to the end of the argument.
        {{"-close/trace:/Srv/Line 3/Traffic.log"}, [](auto& s) { s.options = any | close; }, "", "", "", "/Srv/Line 3/Traffic.log"},
        // Commissioning writes and verifies; its report keeps its case and runs to the end too.
        {{"-Commission/repeat/report:/Srv/Line3.CSV"},
         [](auto& s) { s.options = any | commission | write | repeat; s.modes = modes::verify; }, "", "", "", "", "/Srv/Line3.CSV"},
    };
    const auto fields = [](const CommandLineSettings& s) {
        return std::tuple(s.options, int{s.placement}, int{s.modes}, int{s.port_number}, s.port_path, s.baud_rate,
                          s.parity, s.address, int{s.data_bits}, s.stop_bits, int{s.address_length},
                          int{s.rs485}, s.x, s.y, s.width, s.height);
    };
    for (const auto& c : cases) {
        const auto info = parse(c.arguments);
        CommandLineSettings expected;
        c.expect(expected);
        EXPECT_EQ(fields(info.settings), fields(expected)) << c.arguments.back();
        EXPECT_EQ(std::tie(info.error_log_path, info.exit_event_name, info.html_path, info.trace_path, info.report_path),
                  std::tie(c.elog, c.exit_event, c.html, c.trace, c.report))
            << c.arguments.back();
    }
}

TEST(CommandLine, APartialReadGoesBesideTheNamedFile)
{
    const std::pair<std::string, std::string> cases[] = {
        {"line3.zr740", "line3.partial.zr740"},
        {"/srv/line/Line3.ZR740", "/srv/line/Line3.partial.ZR740"},
        {"/srv/line/line3", "/srv/line/line3.partial.zr740"},
        {"/srv/v1.zr740/line3.cfg", "/srv/v1.zr740/line3.cfg.partial.zr740"},
    };
    for (const auto& [named, partial] : cases)
        EXPECT_EQ(partial_file_name(named), partial) << named;
}

} // namespace
} // namespace zr740
