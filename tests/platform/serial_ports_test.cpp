#include "platform/serial_ports.h"
#include "platform/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Builds a tty class folder the way the kernel lays it out: an entry per tty, a "device" link for
// those with hardware behind them, and a "type" attribute for serial-core ports.
class FakeSysfs {
public:
    explicit FakeSysfs(const fs::path& root) : root_(root / "sys" / "class" / "tty"), devices_(root / "sys" / "devices")
    {
        fs::create_directories(root_);
        fs::create_directories(devices_);
    }
    void tty(const std::string& name, bool with_device, std::optional<int> uart_type = std::nullopt)
    {
        auto entry = root_ / name;
        fs::create_directories(entry);
        if (with_device) {
            fs::create_directories(devices_ / name);
            fs::create_directory_symlink(devices_ / name, entry / "device");
        }
        if (uart_type)
            std::ofstream(entry / "type") << *uart_type << '\n';
    }
    void broken_device_link(const std::string& name)
    {
        fs::create_directories(root_ / name);
        fs::create_directory_symlink(devices_ / "gone", root_ / name / "device");
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
    fs::path devices_;
};

TEST(SerialPorts, ListsRealPortsAndStableLinks)
{
    TempDir dir;
    FakeSysfs sysfs(dir.path());
    sysfs.tty("ttyS0", true, 4);   // a 16550A
    sysfs.tty("ttyS1", true, 0);   // a slot with no UART
    sysfs.tty("ttyS2", true, 4);
    sysfs.tty("ttyS10", true, 4);
    sysfs.tty("ttyUSB0", true);
    sysfs.tty("ttyACM0", true);
    sysfs.tty("ttyAMA0", true, 32);
    sysfs.tty("tty0", false);
    sysfs.tty("ptmx", false);
    sysfs.tty("console", false);
    sysfs.tty("odd:name", true);
    sysfs.broken_device_link("ttyS3");

    auto dev = dir.path() / "dev";
    auto by_id = dev / "serial" / "by-id";
    fs::create_directories(by_id);
    fs::create_symlink("../../ttyUSB0", by_id / "usb-FTDI_FT232R_A1B2-if00-port0");
    fs::create_symlink("../../ttyACM0", by_id / "usb-odd:name-if00");

    const std::vector<std::string> expected = {
        (dev / "serial" / "by-id" / "usb-FTDI_FT232R_A1B2-if00-port0").string(),
        (dev / "ttyACM0").string(),
        (dev / "ttyAMA0").string(),
        (dev / "ttyS0").string(),
        (dev / "ttyS2").string(),
        (dev / "ttyS10").string(),
        (dev / "ttyUSB0").string(),
    };
    EXPECT_EQ(list_serial_ports(sysfs.root(), dev), expected);
}

TEST(SerialPorts, NoTreeNoPorts)
{
    TempDir dir;
    EXPECT_TRUE(list_serial_ports(dir.path() / "none", dir.path() / "dev").empty());
}

TEST(SerialPorts, JoinedWithColons)
{
    EXPECT_EQ(join_port_list({}), "");
    EXPECT_EQ(join_port_list({"/dev/ttyS0"}), "/dev/ttyS0");
    EXPECT_EQ(join_port_list({"/dev/ttyS0", "/dev/ttyUSB0", "COM3"}), "/dev/ttyS0:/dev/ttyUSB0:COM3");
}

TEST(SerialPorts, ComNamesAreAliasesOfTtyS)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"com12", "/dev/ttyS11"},
        {"Com3", "/dev/ttyS2"},
        {"COM01", "/dev/ttyS0"},
        {"COM0", "COM0"},
        {"COM", "COM"},
        {"COM1a", "COM1a"},
        {"COM-1", "COM-1"},
        {"COM 1", "COM 1"},
        {"COM99999999999999999999", "COM99999999999999999999"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"", ""},
    };
    for (auto [input, expected] : cases)
        EXPECT_EQ(port_alias(input), expected) << input;
}

} // namespace
} // namespace zr740
