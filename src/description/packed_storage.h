#pragma once
// Reader of the compound description file: a compound (OLE structured storage) file whose root-level
// streams each hold one zlib-wrapped text. Only reading is done here; tools/pack writes the file.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

extern "C" {
struct _GsfInfile;
}

namespace zr740 {

// What the last open or extract came to. Callers that only need "something or nothing" look at the
// length extract returns; the finer kinds are there for diagnostics and tests.
enum class PackedStatus {
    ok,
    no_storage, // the file is absent, unreadable or not a compound file (or open was not called)
    no_stream,  // no stream of that name at the root of the storage
    empty,      // the stream has no bytes, or its zlib data inflate to nothing
    corrupt,    // read error, zlib data error, dictionary request, or data ending before the zlib end
    too_large,  // the inflated text would pass the size limit
};

class PackedStorage {
public:
    // Streams are read and inflated in pieces of this size.
    static constexpr std::size_t chunk_size = 16384;
    // A description is a few kilobytes; anything inflating past this is treated as corrupt rather than
    // allowed to eat the memory (a compression bomb).
    static constexpr std::size_t default_inflated_limit = std::size_t{64} << 20;

    explicit PackedStorage(std::size_t inflated_limit = default_inflated_limit);
    ~PackedStorage();
    PackedStorage(const PackedStorage&) = delete;
    PackedStorage& operator=(const PackedStorage&) = delete;
    PackedStorage(PackedStorage&&) noexcept = default;
    PackedStorage& operator=(PackedStorage&&) noexcept = default;

    // Opens the file read-only when it is a compound file; otherwise no storage is held and every
    // extract gives 0. A storage held from an earlier open is released first.
    bool open(const std::string& path);
    bool is_open() const { return storage_ != nullptr; }
    void close();

    // Inflates the root-level stream of that name into `target` (replacing its content) and returns
    // the inflated length. 0 means nothing usable: no storage, no such stream, an empty stream, or
    // zlib data that are corrupt, truncated or too large. A partly inflated text is never returned:
    // on failure `target` is left empty.
    std::size_t extract(std::string_view stream_name, std::string& target);

    PackedStatus status() const { return status_; }

private:
    struct StorageRelease {
        void operator()(_GsfInfile* storage) const noexcept;
    };

    std::size_t inflated_limit_;
    std::unique_ptr<_GsfInfile, StorageRelease> storage_;
    PackedStatus status_ = PackedStatus::no_storage;
};

} // namespace zr740
