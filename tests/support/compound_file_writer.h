#pragma once
// Writes compound files for tests: streams with any bytes (valid zlib or not), empty streams and
// sub-storages, so that the reader can be fed both the good and the damaged cases.

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wshadow"
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>
#pragma GCC diagnostic pop

#include <zlib.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr740::test {

// One entry of a storage: a stream with its raw bytes, or a sub-storage with entries of its own.
struct CompoundEntry {
    std::string name;
    std::string bytes;
    bool is_storage = false;
    std::vector<CompoundEntry> children;

    static CompoundEntry stream(std::string name, std::string bytes)
    {
        return CompoundEntry{std::move(name), std::move(bytes), false, {}};
    }
    static CompoundEntry storage(std::string name, std::vector<CompoundEntry> children)
    {
        return CompoundEntry{std::move(name), {}, true, std::move(children)};
    }
};

inline std::string zlib_compress(std::string_view text, int level = Z_BEST_COMPRESSION)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    packed.resize(size);
    return packed;
}

namespace detail {

inline void write_entries(GsfOutfile* dir, const std::vector<CompoundEntry>& entries)
{
    for (const auto& entry : entries) {
        GsfOutput* child = gsf_outfile_new_child(dir, entry.name.c_str(), entry.is_storage ? TRUE : FALSE);
        if (child == nullptr)
            throw std::runtime_error("cannot create compound entry " + entry.name);
        bool ok = true;
        if (entry.is_storage)
            write_entries(GSF_OUTFILE(child), entry.children);
        else if (!entry.bytes.empty())
            ok = gsf_output_write(child, entry.bytes.size(), reinterpret_cast<const guint8*>(entry.bytes.data()));
        ok = gsf_output_close(child) && ok;
        g_object_unref(child);
        if (!ok)
            throw std::runtime_error("cannot write compound entry " + entry.name);
    }
}

} // namespace detail

// Writes `entries` as the root of a new compound file at `path`; throws on failure.
inline void write_compound_file(const std::string& path, const std::vector<CompoundEntry>& entries)
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });

    GError* error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(path.c_str(), &error);
    if (sink == nullptr) {
        if (error != nullptr)
            g_error_free(error);
        throw std::runtime_error("cannot create " + path);
    }
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    try {
        detail::write_entries(root, entries);
    } catch (...) {
        gsf_output_close(GSF_OUTPUT(root));
        g_object_unref(root);
        throw;
    }
    const bool closed = gsf_output_close(GSF_OUTPUT(root));
    g_object_unref(root);
    if (!closed)
        throw std::runtime_error("cannot finish " + path);
}

} // namespace zr740::test
