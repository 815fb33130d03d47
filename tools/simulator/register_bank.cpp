#include "simulator/register_bank.h"

#include "description/description_loader.h"
#include "link/register_layout.h"
#include "model/c_numbers.h"
#include "model/text.h"
#include "model/value_types.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zr740::sim {
namespace {

// The firmware version as the identification exchange reads it: the first two tokens of the
// text split at "." and blank.
InstrumentVersion parse_version(const std::string& text)
{
    InstrumentVersion version;
    std::string tokens = text;
    std::replace(tokens.begin(), tokens.end(), '.', ' ');
    const auto fields = split_fields(tokens);
    if (!fields.empty())
        version.major = static_cast<int>(scan_c_integer(fields[0]).value_or(0));
    if (fields.size() > 1)
        version.minor = static_cast<int>(scan_c_integer(fields[1]).value_or(0));
    return version;
}

std::uint16_t text_register(const std::string& text, std::size_t pair)
{
    const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '}; };
    return static_cast<std::uint16_t>((at(2 * pair) << 8) | at(2 * pair + 1));
}

} // namespace

std::chrono::nanoseconds character_time(const NetworkSettings& settings)
{
    const int bits = 1 + settings.data_bits + (settings.parity != 0 ? 1 : 0) + settings.stop_bits;
    const int baud = std::max(settings.baud, 1);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(bits) * 1'000'000'000 / baud);
}

bool RegisterBank::load(const std::string& path, int variant, const std::string& firmware, Shell& shell,
                        std::string& error)
{
    DescriptionLists lists;
    PoutTable pout{};
    LoadedTrees trees;
    if (!load_description_file(path, variant, lists, parse_version(firmware), pout, shell, trees) || !trees.root) {
        error = "no description of variant " + std::to_string(variant) + " in " + path;
        return false;
    }
    *this = RegisterBank{};
    trees.root->for_each_parameter([&](Parameter& p) { add_parameter(p); });
    if (trees.scanners) {
        trees.scanners->for_each_parameter([&](Parameter& p) {
            add_parameter(p);
            const auto first = register_number_from_name(p.name);
            for (unsigned i = 0; i < std::max<unsigned>(p.register_count, 1); ++i)
                live_.insert(static_cast<std::uint16_t>(first + i));
        });
    }
    set_identification(variant, firmware);
    for (const auto number : {reg::apply, reg::factory})
        write_only_.insert(number);
    for (const auto first : {reg::offset_correction, reg::range_correction}) {
        write_only_.insert(first);
        write_only_.insert(static_cast<std::uint16_t>(first + 1));
    }
    for (const auto number : write_only_)
        values_.emplace(number, 0);
    capture_factory();
    return true;
}

void RegisterBank::add_parameter(const Parameter& described)
{
    if (!described.exchangeable)
        return; // kept in configuration files only, never on the wire
    Parameter parameter = described;
    parameter.register_number = register_number_from_name(parameter.name);
    const std::uint8_t count = std::max<std::uint8_t>(parameter.register_count, 1);
    const auto first = parameter.register_number;
    for (unsigned i = 0; i < count; ++i)
        values_.emplace(static_cast<std::uint16_t>(first + i), 0);
    if (!parameter.init_text.empty()) {
        parameter.value_text = parameter.init_text;
        std::array<std::uint8_t, 4> raw{};
        int length = 0;
        if (parameter.encode(raw, length) == 1)
            place_factory(first, parameter.register_count, raw, length);
    }
    parameters_.insert_or_assign(first, std::move(parameter));
}

// The instrument's own factory contents: held exactly as the program's write of the same value
// would leave them.
void RegisterBank::place_factory(std::uint16_t first, std::uint8_t count, const std::array<std::uint8_t, 4>& raw,
                                 int length)
{
    place_write(first, count, raw, length);
}

// Stores what the program's write request carries, as the instrument does: function 6 puts its
// 16-bit value into the register, function 16 its data bytes into the registers, high byte first.
void RegisterBank::place_write(std::uint16_t first, std::uint8_t count, const std::array<std::uint8_t, 4>& raw,
                               int length)
{
    const WriteRequest request = build_write_request(first, count, raw, length);
    const auto& d = request.data;
    if (request.function == 6) {
        set(first, static_cast<std::uint16_t>((d[2] << 8) | d[3]));
    } else if (request.function == 16) {
        for (std::size_t i = 0; 5 + 2 * i + 1 < d.size(); ++i)
            set(static_cast<std::uint16_t>(first + i), static_cast<std::uint16_t>((d[5 + 2 * i] << 8) | d[6 + 2 * i]));
    }
}

void RegisterBank::set_identification(int variant, const std::string& firmware)
{
    const std::string name = variant == 1 ? "ZR740   " : "ZR740_RS";
    std::string version = firmware.substr(0, 6);
    version.resize(6, ' ');
    for (std::size_t i = 0; i < 4; ++i) {
        const auto number = static_cast<std::uint16_t>(reg::name + i);
        values_[number] = text_register(name, i);
        read_only_.insert(number);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const auto number = static_cast<std::uint16_t>(reg::version + i);
        values_[number] = text_register(version, i);
        read_only_.insert(number);
    }
}

