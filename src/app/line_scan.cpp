#include "app/line_scan.h"

#include "link/device_io.h"
#include "link/modbus_frame.h"
#include "link/port_address.h"
#include "link/sio.h"
#include "link/frame_decoder.h"
#include "link/transaction_texts.h"
#include "app/scan_texts.h"
#include "model/parameter.h"
#include "model/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <mutex>

namespace zr740 {
namespace {

// The instrument's registers: its name, firmware version and serial number, each as text.
constexpr std::uint16_t name_register = 0x0000;
constexpr std::uint16_t name_count = 4;
constexpr std::uint16_t version_register = 0x0004;
constexpr std::uint16_t version_count = 3;
constexpr std::uint16_t serial_register = 0x0040;
constexpr std::uint16_t serial_count = 4;
// The second questions of an address that answered may take the usual time.
constexpr int answered_timeout_ms = 300;

// Register bytes as the text they hold: printable ASCII, blanks and NULs at the end dropped.
std::string register_text(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (const auto byte : bytes)
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Register bytes decoded as the program decodes the parameter (the name and version as the link
// check reads them; the serial number by its type in the description), blanks at the end dropped.
std::string decoded_text(std::uint16_t first, std::uint16_t count, const char* type,
                         const std::vector<std::uint8_t>& payload)
{
    Parameter parameter(first, static_cast<std::uint8_t>(count), 3);
    if (type)
        parameter.type_text = type;
    if (parameter.accept_reply(payload, 3) == 0)
        return register_text(payload);
    std::string text = parameter.value_text;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

// A name as register_text() gives it back.
std::string register_text_of(std::string_view name)
{
    return register_text(std::vector<std::uint8_t>(name.begin(), name.end()));
}

std::string_view parity_word(Parity parity)
{
    switch (parity) {
    case Parity::even: return "even";
    case Parity::odd: return "odd";
    case Parity::none: break;
    }
    return "no";
}

std::string csv_field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    return "\"" + replace_all(text, "\"", "\"\"") + "\"";
}

} // namespace

int LineScan::probe_timeout_ms(double character_ms, int network_latency_ms)
{
    // The silence is counted from the request's handing to the driver: its 8 characters are still
    // on their way then. The reply's own length does not count (each byte restarts the silence);
    // 30 ms is a generous turnaround for a slave.
    return static_cast<int>(std::ceil(8.0 * character_ms)) + 30 + std::max(network_latency_ms, 0);
}

std::vector<int> LineScan::offered_rates(const Parameter* baud_rate)
{
    std::vector<int> rates;
    if (baud_rate) {
        for (const auto& item : split_items(baud_rate->type_text)) {
            if (item.empty())
                break;
            int rate = 0;
            const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), rate);
            if (error == std::errc() && end == item.data() + item.size() && rate > 0)
                rates.push_back(rate);
        }
    }
    if (rates.empty())
        rates.push_back(9600);
    return rates;
}

void LineScan::stop()
{
    std::lock_guard lock(running_mutex_);
    stopping_ = true;
    if (running_)
        link_.sio().abort();
}

FoundInstrument LineScan::ask(int address, int baud_rate, Parity parity, std::vector<std::uint8_t>& payload)
{
    FoundInstrument found = ask_instrument(
        link_, address,
        probe_timeout_ms(link_.sio().character_time, link_.sio().is_network() ? link_.sio().network_latency : 0),
        payload);
    found.baud_rate = baud_rate;
    found.parity = parity;
    return found;
}

FoundInstrument ask_instrument(DeviceIO& link, int address, int timeout_ms, std::vector<std::uint8_t>& payload)
{
    FoundInstrument found;
    found.address = address;
    found.baud_rate = link.sio().baud_rate;
    found.parity = parity_of_line_code(link.sio().parity_code).value_or(Parity::none);
    const int first = link.probe_registers(static_cast<std::uint8_t>(address), name_register, name_count, timeout_ms,
                                           payload);
    if (first == transfer_timeout || first == transfer_aborted || first == transfer_line_error ||
        first == transfer_too_long || first == ModbusFrame::wrong_address)
        return {}; // nobody there, or nobody understood
    if (first == 0) {
        found.name = decoded_text(name_register, name_count, nullptr, payload);
        found.zr740 = equals_no_case(found.name, register_text_of(texts::identification_current)) ||
                      equals_no_case(found.name, register_text_of(texts::identification_old));
    } else if (first > 0 && first < 256) {
        found.name = replace_all(replace_all(texts::scan_exception, "%i", std::to_string(first)), "%s",
                                 modbus_exception_text(first));
    } else {
        found.name = std::string(texts::scan_not_understood);
    }
    if (link.probe_registers(static_cast<std::uint8_t>(address), version_register, version_count,
                             std::max(timeout_ms, answered_timeout_ms), payload) == 0)
        found.version = decoded_text(version_register, version_count, nullptr, payload);
    if (link.probe_registers(static_cast<std::uint8_t>(address), serial_register, serial_count,
                             std::max(timeout_ms, answered_timeout_ms), payload) == 0)
        found.serial = decoded_text(serial_register, serial_count, "string", payload);
    return found;
}

LineScan::Outcome LineScan::run(const LineScanOptions& options,
                                const std::function<void(const FoundInstrument&)>& found,
                                const std::function<void(int, int)>& progress)
{
    std::lock_guard port(link_.port_lock());
    {
        std::lock_guard lock(running_mutex_);
        running_ = true;
    }
    // Whatever happens below, the line is not left aborted by this scan.
    struct Ending {
        LineScan& scan;
        ~Ending()
        {
            std::lock_guard lock(scan.running_mutex_);
            scan.running_ = false;
            scan.link_.sio().reset_abort();
        }
    } ending{*this};
    // A stop meant for something else earlier must not end this scan's first attempt.
    link_.sio().reset_abort();
    // A line never opened (working offline) has not taken the program's link settings yet: the
    // port, its parity and the network's latency come from them.
    if (!link_.sio().is_open())
        link_.load_link_settings();
    const int first = std::clamp(options.first_address, 1, 247);
    const int last = std::clamp(options.last_address, first, 247);
    const int per_rate = last - first + 1;
    // Behind a network end the line's rate is set at the far end: one pass, at the configured rate.
    std::vector<int> rates = options.baud_rates;
    if (names_network_end(link_.sio().port_name) || rates.empty())
        rates = {link_.sio().baud_rate};
    const int total = per_rate * static_cast<int>(rates.size());
    const Parity parity = parity_of_line_code(link_.sio().parity_code).value_or(Parity::none);
    std::vector<std::uint8_t> payload;
    int done = 0;
    for (const int baud_rate : rates) {
        if (stopping_)
            break;
        if (link_.reopen_at(baud_rate) != 0) {
            port_error_ = link_.sio().open_error();
            link_.close_port();
            return Outcome::port_failed;
        }
        for (int address = first; address <= last && !stopping_; ++address) {
            const FoundInstrument instrument = ask(address, baud_rate, parity, payload);
            if (instrument.address != 0 && found)
                found(instrument);
            if (progress)
                progress(++done, total);
        }
    }
    return stopping_ ? Outcome::stopped : Outcome::finished;
}

std::string found_instruments_header()
{
    return "address,baud,parity,name,version,serial";
}

std::string found_instrument_line(const FoundInstrument& found)
{
    return std::to_string(found.address) + "," + std::to_string(found.baud_rate) + "," +
           std::string(parity_word(found.parity)) + "," + csv_field(found.name) + "," + csv_field(found.version) +
           "," + csv_field(found.serial);
}

} // namespace zr740
