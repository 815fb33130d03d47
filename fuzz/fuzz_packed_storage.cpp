// Fuzzes the reader of the compound description file. The first input byte picks the target:
//   even - the rest is the whole file, opened and both description streams extracted;
//   odd  - the rest is zlib data, inflated in pieces whose size the second byte sets, so that the
//          inflater is reached by every input rather than only through a valid compound file.

#include "description/packed_storage.h"
#include "description/zlib_inflater.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Small enough that compression bombs do not slow the run down; the reader enforces it the same way.
constexpr std::size_t fuzz_inflated_limit = std::size_t{4} << 20;

const std::string& scratch_file()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zr740-fuzz-" + std::to_string(::getpid()) + ".dat")).string();
    return path;
}

void fuzz_compound_file(const std::uint8_t* data, std::size_t size)
{
    const auto& path = scratch_file();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        return;

    zr740::PackedStorage storage(fuzz_inflated_limit);
    if (!storage.open(path))
        return;
    for (const char* name : {"zr740.tree", "zr740_old.tree"}) {
        std::string text;
        const auto length = storage.extract(name, text);
        if (length != text.size() || (length == 0) != (storage.status() != zr740::PackedStatus::ok))
            __builtin_trap();
    }
}

void fuzz_inflater(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    const std::size_t piece = 1 + data[0];
    ++data;
    --size;
    zr740::ZlibInflater inflater(fuzz_inflated_limit);
    std::string text;
    auto step = zr740::ZlibInflater::Step::more;
    for (std::size_t at = 0; at < size && step == zr740::ZlibInflater::Step::more; at += piece)
        step = inflater.feed({data + at, std::min(piece, size - at)}, text);
    if (text.size() > fuzz_inflated_limit)
        __builtin_trap();
}

} // namespace

// libgsf leaks parts of a malformed directory it gives up on while opening a file; that is the
// library's, and small. Our own allocations never happen under that call. GLib is built without
// frame pointers, so only the slow unwinder sees that call in an allocation's stack.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:gsf_infile_msole_new\n";
}
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    if ((data[0] & 1) == 0)
        fuzz_compound_file(data + 1, size - 1);
    else
        fuzz_inflater(data + 1, size - 1);
    return 0;
}
