#include "link/frame_trace.h"

#include "link/sio.h"

#include <cstdlib>
#include <ctime>

namespace zr740 {
namespace {

std::uint64_t monotonic_us()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void append_hex(std::string& line, std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    for (const auto b : bytes) {
        line += ' ';
        line += digits[b >> 4];
        line += digits[b & 0x0F];
    }
}

} // namespace

FrameTrace::~FrameTrace() { close(); }

bool FrameTrace::open(const std::string& path)
{
    std::lock_guard lock(mutex_);
    if (file_)
        std::fclose(file_);
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

bool FrameTrace::open_from_environment()
{
    const char* path = std::getenv(environment_variable);
    return path && *path && open(path);
}

void FrameTrace::close()
{
    std::lock_guard lock(mutex_);
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

bool FrameTrace::enabled() const
{
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

void FrameTrace::set_retry(int retry)
{
    std::lock_guard lock(mutex_);
    retry_ = retry;
}

void FrameTrace::record(std::span<const std::uint8_t> request, std::span<const std::uint8_t> reply, int result,
                        std::uint64_t response_us)
{
    std::lock_guard lock(mutex_);
    ++counters_.transactions;
    if (result == transfer_timeout)
        ++counters_.timeouts;
    else if (result == transfer_line_error)
        ++counters_.line_errors;
    else if (result == transfer_ok) {
        counters_.last_response_us = response_us;
        counters_.total_response_us += response_us;
        ++counters_.responses;
    }
    if (!file_)
        return;

    std::string line = std::to_string(monotonic_us());
    line += " try=" + std::to_string(retry_);
    line += " result=" + std::to_string(result);
    line += " response=" + std::to_string(response_us) + "us tx:";
    append_hex(line, request);
    line += " rx:";
    append_hex(line, reply);
    line += '\n';
    // Flushed at once: a trace is read while the program runs, or after it crashed.
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void FrameTrace::count_crc_failure()
{
    std::lock_guard lock(mutex_);
    ++counters_.crc_failures;
}

void FrameTrace::count_decode_failure()
{
    std::lock_guard lock(mutex_);
    ++counters_.decode_failures;
}

LinkCounters FrameTrace::counters() const
{
    std::lock_guard lock(mutex_);
    return counters_;
}

} // namespace zr740
