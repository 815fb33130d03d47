#pragma once
// Whole-file reads and writes. A write never leaves a half-written target behind: the bytes go to a
// temporary file in the same folder, which is flushed to the disk and then renamed over the target,
// so the old file stays intact until the new one is complete.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// False with the system's reason in `error`; the target is then as it was.
bool write_file_safely(const std::string& path, std::string_view bytes, std::string& error);

// The whole file, or nothing with the system's reason in `error`. Files larger than `limit` are
// refused rather than read into memory.
std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::size_t limit,
                                                         std::string& error);

} // namespace zr740
