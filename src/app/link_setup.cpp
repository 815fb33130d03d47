// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/link_setup.h"

#include "app/link_setup_texts.h"
#include "link/device.h"
#include "model/network_names.h"
#include "model/parameter.h"
#include "model/text.h"

namespace zr740 {

LinkSetup::LinkSetup(Device& link, StopEvent& stop)
    : link_(link), stop_(stop),
      events_({EventSet::Reset::manual, EventSet::Reset::automatic, EventSet::Reset::automatic,
               EventSet::Reset::automatic, EventSet::Reset::manual})
{
    for (auto& parameter : link_.link_settings().parameters)
        rows_.push_back(parameter.get());
}

LinkSetup::~LinkSetup()
{
    if (!worker_.joinable())
        return;
    events_.set(stop_index);
    stop_.set();
    link_.sio().abort();
    worker_.join();
}

void LinkSetup::start(LinkSetupView& view)
{
    view_ = &view;
    stop_.reset();
    worker_ = std::thread([this] { run(); });
}

void LinkSetup::connect() { events_.set(connect_index); }
void LinkSetup::scan() { events_.set(scan_index); }
void LinkSetup::factory_settings() { events_.set(factory_index); }

bool LinkSetup::request_close(int command, LinkSetupView& view)
{
    if (!worker_.joinable() || events_.is_set(idle)) {
        if (worker_.joinable())
            worker_.join();
        return true;
    }
    view.set_status(std::string(setup_texts::interrupting), false);
    closing_command_ = command;
    // The link's own stop event as well: whoever else waits on it learns that the user gave up.
    stop_.set();
    events_.set(stop_index);
    // A link check with nobody answering takes seconds; the person who closes the window should
    // not wait for all its tries. The worker lets go of the abort when it ends.
    link_.sio().abort();
    return false;
}

std::string LinkSetup::edit(std::size_t row, const std::string& text)
{
    if (row >= rows_.size())
        return {};
    std::lock_guard lock(link_.link_settings().values_lock());
    rows_[row]->set_value_from_input(text, false);
    return rows_[row]->value_text;
}

std::vector<std::string> LinkSetup::scan_rates(const Parameter& baud_rate)
{
    std::vector<std::string> rates;
    for (auto& item : split_items(baud_rate.type_text)) {
        if (item.empty())
            break;
        rates.push_back(item);
    }
    return rates;
}

bool LinkSetup::stopping() const
{
    return events_.is_set(stop_index) || stop_.is_set();
}

bool LinkSetup::stopped_from_outside() const
{
    return stop_.is_set() && !events_.is_set(stop_index);
}

void LinkSetup::run()
{
    for (;;) {
        const auto event = events_.wait_any(stop_index, idle);
        if (!event || *event == stop_index)
            break;
        if (*event == connect_index) {
            do_connect();
        } else if (*event == scan_index) {
            do_scan();
        } else {
            do_factory_settings();
            do_connect();
        }
    }
    // The exchanges after this window must not find the line aborted.
    link_.sio().reset_abort();
    events_.set(idle);
    view_->post_command(closing_command_);
}

bool LinkSetup::attempt()
{
    if (!link_.check_link())
        return false;
    view_->set_status(std::string(setup_texts::link_established), false);
    return true;
}

void LinkSetup::do_connect()
{
    view_->enable_list(false);
    const bool found = attempt();
    view_->enable_list(true);
    if (found)
        view_->post_command(ok);
    else if (!stopping())
        view_->set_status(std::string(setup_texts::link_failed), true);
}

void LinkSetup::do_scan()
{
    view_->enable_list(false);
    std::size_t row = 0;
    while (row < rows_.size() && !equals_no_case(rows_[row]->name, network_names::baud_rate))
        ++row;
    if (row == rows_.size()) {
        view_->enable_list(true);
        return;
    }
    const Parameter& baud_rate = *rows_[row];
    const std::string shown = baud_rate.value_text;
    if (!stopping()) {
        for (const auto& rate : scan_rates(baud_rate)) {
            set_value(row, rate);
            view_->set_status(fill_placeholders(setup_texts::scanning_at, {rate}), false);
            if (attempt()) {
                view_->enable_list(true);
                view_->post_command(ok);
                return;
            }
            // Another baud rate does not help a port that cannot be opened at all (missing, in
            // use, no permission), and each attempt would report it once more.
            if (stopping() || (!link_.sio().is_open() && !link_.sio().open_error().empty()))
                break;
        }
    }
    set_value(row, shown);
    if (!stopping())
        view_->set_status(std::string(setup_texts::link_failed), true);
    view_->enable_list(true);
}

void LinkSetup::do_factory_settings()
{
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (equals_no_case(rows_[row]->name, network_names::port))
            continue;
        set_value(row, rows_[row]->init_text);
    }
}

void LinkSetup::set_value(std::size_t row, const std::string& text)
{
    {
        // The window's tree shows these rows while the worker tries values in them.
        std::lock_guard lock(link_.link_settings().values_lock());
        rows_[row]->set_value_text(text);
    }
    view_->show_value(row, text);
}

} // namespace zr740
