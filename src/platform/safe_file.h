#pragma once
// Whole-file reads and writes. A write never leaves a half-written target behind: the bytes go to a
// temporary file in the same folder, which is flushed to the disk and then renamed over the target,
// so the old file stays intact until the new one is complete.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr740 {

// Writes `content` to a new file in the target's folder, flushes it to disk, and renames it over
// the target, so that readers see either the old file or the new one, never a partial one.
// Missing folders are created. `before_rename` (a test seam) is called with the temporary file's
// path once it is complete; returning false abandons the write as a crash would, except that the
// temporary file is removed. False on any failure, with the system's reason in `reason`; the
// target is then untouched.
bool write_file_atomically(const std::filesystem::path& target, std::string_view content,
                           const std::function<bool(const std::filesystem::path&)>& before_rename = {},
                           std::string* reason = nullptr);

// The whole file, or nothing with the system's reason in `error`. Files larger than `limit` are
// refused rather than read into memory.
std::optional<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::size_t limit,
                                                         std::string& error);

} // namespace zr740
