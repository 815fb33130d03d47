// Reading written parameters back: after the writes of a job, each parameter written without error
// is read from the instrument and its registers are compared with those the write sent. Registers,
// not value texts: a value the instrument stores exactly as sent is verified even where its text
// reads back in another form (a float "10" reads "10.000"), and a value stored otherwise is caught
// even where the two texts would look alike.

#include "app/app_context.h"
#include "app/batch_engine.h"
#include "app/block_reader.h"
#include "app/engine_texts.h"
#include "link/device.h"
#include "link/register_layout.h"
#include "link/transaction_texts.h"
#include "model/parameter.h"
#include "model/text.h"
#include "app/app_shell.h"

#include <cstdio>

namespace zr740 {
namespace {

constexpr int failure_limit = 4;

std::string indexed_name(const Parameter& parameter)
{
    std::string text = parameter.name;
    if (parameter.indexed)
        text += ":" + std::to_string(parameter.linear_index);
    return text;
}

// A write that is a command to the instrument leaves no value behind to read: the apply and
// session commands and the types without data.
bool is_command(const Parameter& parameter)
{
    for (const std::string_view name : {"U.Apl", "UApl", "APLY", "INIT"})
        if (equals_no_case(parameter.name, name))
            return true;
    return equals_no_case(parameter.base_type(), "void");
}

std::string hex_registers(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char word[8];
        std::snprintf(word, sizeof word, "%02X%02X", bytes[i], bytes[i + 1]);
        if (!text.empty())
            text += ' ';
        text += word;
    }
    return text;
}

} // namespace

void BatchEngine::verify_written(std::vector<Written>& written)
{
    VerifyResult& result = last_verify_;
    result.requested = true;
    result.written = static_cast<int>(written.size());
    if (stop_requested())
        return;

    std::vector<Written*> checks;
    std::vector<std::vector<std::uint8_t>> images;
    std::vector<RegisterSpan> spans;
    for (Written& entry : written) {
        auto image = is_command(entry.sent) ? std::nullopt : DeviceIO::written_registers(entry.sent);
        if (!image || image->empty()) {
            ++result.skipped;
            continue;
        }
        checks.push_back(&entry);
        images.push_back(std::move(*image));
        spans.push_back({register_number_from_name(entry.sent.name), entry.sent.register_count});
    }
    if (checks.empty())
        return;

    progress("");
    progress(std::string(texts::heading_verify));
    job_.total += static_cast<int>(checks.size());
    std::optional<BlockReader> blocks;
    if (job_block_reads_)
        blocks.emplace(link_, spans);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        std::optional<std::span<const std::uint8_t>> bytes;
        if (blocks)
            bytes = blocks->registers_of(i);
        bool no_reply = false;
        const bool held = verify_one(*checks[i], images[i], bytes ? &*bytes : nullptr, no_reply);
        ++exchanges_;
        if (held) {
            ++result.verified;
        } else {
            ++result.failed;
            ++exchange_failures_;
        }
        if (!no_reply) {
            job_.consecutive_failures = 0;
        } else if (++job_.consecutive_failures > failure_limit) {
            progress(std::string(texts::five_failed_checks));
            job_.consecutive_failures = 0;
            signal_stop();
            context_.run.exit_status |= exit_bits::no_reply;
        }
        if (stop_requested())
            break;
    }
    progress(fill_placeholders(texts::verify_summary,
                               {std::to_string(result.verified + result.failed), std::to_string(result.failed)}));
}

bool BatchEngine::verify_one(Written& written, const std::vector<std::uint8_t>& image,
                             const std::span<const std::uint8_t>* block, bool& no_reply)
{
    ++job_.processed;
    const Parameter& sent = written.sent;
    const std::string name = indexed_name(sent);
    std::vector<std::uint8_t> read;
    std::span<const std::uint8_t> held;
    int result = 0;
    if (block) {
        held = *block;
    } else {
        const std::uint64_t before = responses();
        result = link_.read_block(register_number_from_name(sent.name), sent.register_count, read);
        held = read;
        // A refusal is an answer; only a closed port or a silent line counts towards a stop.
        no_reply = result != 0 && (result < 0 || responses() == before);
    }

    VerifyVerdict verdict;
    verdict.name = name;
    verdict.caption = sent.caption;
    verdict.sent = sent.value_text;
    if (result == 0) {
        // What the instrument holds, as a read of the parameter would show it.
        Parameter shown = sent;
        if (link_.take_registers(shown, held) == 0)
            verdict.held = shown.value_text;
        verdict.passed = std::equal(held.begin(), held.end(), image.begin(), image.end());
        if (!verdict.passed) {
            verdict.reason = !verdict.held.empty() && verdict.held != verdict.sent
                                 ? fill_placeholders(texts::verify_held, {verdict.held, verdict.sent})
                                 : fill_placeholders(texts::verify_registers, {hex_registers(held), hex_registers(image)});
        }
    } else {
        verdict.reason = std::string(result < 0 ? texts::port_open_failed : texts::cannot_decode);
    }

    std::string line = std::string(texts::label_verify) + name + " = " + (verdict.held.empty() ? "?" : verdict.held);
    if (!verdict.passed) {
        line += " - " + verdict.reason;
        // The document's parameter keeps the value meant for the instrument, says what went wrong,
        // and counts as changed again, so that writing the changed values tries it once more.
        Parameter work = sent;
        work.status_text = verdict.reason;
        work.value_changed = 1;
        hand_over(*written.target, work);
        error_log(work);
    }
    progress(line);
    const bool passed = verdict.passed;
    last_verify_.verdicts.push_back(std::move(verdict));
    return passed;
}

} // namespace zr740
