// The one-parameter steps of the batch engine and the walk over a branch that runs them.

#include "app/app_context.h"
#include "app/block_reader.h"
#include "app/batch_engine.h"
#include "app/chlb5_doc.h"
#include "app/engine_texts.h"
#include "app/step_outcome.h"
#include "device/base_device.h"
#include "link/device.h"
#include "link/register_layout.h"
#include "model/desc_branch.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "app/app_shell.h"

#include <fstream>
#include <optional>

namespace zr740 {
namespace {

// Five consecutive failures stop the job.
constexpr int failure_limit = 4;
// Only the first differences are described; the rest are counted.
constexpr int reported_differences = 10;

std::string indexed_name(const Parameter& parameter)
{
    std::string text = parameter.name;
    if (parameter.indexed)
        text += ":" + std::to_string(parameter.linear_index);
    return text;
}

std::string editable_text(const Parameter& parameter)
{
    return std::string(parameter.editable ? texts::attr_editable : texts::attr_read_only);
}

std::string owner_text(const Parameter& parameter)
{
    return std::string(parameter.factory_owned ? texts::attr_factory : texts::attr_user);
}

std::string_view variant_caption(int variant)
{
    if (variant == 1)
        return texts::variant_old;
    return variant < 0 ? texts::variant_unknown : texts::variant_current;
}

bool wanted(const Parameter& parameter, CountMode mode)
{
    if (!parameter.exchangeable)
        return false;
    switch (mode) {
    case CountMode::all:
        return true;
    case CountMode::write_all:
        // Identification texts, serial numbers and measured extremes are read, never written;
        // a value changed in the program is still taken by "write changed", which then says why
        // it cannot go out.
        return parameter.writable();
    case CountMode::changed:
        return parameter.any_changed();
    case CountMode::initial_values:
        return !parameter.init_text.empty();
    }
    return false;
}

CountMode count_mode(int write_mode)
{
    if (write_mode == BatchEngine::mode_all)
        return CountMode::write_all;
    return write_mode == BatchEngine::mode_initial ? CountMode::initial_values : CountMode::changed;
}

} // namespace

int BatchEngine::count(DescBranch& branch, CountMode mode)
{
    int total = 0;
    branch.for_each_parameter([&](Parameter& parameter) { total += wanted(parameter, mode) ? 1 : 0; });
    return total;
}

void BatchEngine::progress(const std::string& text)
{
    if (!window_shown_)
        return;
    shell_.progress_line(text.size() > 255 ? text.substr(0, 255) : text);
    if (job_.total != 0)
        shell_.progress_count(job_.processed, job_.total);
}

void BatchEngine::append_to_error_log(const std::string& path, const std::string& name, const std::string& reason)
{
    if (path.empty() || reason.empty())
        return;
    std::ofstream log(path, std::ios::app);
    log << name << " - " << reason << '\n';
}

void BatchEngine::error_log(const Parameter& parameter) const
{
    append_to_error_log(context_.error_log_path, indexed_name(parameter), parameter.status_text);
}

std::uint64_t BatchEngine::responses() const { return link_.trace().counters().responses; }

bool BatchEngine::note_exchange(int result, const Parameter& parameter, std::uint64_t responses_before)
{
    // A parameter the description leaves out of the exchange ("!") is still read, but an
    // instrument need not have it: its failure is logged, not held against the job.
    if (parameter.exchangeable) {
        ++exchanges_;
        if (result != 0)
            ++exchange_failures_;
    }
    // A value the value type cannot write never went out: the parameter failed, the line did not.
    if (result == 0 || result == DeviceIO::value_refused)
        return false;
    // A closed port and a silent line fail outright. A Modbus read or write that the instrument
    // did not answer usably ends as "Не могу раскодировать ответ", the same text as a reply it
    // refused with an exception; the line's counter of gathered replies tells the two apart, so
    // that an instrument that is there but refuses some registers does not stop the job.
    return result < 0 || equals_no_case(parameter.status_text, texts::timeout_status) ||
           responses() == responses_before;
}

void BatchEngine::too_many_timeouts()
{
    std::string text = fill_placeholders(texts::failed_reads, {std::to_string(job_.consecutive_failures.load()),
                                                    std::string(variant_caption(context_.run.description_variant))});
    if (context_.auto_read.exchange(false))
        text += texts::auto_read_switched_off;
    text += texts::exchange_suspended;
    job_.consecutive_failures = 0;
    signal_stop();
    // The job was cut short because the instrument stopped answering; whatever else is known
    // about the run stays.
    context_.run.exit_status |= exit_bits::no_reply;
    shell_.message(text, std::string(texts::app_title), Icon::stop, Owner::main_window);
}

void BatchEngine::hand_over(Parameter& parameter, const Parameter& work, StepOutcome::Kind kind)
{
    document_.outcomes().push(StepOutcome::of(parameter, work, kind));
}

int BatchEngine::read_step(Parameter& parameter, bool count_timeouts)
{
    return read_step_with(parameter, count_timeouts, nullptr);
}

int BatchEngine::read_step_with(Parameter& parameter, bool count_timeouts, const std::span<const std::uint8_t>* block)
{
    ++job_.processed;
    if (parameter.linear_index < 0)
        return not_exchanged;
    // The transaction works on a copy: the document's parameter is what the tree paints, and only
    // the thread that owns it changes it, when the outcome reaches it.
    Parameter work = parameter;
    const std::string label = std::string(texts::label_read) + indexed_name(work);
    const std::uint64_t before = responses();
    int result = 0;
    bool no_reply = false;
    if (block) {
        // The registers came in a block's reply: counted as the single read would be, and never
        // for want of a reply.
        result = link_.take_registers(work, *block);
        note_exchange(result, work, before);
    } else {
        result = link_.read_registers(work, false);
        no_reply = note_exchange(result, work, before);
    }
    if (result != 0)
        error_log(work);
    auto kind = StepOutcome::Kind::values;
    if (!no_reply) {
        job_.consecutive_failures = 0;
        document_.modified = true;
        if (equals_no_case(work.name, "Log") && document_.device())
            kind = StepOutcome::Kind::log_parameter;
    }
    hand_over(parameter, work, kind);
    if (no_reply && count_timeouts && ++job_.consecutive_failures > failure_limit)
        too_many_timeouts();
    progress(label + " = " + work.value_text);
    return result;
}

int BatchEngine::write_step(Parameter& parameter, int mode, Parameter* sent)
{
    Parameter work = parameter;
    const int result = write_in_place(work, mode);
    if (result != not_exchanged)
        hand_over(parameter, work);
    if (sent)
        *sent = work;
    return result;
}

int BatchEngine::write_in_place(Parameter& work, int mode)
{
    ++job_.processed;
    const std::string label = std::string(texts::label_write) + indexed_name(work);
    const std::string value = mode == mode_initial ? work.init_text : work.value_text;
    if (value == texts::no_data) {
        work.status_text = texts::not_written;
        return not_initialised;
    }
    if (work.linear_index < 0)
        return not_exchanged;
    if (mode == mode_initial) {
        if (equals_no_case(work.name, "clb.k"))
            work.value_text = work.linear_index % 2 == 0 ? "0" : "4095";
        else
            work.value_text = work.init_text;
    }
    // A good write clears the changed flag, so whether it was a change is taken beforehand.
    const bool was_changed = work.value_changed != 0;
    const std::uint64_t before = responses();
    const int result = link_.read_registers(work, true);
    const bool no_reply = note_exchange(result, work, before);
    // Any reply, a refusal too, shows the instrument is there and breaks a run of failures.
    if (!no_reply)
        job_.consecutive_failures = 0;
    if (result != 0) {
        error_log(work);
    } else if (BaseDevice::CBaseDevice* device = document_.device()) {
        if (was_changed && device->is_network_parameter(work.name))
            link_.needs_apply = true;
        if (was_changed && device->is_reread_parameter(work.name))
            link_.needs_reread = true;
    }
    progress(label + " = " + value + std::string(texts::new_value));

    if (no_reply && ++job_.consecutive_failures > failure_limit) {
        progress(std::string(texts::five_failed_writes));
        job_.consecutive_failures = 0;
        signal_stop();
        // Added to what the run knows already: a port that would not open stays the first cause.
        context_.run.exit_status |= exit_bits::no_reply;
    }
    return result;
}

void BatchEngine::note_difference(Parameter& configuration, const Parameter& instrument)
{
    const int before = job_.difference_count++;
    job_.differences.push_back(CompareDifference::of(configuration, instrument));
    if (before >= reported_differences)
        return;
    job_.comparison_report += fill_placeholders(
        texts::difference_entry,
        {std::to_string(job_.difference_count), configuration.name, configuration.caption, configuration.value_text,
         editable_text(configuration), owner_text(configuration), instrument.value_text, editable_text(instrument),
         owner_text(instrument)});
    std::string note = std::string(texts::device_value_note) + " '" + instrument.value_text + "'," +
                       editable_text(instrument) + owner_text(instrument);
    if (!configuration.status_text.empty())
        note += "; " + configuration.status_text;
    configuration.status_text = note;
}

int BatchEngine::compare_step(Parameter& parameter)
{
    // The configuration's parameter is read here and changed by its owner only (its status text
    // gets the instrument's value when they differ).
    if (stop_requested())
        return stopped;
    Parameter instrument(parameter.name);
    instrument.linear_index = parameter.linear_index;
    instrument.indexed = parameter.indexed;
    instrument.type_text = parameter.type_text;
    instrument.decimals = parameter.decimals;
    instrument.min = parameter.min;
    instrument.max = parameter.max;
    // Without its register count the read would ask for nothing.
    instrument.register_count = parameter.register_count;
    if (parameter.linear_index < 0)
        return not_exchanged;
    std::string label = std::string(texts::label_compare) + parameter.name + "=" + parameter.value_text;
    if (parameter.indexed)
        label += ":" + std::to_string(parameter.linear_index);
    const std::uint64_t before = responses();
    const int result = link_.read_registers(instrument, false);
    note_exchange(result, instrument, before);
    progress(label + "<>" + instrument.value_text);
    if (instrument.value_text != parameter.value_text || instrument.factory_owned != parameter.factory_owned ||
        instrument.editable != parameter.editable) {
        Parameter work = parameter;
        note_difference(work, instrument);
        hand_over(parameter, work);
    }
    return result;
}

JobResult BatchEngine::read_branch(DescBranch& branch)
{
    if (stop_requested())
        return {0, 0};
    JobResult result{0, 0};
    if (!branch.parameters.empty())
        progress(std::string(texts::heading_read) + " '" + branch.name + "'");
    // With block reads the parameters that are exchanged are planned into blocks; each block is
    // read when its first member comes up, and every parameter is still handled on its own turn.
    std::optional<BlockReader> blocks;
    std::vector<std::size_t> member(branch.parameters.size(), static_cast<std::size_t>(-1));
    if (job_block_reads_) {
        std::vector<RegisterSpan> spans;
        for (std::size_t i = 0; i < branch.parameters.size(); ++i) {
            const Parameter& p = *branch.parameters[i];
            if (!p.exchangeable || p.linear_index < 0)
                continue;
            member[i] = spans.size();
            spans.push_back({register_number_from_name(p.name), p.register_count});
        }
        blocks.emplace(link_, std::move(spans));
    }
    for (std::size_t i = 0; i < branch.parameters.size(); ++i) {
        Parameter& parameter = *branch.parameters[i];
        // The instrument does not have a parameter that lives in configuration files only; asking
        // for it would only fail (and the job's total does not count it either).
        if (!parameter.exchangeable)
            continue;
        ++result.first;
        std::optional<std::span<const std::uint8_t>> bytes;
        if (blocks && member[i] != static_cast<std::size_t>(-1) && !stop_requested())
            bytes = blocks->registers_of(member[i]);
        if (read_step_with(parameter, true, bytes ? &*bytes : nullptr) != 0)
            ++result.second;
        // Checked after every parameter, not only after failures: a long read of good values
        // must stop when asked to.
        if (stop_requested())
            break;
    }
    for (auto& child : branch.children) {
        const JobResult below = read_branch(*child);
        result.first += below.first;
        result.second += below.second;
    }
    return result;
}

JobResult BatchEngine::write_branch(DescBranch& branch, int mode, std::vector<Written>* written)
{
    if (stop_requested())
        return {0, 0};
    JobResult result{0, 0};
    const CountMode selection = count_mode(mode);
    bool any = false;
    for (const auto& parameter : branch.parameters)
        any = any || wanted(*parameter, selection);
    if (!branch.parameters.empty() && (mode == mode_all || any))
        progress(std::string(texts::heading_write) + " '" + branch.name + "'");
    for (auto& parameter : branch.parameters) {
        if (!wanted(*parameter, selection))
            continue;
        ++result.first;
        Parameter sent;
        const int step = write_step(*parameter, mode, written ? &sent : nullptr);
        // The worker's own record (a write of the window's immediate-write mode runs elsewhere):
        // the writes the instrument refused or did not answer, and values that cannot be sent.
        if (step != 0 && step != not_initialised && step != not_exchanged)
            last_failed_writes_.push_back(indexed_name(*parameter));
        if (step != 0)
            ++result.second;
        else if (written)
            written->push_back({parameter.get(), std::move(sent)});
        if (stop_requested())
            break;
    }
    for (auto& child : branch.children) {
        const JobResult below = write_branch(*child, mode, written);
        result.first += below.first;
        result.second += below.second;
    }
    return result;
}

JobResult BatchEngine::compare_branch(DescBranch& branch)
{
    if (stop_requested())
        return {0, 0};
    JobResult result{0, 0};
    if (!branch.parameters.empty())
        progress(std::string(texts::heading_compare) + " '" + branch.name + "'");
    for (auto& parameter : branch.parameters) {
        if (!parameter->exchangeable)
            continue;
        ++result.first;
        const int step = compare_step(*parameter);
        ++job_.processed;
        if (step != 0)
            ++result.second;
        if (stop_requested())
            break;
    }
    for (auto& child : branch.children) {
        const JobResult below = compare_branch(*child);
        result.first += below.first;
        result.second += below.second;
    }
    return result;
}

int BatchEngine::immediate_write(Parameter& parameter)
{
    if (!parameter.value_changed || !context_.immediate_write)
        return 1000;
    // Called by the owner of the values, which may change them itself.
    parameter.status_text.clear();
    return write_step(parameter, mode_all);
}

int BatchEngine::auto_read(Parameter* parameter)
{
    if (!parameter)
        return -3;
    if (parameter->value_text != texts::no_data || !parameter->status_text.empty() || !context_.auto_read ||
        !parameter->exchangeable)
        return -2;
    return read_step(*parameter, false);
}

int BatchEngine::init_command(std::string& status)
{
    Parameter init("INIT");
    init.type_text = "void";
    init.value_text.clear();
    // The INIT follows a job and is no parameter of it: the count the progress window showed
    // stays as the job left it.
    const int processed = job_.processed;
    // The INIT is no parameter of the document: nobody else sees it, so it is written in place.
    const int result = write_in_place(init, mode_all);
    job_.processed = processed;
    status = init.status_text;
    return result;
}

} // namespace zr740
