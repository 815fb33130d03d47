// The simulator's TCP front: raw relay and Modbus TCP gateway, connections coming and going, and
// what a client can throw at it.

#include "sim_line.h"

#include <cstdio>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>

namespace zr740::sim::testing {
namespace {

class TcpClient {
  public:
    explicit TcpClient(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TcpClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool is_open() const { return fd_ >= 0; }

    void send(const Bytes& bytes) const
    {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }

    // Bytes until `size` have come, until `timeout` passes, or until the bridge closes.
    Bytes receive(std::size_t size, std::chrono::milliseconds timeout = 1000ms) const
    {
        Bytes bytes;
        const auto give_up = std::chrono::steady_clock::now() + timeout;
        while (bytes.size() < size) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now());
            pollfd socket{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&socket, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::uint8_t buffer[512];
            const auto count = ::recv(fd_, buffer, std::min(sizeof buffer, size - bytes.size()), 0);
            if (count <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + count);
        }
        return bytes;
    }

    // The reply to `request`, as long as `expected` at most (so that no test waits for more).
    Bytes exchange(const Bytes& request, const Bytes& expected) const
    {
        send(request);
        return receive(expected.size());
    }

    // The bridge has closed this connection: the stream ends without another byte (or is reset,
    // when the bridge closed it with bytes unread).
    bool closed_by_peer(std::chrono::milliseconds timeout = 1000ms) const
    {
        pollfd socket{fd_, POLLIN, 0};
        if (poll(&socket, 1, static_cast<int>(timeout.count())) <= 0)
            return false;
        std::uint8_t byte = 0;
        const auto count = ::recv(fd_, &byte, 1, 0);
        return count == 0 || (count < 0 && errno == ECONNRESET);
    }

  private:
    int fd_ = -1;
};

constexpr std::uint8_t own_address = 16; // the description's initial network address

Bytes mbap(std::uint16_t transaction, std::uint16_t protocol, const Bytes& unit_and_pdu)
{
    const auto length = unit_and_pdu.size();
    Bytes adu{static_cast<std::uint8_t>(transaction >> 8), static_cast<std::uint8_t>(transaction),
              static_cast<std::uint8_t>(protocol >> 8),    static_cast<std::uint8_t>(protocol),
              static_cast<std::uint8_t>(length >> 8),      static_cast<std::uint8_t>(length)};
    adu.insert(adu.end(), unit_and_pdu.begin(), unit_and_pdu.end());
    return adu;
}

// Reads register 7, the network address, which holds 16.
Bytes mbap_read_address(std::uint16_t transaction)
{
    return mbap(transaction, 0, {own_address, 3, 0, 7, 0, 1});
}
Bytes mbap_address_reply(std::uint16_t transaction)
{
    return mbap(transaction, 0, {own_address, 3, 2, 0, own_address});
}

std::unique_ptr<InstrumentSimulator> start_simulator(Framing framing)
{
    auto options = default_options();
    options.tcp_port = 0;
    options.framing = framing;
    auto simulator = std::make_unique<InstrumentSimulator>(std::move(options));
    EXPECT_TRUE(simulator->start()) << simulator->error();
    EXPECT_GT(simulator->tcp_port(), 0);
    return simulator;
}

TEST(TcpBridge, ServesOneConnectionAtATimeInEitherFraming)
{
    struct Case {
        Framing framing;
        Bytes request;
        Bytes reply;
    };
    const Case cases[] = {
        {Framing::rtu, read_request(own_address, 7, 1), with_crc({own_address, 3, 2, 0, own_address})},
        {Framing::modbus_tcp, mbap_read_address(0xBEEF), mbap_address_reply(0xBEEF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(framing_name(c.framing)));
        const auto simulator = start_simulator(c.framing);
        ASSERT_TRUE(simulator->running());
        TcpClient first(simulator->tcp_port());
        ASSERT_TRUE(first.is_open());
        EXPECT_EQ(first.exchange(c.request, c.reply), c.reply);
        {
            // A second client waits its turn; dropping the first lets it in, request and all.
            TcpClient second(simulator->tcp_port());
            ASSERT_TRUE(second.is_open());
            second.send(c.request);
            EXPECT_TRUE(second.receive(1, 300ms).empty());
            simulator->drop_tcp_connection();
            EXPECT_TRUE(first.closed_by_peer());
            EXPECT_EQ(second.receive(c.reply.size()), c.reply);
            EXPECT_EQ(second.exchange(c.request, c.reply), c.reply);
        }
        // A client closing its end makes room too.
        TcpClient third(simulator->tcp_port());
        EXPECT_EQ(third.exchange(c.request, c.reply), c.reply);
    }
}

TEST(TcpBridge, ModbusTcpSurvivesMalformedHeaders)
{
    struct Case {
        const char* what;
        Bytes stream;
        bool closes; // the stream cannot be resynchronised
    };
    const Case cases[] = {
        {"another protocol", mbap(1, 1, {own_address, 3, 0, 7, 0, 1}), false},
        {"length 0", {0, 1, 0, 0, 0, 0, own_address, 3}, true},
        {"length 1", {0, 1, 0, 0, 0, 1, own_address}, true},
        {"length 255", {0, 1, 0, 0, 0, 255, own_address, 3, 0, 7, 0, 1}, true},
        {"length 65535", {0, 1, 0, 0, 0xFF, 0xFF, own_address, 3, 0, 7, 0, 1}, true},
    };
    const auto simulator = start_simulator(Framing::modbus_tcp);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TcpClient client(simulator->tcp_port());
            client.send(c.stream);
            if (c.closes) {
                EXPECT_TRUE(client.closed_by_peer());
            } else {
                // Skipped whole, so the next request is found right behind it and answered alone.
                EXPECT_EQ(client.exchange(mbap_read_address(2), mbap_address_reply(2)), mbap_address_reply(2));
            }
        }
        TcpClient next(simulator->tcp_port());
        EXPECT_EQ(next.exchange(mbap_read_address(3), mbap_address_reply(3)), mbap_address_reply(3));
    }

