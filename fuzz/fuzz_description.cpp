// Feeds arbitrary bytes to the description loader as a Windows-1251 text, with the version taken
// from the first two bytes: nothing may crash, hang or read out of bounds.

#include "description/description_loader.h"
#include "platform/shell.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class NullShell : public zr740::Shell {
public:
    void message(const std::string&, const std::string&, zr740::Icon, zr740::Owner) override {}
    bool ask_yes_no(const std::string&, const std::string&, zr740::Icon) override { return false; }
    void set_wait_cursor(bool) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    zr740::InstrumentVersion version;
    if (data[0] != 0xFF) {
        version.major = data[0] % 4;
        version.minor = data[1] % 10;
    }
    NullShell shell;
    zr740::DescriptionLists lists;
    zr740::PoutTable pout{};
    auto trees = zr740::parse_and_build(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), lists,
                                        version, pout, shell);
    if (trees.root)
        trees.root->for_each_parameter([](zr740::Parameter& p) { p.linear_index += 0; });
    return 0;
}