bool RegisterBank::readable(std::uint16_t first, std::uint16_t count) const
{
    for (unsigned i = 0; i < count; ++i) {
        const auto number = first + i;
        if (number > 0xFFFF || !values_.contains(static_cast<std::uint16_t>(number)) ||
            write_only_.contains(static_cast<std::uint16_t>(number)))
            return false;
    }
    return true;
}

bool RegisterBank::writable(std::uint16_t first, std::uint16_t count) const
{
    for (unsigned i = 0; i < count; ++i) {
        const auto number = first + i;
        if (number > 0xFFFF || !values_.contains(static_cast<std::uint16_t>(number)) ||
            read_only_.contains(static_cast<std::uint16_t>(number)))
            return false;
    }
    return true;
}

std::optional<std::uint16_t> RegisterBank::get(std::uint16_t number) const
{
    const auto found = values_.find(number);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void RegisterBank::set(std::uint16_t number, std::uint16_t value)
{
    if (auto found = values_.find(number); found != values_.end())
        found->second = value;
}

void RegisterBank::set_float(std::uint16_t number, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    set(number, static_cast<std::uint16_t>(bits >> 16));
    set(static_cast<std::uint16_t>(number + 1), static_cast<std::uint16_t>(bits & 0xFFFF));
}

std::optional<float> RegisterBank::get_float(std::uint16_t number) const
{
    const auto high = get(number);
    const auto low = get(static_cast<std::uint16_t>(number + 1));
    if (!high || !low)
        return std::nullopt;
    return std::bit_cast<float>((std::uint32_t{*high} << 16) | *low);
}

std::optional<std::uint8_t> RegisterBank::parameter_at(std::uint16_t first) const
{
    if (first == reg::name)
        return 4;
    if (first == reg::version)
        return 3;
    const auto found = parameters_.find(first);
    if (found == parameters_.end())
        return std::nullopt;
    return std::max<std::uint8_t>(found->second.register_count, 1);
}

std::optional<std::string> RegisterBank::read_value(std::uint16_t first) const
{
    const auto found = parameters_.find(first);
    if (found == parameters_.end())
        return std::nullopt;
    Parameter parameter = found->second;
    std::vector<std::uint8_t> bytes;
    for (unsigned i = 0; i < std::max<unsigned>(parameter.register_count, 1); ++i) {
        const auto value = get(static_cast<std::uint16_t>(first + i)).value_or(0);
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    }
    std::string text;
    if (parameter.decode(bytes, text, 3) != 1)
        return std::nullopt;
    return text;
}

bool RegisterBank::write_value(std::uint16_t first, const std::string& text)
{
    const auto found = parameters_.find(first);
    if (found == parameters_.end())
        return false;
    Parameter parameter = found->second;
    parameter.value_text = text;
    std::array<std::uint8_t, 4> raw{};
    int length = 0;
    if (parameter.encode(raw, length) != 1)
        return false;
    place_write(first, parameter.register_count, raw, length);
    return true;
}

bool RegisterBank::store_text(std::uint16_t first, const std::string& text)
{
    const auto found = parameters_.find(first);
    if (found == parameters_.end() || !equals_no_case(found->second.base_type(), "string"))
        return false;
    const std::size_t length = 2u * std::max<std::uint8_t>(found->second.register_count, 1);
    std::string bytes = utf8_to_cp1251(text);
    bytes.resize(length, '\0');
    std::reverse(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < length / 2; ++i) {
        const auto high = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto low = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        set(static_cast<std::uint16_t>(first + i), static_cast<std::uint16_t>((high << 8) | low));
    }
    return true;
}

NetworkSettings RegisterBank::network(const NetworkSettings& current) const
{
    NetworkSettings settings = current;
    const auto number = [&](std::uint16_t first) -> std::optional<long> {
        const auto text = read_value(first);
        if (!text)
            return std::nullopt;
        return scan_c_integer(*text);
    };
    if (const auto address = number(reg::address); address && *address >= 1 && *address <= 247)
        settings.address = static_cast<int>(*address);
    if (const auto baud = number(reg::baud); baud && *baud > 0)
        settings.baud = static_cast<int>(*baud);
    if (const auto bits = number(reg::data_bits); bits && *bits >= 5 && *bits <= 8)
        settings.data_bits = static_cast<int>(*bits);
    if (const auto stops = number(reg::stop_bits); stops && (*stops == 1 || *stops == 2))
        settings.stop_bits = static_cast<int>(*stops);
    if (const auto text = read_value(reg::parity)) {
        const auto items = type_items(parameters_.at(reg::parity).type_text);
        const auto found = std::find(items.begin(), items.end(), *text);
        if (found != items.end() && found - items.begin() <= 2)
            settings.parity = static_cast<int>(found - items.begin());
    }
    return settings;
}

void RegisterBank::reset_to_factory() { values_ = factory_; }

void RegisterBank::capture_factory() { factory_ = values_; }

} // namespace zr740::sim
