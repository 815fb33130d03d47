#pragma once
// A loopback TCP front for the simulator: a relay between one TCP connection at a time and the
// simulator's pseudo-terminal, so that whatever the line does (pacing, faults) reaches the TCP
// client unchanged. It opens the pseudo-terminal's program side itself, exactly as the program
// would, and plays either a serial device server in raw mode or a Modbus TCP gateway.
//
//     TcpBridge bridge;
//     if (!bridge.start(simulator.port_path(), 0, Framing::modbus_tcp, error)) ...
//     connect to 127.0.0.1:bridge.port()
//     bridge.stop();

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zr740::sim {

enum class Framing {
    rtu,        // bytes pass unchanged both ways
    modbus_tcp, // MBAP ADUs on the socket, RTU frames on the line
};

// "rtu", "modbus-tcp"
std::string_view framing_name(Framing framing);
std::optional<Framing> parse_framing(std::string_view text);

class TcpBridge {
  public:
    TcpBridge() = default;
    ~TcpBridge();
    TcpBridge(const TcpBridge&) = delete;
    TcpBridge& operator=(const TcpBridge&) = delete;

    // Listens on 127.0.0.1:`port` (0: a free port), opens `pty_path` and starts relaying in a
    // thread of its own. False with `error` on failure. A bridge starts once.
    bool start(const std::string& pty_path, int port, Framing framing, std::string& error);
    // Ends the relay at once, closing the connection and the line.
    void stop();
    // The port listened on; 0 before start().
    int port() const { return port_; }
    // Closes the current connection from this side, as a failing network would; the next
    // connection is accepted then. Returns once the connection is closed.
    void drop_connection();

  private:
    struct Relay;

    void run();
    // Closes the connection if a drop has been asked for; under the mutex, so that no drop is
    // taken for another connection than the one current when it was asked.
    void take_drops(Relay& relay);

    int listen_fd_ = -1;
    int pty_fd_ = -1;
    int wake_fd_ = -1;
    int drop_fd_ = -1;
    int port_ = 0;
    Framing framing_ = Framing::rtu;
    bool started_once_ = false;
    std::thread thread_;

    std::mutex mutex_; // guards the drop counts and finished_
    std::condition_variable dropped_;
    std::uint64_t drops_asked_ = 0;
    std::uint64_t drops_done_ = 0;
    bool finished_ = false; // the relay thread has ended (stopped, or the line is gone)
};

} // namespace zr740::sim
