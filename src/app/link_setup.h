// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the connection setup window does without any window toolkit: the rows of the program's
// link settings, the worker that tries them (one check of the link, or every baud rate in turn)
// and the closing protocol that keeps the window from closing while an exchange runs.
//
// Every exchange runs on the worker so that the window stays responsive. The worker talks back
// only through LinkSetupView, from its own thread; the window marshals those calls. Each way of
// closing passes through stop(): the worker ends its current attempt, restores what a scan
// changed, and posts the closing command back, which the window then carries out.

#include "app/job_state.h"
#include "platform/event_set.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace zr740 {

class Device;
class Parameter;

// Called from the worker thread.
class LinkSetupView {
public:
    virtual ~LinkSetupView() = default;
    virtual void set_status(const std::string& text, bool error) = 0;
    virtual void enable_list(bool on) = 0;
    // The row's parameter has a new value text.
    virtual void show_value(std::size_t row, const std::string& text) = 0;
    // A command for the window: ok (a link was found) or the closing command.
    virtual void post_command(int command) = 0;
};

class LinkSetup {
public:
    // The commands the worker posts back; they are the window's own button ids.
    static constexpr int ok = 1;
    static constexpr int cancel = 2;
    static constexpr int offline = 3;

    // `stop` is the stop every user of the line heeds: the window sets it when the person gives
    // up, and learns through it that the program is being ended from outside.
    LinkSetup(Device& link, StopEvent& stop);
    // Stops the worker and waits for it.
    ~LinkSetup();
    LinkSetup(const LinkSetup&) = delete;
    LinkSetup& operator=(const LinkSetup&) = delete;

    // The program's link settings in the element's order; the rows of the window.
    const std::vector<Parameter*>& rows() const { return rows_; }

    // Clears a stop left from before and starts the worker. `view` must outlive the worker.
    void start(LinkSetupView& view);
    // Requests, kept until the worker is free; one per kind.
    void connect();
    void scan();
    // Every row but the port back to the description's initial value, then a connect. Done by
    // the worker, so that the settings never change under a running exchange.
    void factory_settings();

    // The closing protocol, for OK, "Выход" and "Работать offline". True: the worker has ended and
    // the window may go on with `command`. False: the worker is stopping (its running transfer is
    // cut short); it posts `command` back when its current attempt is over.
    bool request_close(int command, LinkSetupView& view);
    bool worker_ended() const { return events_.is_set(idle); }
    // The link's stop event was set by someone else than this window (the program is being ended
    // from outside): the window should close as with "Выход".
    bool stopped_from_outside() const;

    // Hands text typed into a row to the parameter's input check; returns the value text the row
    // shows afterwards. Only while the worker waits (the list is disabled otherwise).
    std::string edit(std::size_t row, const std::string& text);

    // The baud rates a scan tries for this parameter: the items of an enumeration up to the first
    // empty one, or the type text itself when it is not an enumeration.
    static std::vector<std::string> scan_rates(const Parameter& baud_rate);

private:
    enum : std::size_t { stop_index = 0, connect_index = 1, scan_index = 2, factory_index = 3, idle = 4 };

    void run();
    bool stopping() const;
    bool attempt();
    void do_connect();
    void do_scan();
    void do_factory_settings();
    // Puts a value into a row's parameter and shows it in the window.
    void set_value(std::size_t row, const std::string& text);

    Device& link_;
    StopEvent& stop_;
    std::vector<Parameter*> rows_;
    EventSet events_;
    std::atomic<int> closing_command_{cancel};
    LinkSetupView* view_ = nullptr;
    std::thread worker_;
};

} // namespace zr740
