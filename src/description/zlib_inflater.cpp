#include "description/zlib_inflater.h"

#include <zlib.h>

#include <algorithm>

namespace zr740 {

void ZlibInflater::StreamRelease::operator()(z_stream_s* stream) const noexcept
{
    inflateEnd(stream);
    delete stream;
}

ZlibInflater::ZlibInflater(std::size_t limit) : limit_(limit), out_(output_buffer_size)
{
    auto stream = std::make_unique<z_stream>();
    if (inflateInit(stream.get()) == Z_OK)
        stream_.reset(stream.release());
    else
        state_ = Step::failed;
}

ZlibInflater::~ZlibInflater() = default;

ZlibInflater::Step ZlibInflater::feed(std::span<const unsigned char> piece, std::string& target)
{
    if (state_ != Step::more)
        return state_;
    auto& zs = *stream_;
    zs.next_in = const_cast<Bytef*>(piece.data());
    zs.avail_in = static_cast<uInt>(piece.size());
    // Inflate while the output buffer comes back full: there may be more to take out.
    do {
        zs.next_out = out_.data();
        zs.avail_out = static_cast<uInt>(out_.size());
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            return state_ = Step::failed; // Z_DATA_ERROR, Z_NEED_DICT, Z_MEM_ERROR, Z_STREAM_ERROR
        const std::size_t produced = out_.size() - zs.avail_out;
        if (produced > limit_ - std::min(limit_, target.size()))
            return state_ = Step::too_large;
        target.append(reinterpret_cast<const char*>(out_.data()), produced);
        if (rc == Z_STREAM_END)
            return state_ = Step::finished;
        if (rc == Z_BUF_ERROR && zs.avail_out != 0)
            break; // no progress possible: the piece is used up
    } while (zs.avail_out == 0);
    return Step::more;
}

} // namespace zr740
