#pragma once
// A keyboard for a window program run on Qt's VNC platform (QT_QPA_PLATFORM=vnc:port=N): a
// minimal RFB client that connects without authentication and sends key presses, as a person at a
// remote screen would. It lets a test of the built program answer its boxes and use its keys
// without any hook in the program itself.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace zr740::testing {

// X keysyms of the keys the tests use; printable ASCII keys are their own code.
namespace keysym {
inline constexpr std::uint32_t enter = 0xff0d;
inline constexpr std::uint32_t escape = 0xff1b;
inline constexpr std::uint32_t control = 0xffe3;
inline constexpr std::uint32_t alt = 0xffe9;
} // namespace keysym

class VncKeyboard {
public:
    // A TCP port on the loopback that was free a moment ago, for the program's VNC server.
    static int free_port()
    {
        const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        ::close(probe);
        return port;
    }

    ~VncKeyboard() { disconnect(); }

    // Connects to the server on the loopback and completes the handshake; retries until the
    // program has started its server or the limit passes.
    bool connect(int port, std::chrono::seconds limit = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (try_connect(port))
                return true;
            disconnect();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Presses the keys in order and releases them in reverse: {alt, 'r'} is Alt+R.
    bool press(std::initializer_list<std::uint32_t> keys)
    {
        bool sent = true;
        for (std::uint32_t key : keys)
            sent = key_event(key, true) && sent;
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            sent = key_event(*key, false) && sent;
        return sent;
    }

private:
    bool try_connect(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        // A server that stops answering fails the handshake instead of holding the test.
        const timeval patience{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        // "RFB 003.00x\n": from 3.7 on the server offers a list of security types, before it names one.
        std::string version(12, '\0');
        if (!receive(version.data(), version.size()) || version.rfind("RFB ", 0) != 0)
            return false;
        const int minor = std::stoi(version.substr(8, 3));
        if (!send(version.data(), version.size()))
            return false;
        if (minor >= 7) {
            std::uint8_t count = 0;
            std::vector<std::uint8_t> types;
            if (!receive(&count, 1) || count == 0)
                return false;
            types.resize(count);
            const std::uint8_t none = 1;
            if (!receive(types.data(), types.size()) || !send(&none, 1))
                return false;
            if (minor >= 8) {
                std::uint32_t result = 0;
                if (!receive(&result, 4) || result != 0)
                    return false;
            }
        } else {
            std::uint32_t type = 0;
            if (!receive(&type, 4) || ntohl(type) != 1)
                return false;
        }
        const std::uint8_t shared = 1;
        if (!send(&shared, 1))
            return false;
        // Size, pixel format and the desktop's name.
        std::uint8_t init[24];
        if (!receive(init, sizeof init))
            return false;
        const std::uint32_t name_length = (std::uint32_t{init[20]} << 24) | (std::uint32_t{init[21]} << 16) |
                                          (std::uint32_t{init[22]} << 8) | init[23];
        std::vector<char> name(name_length);
        return name_length < 4096 && receive(name.data(), name.size());
    }

    bool key_event(std::uint32_t key, bool down)
    {
        const std::uint8_t message[8] = {4,
                                         static_cast<std::uint8_t>(down ? 1 : 0),
                                         0,
                                         0,
                                         static_cast<std::uint8_t>(key >> 24),
                                         static_cast<std::uint8_t>(key >> 16),
                                         static_cast<std::uint8_t>(key >> 8),
                                         static_cast<std::uint8_t>(key)};
        return send(message, sizeof message);
    }

    bool send(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t sent = ::send(fd_, bytes, size, MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            bytes += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    bool receive(void* data, std::size_t size)
    {
        auto* bytes = static_cast<char*>(data);
        while (size > 0) {
            const ssize_t got = ::recv(fd_, bytes, size, 0);
            if (got <= 0)
                return false;
            bytes += got;
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

    void disconnect()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
};

} // namespace zr740::testing
