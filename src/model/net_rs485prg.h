#pragma once
// The program's own link settings: the instrument's network parameters plus the computer's port and
// the protocol. They are loaded from the saved settings when the element is made and saved back when
// it is destroyed; a configuration file never changes them.

#include "model/net_rs485.h"
#include "platform/settings_store.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace zr740 {

class NetRS485prg : public NetRS485 {
public:
    // `serial_ports` are the choices of the "Port" parameter. `settings` must outlive the element.
    NetRS485prg(Settings& settings, std::vector<std::string> serial_ports);
    // Saves the settings.
    ~NetRS485prg() override;
    NetRS485prg(const NetRS485prg&) = delete;

    // The network parameters, their values from the settings, then "Port" and "Prot".
    void rebuild_parameters() override;
    // Writes the current values into the settings.
    void save();

    static constexpr int fixed_icon = 19;

    // The values and flags of these parameters are read by whichever thread opens the line (and
    // the connection setup's worker tries baud rates in them) while the window shows and edits
    // them: across threads they are read and changed under this lock, held for a few statements
    // only, never across a transaction or a box.
    std::mutex& values_lock() const { return values_lock_; }

    // What a network end ("tcp://", "modbus-tcp://") adds to the reply time-out, in ms: the setting
    // "network_latency" (default 300, at most 10000). Not a parameter of the tree: it belongs to the
    // computer's network, not to the instrument.
    int network_latency() const { return network_latency_.load(); }
    static constexpr int default_network_latency = 300;

private:
    void load();

    Settings& settings_;
    std::vector<std::string> serial_ports_;
    mutable std::mutex values_lock_;
    std::atomic<int> network_latency_{default_network_latency};
};

} // namespace zr740
