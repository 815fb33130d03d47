#include "description/packed_storage.h"

#include "description/zlib_inflater.h"
#include "model/text.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wshadow"
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>
#include <span>
#include <system_error>

namespace zr740 {
namespace {

// libgsf registers its object types in gsf_init; it must run once before the first object is made.
void ensure_gsf_ready()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

struct GObjectRelease {
    void operator()(gpointer object) const noexcept
    {
        if (object != nullptr)
            g_object_unref(object);
    }
};
using InputHandle = std::unique_ptr<GsfInput, GObjectRelease>;

struct ErrorRelease {
    void operator()(GError* error) const noexcept { g_error_free(error); }
};

// The root-level entry of that name. Entry names of a compound file compare without regard to case,
// so an exact match is tried first and then every entry of the root.
InputHandle root_child(GsfInfile* storage, const std::string& name)
{
    if (GsfInput* exact = gsf_infile_child_by_name(storage, name.c_str()))
        return InputHandle(exact);
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* entry = gsf_infile_name_by_index(storage, i);
        if (entry != nullptr && equals_no_case(entry, name))
            return InputHandle(gsf_infile_child_by_index(storage, i));
    }
    return nullptr;
}

} // namespace

void PackedStorage::StorageRelease::operator()(_GsfInfile* storage) const noexcept
{
    if (storage != nullptr)
        g_object_unref(storage);
}

PackedStorage::PackedStorage(std::size_t inflated_limit) : inflated_limit_(inflated_limit) {}

PackedStorage::~PackedStorage() = default;

void PackedStorage::close()
{
    storage_.reset();
    status_ = PackedStatus::no_storage;
}

bool PackedStorage::open(const std::string& path)
{
    close();
    // Only a regular file can be a compound file; a FIFO or device would block or stream forever.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;

    ensure_gsf_ready();
    GError* raw_error = nullptr;
    InputHandle file(gsf_input_stdio_new(path.c_str(), &raw_error));
    std::unique_ptr<GError, ErrorRelease> error(raw_error);
    if (!file)
        return false;
    raw_error = nullptr;
    // The storage takes its own reference to the file input; ours goes when `file` does.
    GsfInfile* storage = gsf_infile_msole_new(file.get(), &raw_error);
    error.reset(raw_error);
    if (storage == nullptr)
        return false;
    storage_.reset(storage);
    status_ = PackedStatus::ok;
    return true;
}

std::size_t PackedStorage::extract(std::string_view stream_name, std::string& target)
{
    target.clear();
    if (!storage_) {
        status_ = PackedStatus::no_storage;
        return 0;
    }
    const std::string name(stream_name);
    InputHandle stream = root_child(storage_.get(), name);
    // A storage (directory) of that name is not a stream.
    if (!stream || (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0)) {
        status_ = PackedStatus::no_stream;
        return 0;
    }

    ZlibInflater inflater(inflated_limit_);
    std::array<unsigned char, chunk_size> piece{};
    auto step = ZlibInflater::Step::more;
    bool read_anything = false;
    while (step == ZlibInflater::Step::more) {
        const gsf_off_t remaining = gsf_input_remaining(stream.get());
        if (remaining <= 0)
            break;
        const auto size = static_cast<std::size_t>(std::min<gsf_off_t>(remaining, chunk_size));
        if (gsf_input_read(stream.get(), size, piece.data()) == nullptr) {
            step = ZlibInflater::Step::failed;
            break;
        }
        read_anything = true;
        step = inflater.feed(std::span(piece.data(), size), target);
    }

    switch (step) {
    case ZlibInflater::Step::finished:
        status_ = target.empty() ? PackedStatus::empty : PackedStatus::ok;
        break;
    case ZlibInflater::Step::too_large:
        status_ = PackedStatus::too_large;
        break;
    case ZlibInflater::Step::more: // the stream ended before the zlib data did
        status_ = read_anything ? PackedStatus::corrupt : PackedStatus::empty;
        break;
    case ZlibInflater::Step::failed:
        status_ = PackedStatus::corrupt;
        break;
    }
    if (status_ != PackedStatus::ok) {
        target.clear();
        target.shrink_to_fit();
        return 0;
    }
    return target.size();
}

} // namespace zr740