    // A header cut short by the client going away leaves nothing behind for the next one.
    {
        TcpClient client(simulator->tcp_port());
        client.send({0, 9, 0, 0, 0});
    }
    TcpClient next(simulator->tcp_port());
    EXPECT_EQ(next.exchange(mbap_read_address(4), mbap_address_reply(4)), mbap_address_reply(4));
}

TEST(TcpBridge, ModbusTcpRelaysRepliesAsAGatewayWould)
{
    const auto simulator = start_simulator(Framing::modbus_tcp);
    TcpClient client(simulator->tcp_port());
    ASSERT_TRUE(client.is_open());

    // Requests sent together are answered one after another, each with its transaction id.
    auto both = mbap_read_address(1);
    const auto second = mbap(2, 0, {own_address, 3, 0, 7, 0, 2});
    both.insert(both.end(), second.begin(), second.end());
    client.send(both);
    EXPECT_EQ(client.receive(11), mbap_address_reply(1));
    const auto two_registers = client.receive(13);
    ASSERT_EQ(two_registers.size(), 13u);
    EXPECT_EQ(Bytes(two_registers.begin(), two_registers.begin() + 9), (Bytes{0, 2, 0, 0, 0, 7, own_address, 3, 4}));

    // An exception reply, a write's echo and a multiple write's answer are cut by their own lengths.
    simulator->inject(Fault::exception(7, 4));
    const auto exception = mbap(3, 0, {own_address, 0x83, 4});
    EXPECT_EQ(client.exchange(mbap_read_address(3), exception), exception);
    const auto write = mbap(4, 0, {own_address, 6, 0, 0x10, 0, 7});
    EXPECT_EQ(client.exchange(write, write), write);
    EXPECT_EQ(simulator->register_value(0x10), 7);
    const auto written = mbap(5, 0, {own_address, 16, 0, 0x18, 0, 2});
    EXPECT_EQ(client.exchange(mbap(5, 0, {own_address, 16, 0, 0x18, 0, 2, 4, 0, 1, 0, 2}), written), written);
    EXPECT_EQ(simulator->registers(0x18, 2), (std::vector<std::uint16_t>{1, 2}));

    // A reply with a bad CRC never reaches the client, and does not hold up the next request.
    simulator->inject(Fault::bad_crc());
    client.send(mbap_read_address(6));
    EXPECT_TRUE(client.receive(1, 300ms).empty());
    EXPECT_EQ(client.exchange(mbap_read_address(7), mbap_address_reply(7)), mbap_address_reply(7));

    // Neither does a reply that never comes, once the gateway has given up on it.
    simulator->inject(Fault::no_reply());
    client.send(mbap_read_address(8));
    EXPECT_TRUE(client.receive(1, 300ms).empty());
    EXPECT_EQ(client.exchange(mbap_read_address(9), mbap_address_reply(9)), mbap_address_reply(9));
}

TEST(TcpBridge, StopsWhileAReplyIsAwaitedAndRefusesABadPort)
{
    std::string error;
    TcpBridge out_of_range;
    EXPECT_FALSE(out_of_range.start("/dev/null", 65536, Framing::rtu, error));
    EXPECT_FALSE(error.empty());

    // Standalone in front of a simulator without a TCP front of its own, which would read the
    // line too.
    InstrumentSimulator simulator(default_options());
    ASSERT_TRUE(simulator.start()) << simulator.error();
    TcpBridge bridge;
    ASSERT_TRUE(bridge.start(simulator.port_path(), 0, Framing::modbus_tcp, error)) << error;
    TcpBridge taken;
    error.clear();
    EXPECT_FALSE(taken.start(simulator.port_path(), bridge.port(), Framing::rtu, error));
    EXPECT_FALSE(error.empty());

    // Stopped while a request goes unanswered: at once, not after the second it would wait for
    // the reply.
    TcpClient client(bridge.port());
    EXPECT_EQ(client.exchange(mbap_read_address(1), mbap_address_reply(1)), mbap_address_reply(1));
    simulator.inject(Fault::no_reply());
    client.send(mbap_read_address(2));
    EXPECT_TRUE(client.receive(1, 100ms).empty());
    const auto before = std::chrono::steady_clock::now();
    bridge.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_TRUE(client.closed_by_peer());
}

// The executable with --tcp prints where it listens after the pseudo-terminal.
TEST(TcpBridgeExecutable, PrintsTheTcpPortAndServesIt)
{
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(ZR740_BINARY_DIR "/bin/zr740-sim", "zr740-sim", "--description", shipped_description.c_str(), "--tcp",
              "0", "--framing", "modbus-tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* output = fdopen(out[0], "r");
    ASSERT_NE(output, nullptr);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, output), nullptr);
    EXPECT_TRUE(std::string(line).starts_with("PTY /dev/")) << line;
    ASSERT_NE(fgets(line, sizeof line, output), nullptr);
    int port = 0;
    char framing[32] = {};
    EXPECT_EQ(std::sscanf(line, "TCP 127.0.0.1:%d %31s", &port, framing), 2) << line;
    EXPECT_STREQ(framing, "modbus-tcp");
    {
        TcpClient client(port);
        EXPECT_EQ(client.exchange(mbap_read_address(5), mbap_address_reply(5)), mbap_address_reply(5));
    }
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    fclose(output);
}

TEST(TcpBridgeExecutable, RejectsBadTcpOptions)
{
    const std::vector<std::vector<const char*>> cases = {
        {"--tcp", "65536"},   {"--tcp", "-1"},
        {"--tcp", "http"},    {"--tcp", "0", "--framing", "ascii"},
        {"--framing", "rtu"}, {"--tcp", "0", "--device", "/dev/null"},
    };
    for (const auto& arguments : cases) {
        std::vector<const char*> argv{"zr740-sim", "--description", shipped_description.c_str()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        argv.push_back(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            dup2(null, STDOUT_FILENO);
            execv(ZR740_BINARY_DIR "/bin/zr740-sim", const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << arguments[0] << ' ' << arguments[1];
    }
}

} // namespace
} // namespace zr740::sim::testing
