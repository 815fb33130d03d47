#include "link/device_io.h"

#include "link/korvel_frame.h"
#include "link/modbus_frame.h"
#include "link/read_blocks.h"
#include "link/register_layout.h"
#include "link/transaction_texts.h"
#include "model/c_numbers.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/parity.h"
#include "model/text.h"
#include "model/value_types.h"
#include "platform/run_state.h"
#include "platform/shell.h"

#include <algorithm>
#include <array>

namespace zr740 {
namespace {

constexpr int max_timeouts = 2;     // a time-out is retried once
constexpr int max_line_errors = 17; // a line error is retried up to 16 times
constexpr int max_lost_starts = 11; // a reply without "#" is retried up to 10 times
constexpr int min_slave_address = 1;
constexpr int max_slave_address = 247;

std::string fill_percent_s(std::string_view pattern, std::string_view value)
{
    return replace_all(pattern, "%s", value);
}

} // namespace

DeviceIO::DeviceIO(RunState& run, Shell& shell, Settings& settings, std::vector<std::string> serial_ports)
    : run_(run), shell_(shell), link_settings_(std::make_unique<NetRS485prg>(settings, std::move(serial_ports)))
{
    sio_.set_activity_flag(&run_.activity);
    sio_.set_trace(&trace_);
    trace_.open_from_environment();
}

DeviceIO::~DeviceIO() = default;

int DeviceIO::read_registers(Parameter& parameter, bool write)
{
    if (!sio_.is_open()) {
        parameter.status_text = texts::port_open_failed;
        return -1;
    }
    parameter.register_number = register_number_from_name(parameter.name);

    std::uint8_t function = 3;
    std::vector<std::uint8_t> data;
    if (write) {
        std::string refusal;
        auto request = encode_write(parameter, refusal);
        if (!request) {
            parameter.status_text = std::move(refusal);
            return value_refused;
        }
        function = request->function;
        data = std::move(request->data);
    } else {
        data = build_read_request(parameter.register_number, parameter.register_count);
    }

    run_.activity = 1;
    parameter.status_text.clear();
    const bool broadcast = parameter.scanner_channel == 255;
    std::vector<std::uint8_t> payload;
    if (modbus_transaction(function, data, payload, broadcast) == ModbusFrame::refused) {
        // Nothing went out: address 0 would reach every instrument on the bus.
        if (broadcast)
            parameter.scanner_channel = 0;
        parameter.status_text = replace_all(texts::address_out_of_range, "%i", std::to_string(sio_.address));
        return 2;
    }

    if (broadcast) {
        parameter.scanner_channel = 0;
    } else if (parameter.accept_reply(payload, function) == 0) {
        parameter.status_text = texts::cannot_decode;
        trace_.count_decode_failure();
        return 2;
    }
    parameter.clear_changed();
    return 0;
}

std::optional<WriteRequest> DeviceIO::encode_write(const Parameter& parameter, std::string& refusal)
{
    std::array<std::uint8_t, 4> raw{};
    int length = 0;
    // A value its type cannot encode is not sent at all: zeros in its place would reach the
    // instrument as a value nobody typed.
    if (parameter.encode(raw, length, &refusal) != 1) {
        if (refusal.empty())
            refusal = texts::value_not_encoded;
        return std::nullopt;
    }
    // Bytes beyond the parameter's registers would be cut off on the way: the instrument would
    // hold another value than the one meant.
    if (length > 2 * std::max<int>(parameter.register_count, 1)) {
        refusal = texts::value_exceeds_registers;
        return std::nullopt;
    }
    auto request = build_write_request(register_number_from_name(parameter.name), parameter.register_count, raw, length);
    if (request.function == 0) {
        refusal = texts::too_many_registers;
        return std::nullopt;
    }
    return request;
}

std::optional<std::vector<std::uint8_t>> DeviceIO::written_registers(const Parameter& parameter)
{
    // The value's encoding may depend on the register (enumerations stored with an offset).
    Parameter copy = parameter;
    copy.register_number = register_number_from_name(copy.name);
    std::string refusal;
    const auto request = encode_write(copy, refusal);
    if (!request)
        return std::nullopt;
    return register_image(*request);
}

int DeviceIO::read_block(std::uint16_t first, std::uint16_t count, std::vector<std::uint8_t>& registers)
{
    registers.clear();
    if (!sio_.is_open())
        return -1;
    if (count == 0 || count > max_block_registers)
        return ModbusFrame::refused;
    run_.activity = 1;
    const std::uint8_t data[] = {static_cast<std::uint8_t>(first >> 8U), static_cast<std::uint8_t>(first & 0xFFU),
                                 0, static_cast<std::uint8_t>(count)};
    const int result = modbus_transaction(3, data, registers, false);
    if (result != 0)
        return result;
    // A refusal leaves nothing; a reply of another length than asked for is not cut apart, since
    // nobody can tell which registers it left out.
    if (registers.size() != 2u * count) {
        registers.clear();
        return block_unusable;
    }
    return 0;
}

int DeviceIO::take_registers(Parameter& parameter, std::span<const std::uint8_t> bytes)
{
    // What read_registers does with a reply, for registers that came in a longer reply.
    parameter.register_number = register_number_from_name(parameter.name);
    parameter.status_text.clear();
    if (parameter.accept_reply(bytes, 3) == 0) {
        parameter.status_text = texts::cannot_decode;
        trace_.count_decode_failure();
        return 2;
    }
    parameter.clear_changed();
    return 0;
}

int DeviceIO::modbus_transaction(std::uint8_t function, std::span<const std::uint8_t> data,
                                 std::vector<std::uint8_t>& payload, bool broadcast)
{
    payload.clear();
    if (sio_.address_length > 8)
        return -1;
    // Only a request meant for every instrument goes to address 0.
    if (!broadcast && (sio_.address < min_slave_address || sio_.address > max_slave_address))
        return ModbusFrame::refused;
    ModbusFrame frame;
    if (frame.build_request(broadcast ? 0 : sio_.address, function, data) != 0)
        return ModbusFrame::refused;
    const int result = modbus_exchange(frame, payload, broadcast);
    release_lost_line();
    return result;
}

int DeviceIO::modbus_exchange(ModbusFrame& frame, std::vector<std::uint8_t>& payload, bool broadcast)
{
    const std::span<const std::uint8_t> request = frame.request;
    std::lock_guard lock(io_lock_);
    std::array<std::uint8_t, Sio::reply_capacity> reply{};
    int count = 0;
    int timeouts = 0;
    int line_errors = 0;
    TransferResult result = transfer_ok;
    // A broadcast is never answered: waiting would only end in a time-out and a second sending.
    if (broadcast)
        return sio_.transfer(request, reply.data(), count, ReplyEnd::none);
    while (true) {
        result = sio_.transfer(request, reply.data(), count);
        if (result == transfer_timeout) {
            if (++timeouts >= max_timeouts) {
                // An instrument that is only slow answers after all; that reply must not be taken
                // for the next request's. A broadcast is not answered.
                if (!broadcast)
                    sio_.expect_late_reply();
                return transfer_timeout;
            }
            trace_.retry(timeouts + line_errors, RetryCause::timeout);
        } else if (result == transfer_line_error) {
            if (++line_errors >= max_line_errors)
                return transfer_line_error;
            trace_.retry(timeouts + line_errors, RetryCause::line_error);
        } else {
            break;
        }
    }
    // A slave that was only slow may still answer the request it missed, after the reply taken
    // here and after its own turnaround, which may be far longer than the silence between frames:
    // that second reply must not be taken for the next request's.
    if (timeouts > 0)
        sio_.expect_late_reply();
    // Only a gathered reply is decoded: what a failed transfer left may be anything.
    if (result != transfer_ok ||
        frame.decode_reply(std::span(reply.data(), static_cast<std::size_t>(count)), payload) != 0)
        payload.clear();
    return result;
}

int DeviceIO::probe_registers(std::uint8_t address, std::uint16_t first, std::uint16_t count, int timeout_ms,
                              std::vector<std::uint8_t>& payload)
{
    payload.clear();
    ModbusFrame frame;
    const std::uint8_t data[] = {static_cast<std::uint8_t>(first >> 8U), static_cast<std::uint8_t>(first & 0xFFU),
                                 static_cast<std::uint8_t>(count >> 8U), static_cast<std::uint8_t>(count & 0xFFU)};
    if (frame.build_request(address, 3, data) != 0)
        return ModbusFrame::refused;
    std::lock_guard lock(io_lock_);
    std::array<std::uint8_t, Sio::reply_capacity> reply{};
    int gathered = 0;
    const auto usual = sio_.reply_timeout;
    sio_.reply_timeout = static_cast<std::uint16_t>(std::clamp(timeout_ms, 1, 65535));
    const TransferResult result = sio_.transfer(frame.request, reply.data(), gathered);
    sio_.reply_timeout = usual;
    if (result != transfer_ok)
        return result;
    const int decoded = frame.decode_reply(std::span(reply.data(), static_cast<std::size_t>(gathered)), payload);
    if (decoded != 0)
        payload.clear();
    return decoded;
}

int DeviceIO::reopen_at(int baud_rate)
{
    std::lock_guard port(port_lock_);
    std::lock_guard io(io_lock_);
    close_port();
    sio_.baud_rate = baud_rate;
    return open_line();
}

int DeviceIO::korvel_transaction(bool request_bit, std::uint16_t identifier, std::span<const std::uint8_t> data,
                                 std::vector<std::uint8_t>& reply, std::string& error, int address_offset)
{
    reply.clear();
    std::string line;
    if (!korvel_encode({sio_.address, sio_.address_length}, address_offset, request_bit, identifier, data, line)) {
        error = texts::korvel_encode_failed;
        return 0;
    }
    const std::span request(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    const int result = korvel_exchange(identifier, request, reply, error);
    release_lost_line();
    return result;
}

int DeviceIO::korvel_exchange(std::uint16_t identifier, std::span<const std::uint8_t> request,
                              std::vector<std::uint8_t>& reply, std::string& error)
{
    std::lock_guard lock(io_lock_);
    std::array<std::uint8_t, Sio::reply_capacity> received{};
    int count = 0;
    if (identifier == korvel_unanswered_identifier) {
        sio_.transfer(request, received.data(), count, ReplyEnd::carriage_return);
        report(LinkFinding::reply_arrived);
        return 1;
    }
    int timeouts = 0;
    int line_errors = 0;
    int lost_starts = 0;
    while (true) {
        const auto result = sio_.transfer(request, received.data(), count, ReplyEnd::carriage_return);
        RetryCause cause = RetryCause::timeout;
        if (result == transfer_timeout) {
            if (++timeouts >= max_timeouts) {
                error = texts::timeout_no_link;
                report(LinkFinding::no_reply);
                return 0;
            }
        } else if (result == transfer_line_error) {
            if (++line_errors >= max_line_errors) {
                error = texts::wrong_port_settings;
                report(LinkFinding::line_failure);
                return 0;
            }
            cause = RetryCause::line_error;
        } else if (count >= 2 && received[0] == '#') {
            break;
        } else if (++lost_starts >= max_lost_starts) {
            error = texts::frame_start_lost;
            report(LinkFinding::line_failure);
            return 0;
        } else {
            cause = RetryCause::frame_start_lost;
        }
        trace_.retry(timeouts + line_errors + lost_starts, cause);
    }
    // As for Modbus: a missed request may still be answered after this reply.
    if (timeouts > 0)
        sio_.expect_late_reply();
    report(LinkFinding::reply_arrived);

    KorvelReply decoded;
    std::string message;
    const auto verdict =
        korvel_decode(std::span(received.data(), static_cast<std::size_t>(count)), identifier, decoded, message);
    switch (verdict) {
    case KorvelVerdict::success:
        reply = std::move(decoded.data);
        return 1;
    case KorvelVerdict::instrument_error:
        if (!decoded.data.empty()) {
            report(LinkFinding::instrument_refused);
            error = korvel_device_error_text(static_cast<std::int8_t>(decoded.data[0]));
        }
        return 0;
    case KorvelVerdict::foreign_identifier:
    case KorvelVerdict::bad_crc:
        trace_.count_crc_failure();
        error = message;
        return 0;
    }
    return 0;
}

int DeviceIO::open_port(bool show_message)
{
    std::string refusal;
    int code = 0;
    {
        std::lock_guard lock(port_lock_);
        code = open_port_locked(show_message, refusal);
    }
    // A box waits for the person; the port lock must not wait with it.
    show_port_refusal(refusal);
    return code;
}

void DeviceIO::show_port_refusal(const std::string& refusal)
{
    if (!refusal.empty())
        shell_.message(refusal, std::string(texts::serial_driver_error), Icon::stop, Owner::main_window);
}

int DeviceIO::open_port_locked(bool show_message, std::string& refusal)
{
    if (sio_.is_open())
        close_port();
    load_link_settings();
    if (run_.silent)
        return -1;
    const int code = open_line();
    report(code != 0 ? LinkFinding::port_refused : LinkFinding::port_opened);
    if (code == 0)
        port_lost_ = false;
    if (code != 0 && show_message && !run_.started_with_options) {
        std::string text = fill_percent_s(texts::cannot_open_port, sio_.port_name);
        // The system's reason helps more than the generic advice, so it goes on a line of its own.
        if (!sio_.open_error().empty())
            text += "\n" + sio_.open_error();
        refusal = std::move(text);
    }
    return code;
}

bool DeviceIO::open_for_job()
{
    std::lock_guard lock(port_lock_);
    if (sio_.is_open())
        return true;
    load_link_settings();
    const int code = open_line();
    report(code != 0 ? LinkFinding::port_refused : LinkFinding::port_opened);
    if (code == 0)
        port_lost_ = false;
    return code == 0;
}

bool DeviceIO::close_if_gone()
{
    std::lock_guard port(port_lock_);
    // No transfer may be running on the descriptor that goes.
    std::lock_guard io(io_lock_);
    if (!sio_.probe_gone())
        return false;
    close_port();
    port_lost_ = true;
    return true;
}

void DeviceIO::release_lost_line()
{
    if (!sio_.device_gone())
        return;
    // The port lock comes before the transaction lock and is never waited for after it. The
    // exchange and scanner threads hold it already; a window-thread exchange that cannot have it
    // at once leaves the closing to the job or poll that holds it (whose next exchange, or the
    // next job, finds the device gone too): waiting could stall the window behind a job that
    // waits for the window.
    std::unique_lock port(port_lock_, std::try_to_lock);
    if (port.owns_lock())
        close_if_gone();
}

DeviceIO::LostPort DeviceIO::reopen_lost_port()
{
    std::lock_guard port(port_lock_);
    close_if_gone();
    if (!port_lost_ || sio_.is_open() || run_.silent)
        return LostPort::none;
    std::lock_guard io(io_lock_);
    // The line keeps the settings it was opened with: the same device under the same name.
    const int code = open_line();
    report(code != 0 ? LinkFinding::port_refused : LinkFinding::port_opened);
    if (code != 0)
        return LostPort::missing;
    port_lost_ = false;
    return LostPort::reopened;
}

int DeviceIO::open_line()
{
    const int code = sio_.open();
    // A line whose settings did not take has no time-outs: every exchange on it would fail at once
    // without a word. Closed, the transactions say that the port is not open.
    if (code != 0 && sio_.is_open())
        sio_.close();
    if (code == 0)
        trace_.port_opened(sio_.device_path(), sio_.baud_rate);
    return code;
}

void DeviceIO::close_port()
{
    if (sio_.close() != -2)
        trace_.port_closed();
}

void DeviceIO::load_link_settings()
{
    auto& settings = *link_settings_;
    std::lock_guard lock(settings.values_lock());
    auto number = [&](std::string_view name, int& field) {
        if (const auto* parameter = settings.find(name))
            field = read_setting_number(parameter->value_text);
    };
    if (const auto* port = settings.find(network_names::port))
        sio_.port_name = port->value_text;
    sio_.network_latency = settings.network_latency();
    number(network_names::baud_rate, sio_.baud_rate);
    number(network_names::address, sio_.address);
    number(network_names::address_length, sio_.address_length);
    number(network_names::data_bits, sio_.data_bits);
    number(network_names::stop_bits, sio_.stop_bits);
    if (const auto* parity = settings.find(network_names::parity)) {
        for (std::size_t item = 0; item < parity_item_count; ++item)
            if (parity->value_text == parity->item_text(static_cast<int>(item)))
                sio_.parity_code = line_code(parity_of_item(item));
    }
    settings.clear_changed();
    needs_apply = false;
    needs_reread = false;
}

std::uint8_t DeviceIO::identify(bool show_messages)
{
    IdentifyReport report;
    const std::uint8_t result = identify(report);
    if (show_messages)
        show(report);
    return result;
}

void DeviceIO::show(const IdentifyReport& report)
{
    if (!report.errors.empty())
        shell_.message(report.errors, std::string(texts::link_caption), Icon::stop, Owner::main_window);
    if (!report.information.empty())
        shell_.message(report.information, std::string(texts::link_caption), Icon::information, Owner::main_window);
}

std::uint8_t DeviceIO::identify(IdentifyReport& report)
{
    Parameter name(0, 4, 3);
    Parameter version(4, 3, 3);
    std::string& information = report.information;
    std::string& errors = report.errors;
    std::uint8_t result = 0;

    if (read_registers(name, false) == 0) {
        information += std::string(texts::instrument_label) + name.value_text + "\n";
        result |= answered;
        const std::string_view rows[] = {texts::identification_current, texts::identification_old};
        for (std::uint8_t row = 0; row < 2; ++row) {
            if (equals_no_case(name.value_text, rows[row])) {
                result |= recognised;
                run_.description_variant = row;
                break;
            }
        }
    } else {
        errors += std::string(texts::parameter_error) + " 'dev': \n" + name.status_text + "\n";
    }

    if (read_registers(version, false) == 0) {
        information += std::string(texts::firmware_label) + version.value_text + "\n";
        std::vector<std::string_view> tokens;
        std::size_t start = 0;
        const std::string_view text = version.value_text;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '.' || text[i] == ' ') {
                if (i > start)
                    tokens.push_back(text.substr(start, i - start));
                start = i + 1;
            }
        }
        if (!tokens.empty())
            if (const auto major = scan_c_integer(tokens[0]))
                instrument_version.major = static_cast<int>(*major);
        if (tokens.size() > 1)
            if (const auto minor = scan_c_integer(tokens[1]))
                instrument_version.minor = static_cast<int>(*minor);
    } else {
        errors += std::string(texts::parameter_error) + " 'ver':\n" + version.status_text + "\n";
    }

    return result;
}

bool DeviceIO::check_link()
{
    std::string refusal;
    bool found = false;
    {
        std::lock_guard lock(port_lock_);
        found = open_port_locked(true, refusal) != -1 && find_instrument();
    }
    show_port_refusal(refusal);
    return found;
}

bool DeviceIO::find_instrument()
{
    for (int round = 0; round < 2; ++round) {
        sio_.automatic_converter = 1;
        for (int attempt = 0; attempt < 2; ++attempt) {
            run_.activity = 0;
            const auto found = identify(false);
            if (found & recognised) {
                report(LinkFinding::instrument_recognised);
                return true;
            }
            if (found & answered)
                report(LinkFinding::instrument_not_recognised);
            else
                sio_.automatic_converter = sio_.automatic_converter ? 0 : 1;
        }
    }
    sio_.automatic_converter = 0;
    run_.activity = 0;
    return false;
}

} // namespace zr740
