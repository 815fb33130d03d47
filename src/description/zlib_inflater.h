#pragma once
// Inflates one zlib-wrapped (RFC 1950) stream handed over in pieces. Only a stream that reaches its
// proper end, with the Adler-32 trailer checked, counts as inflated: damaged, truncated or
// dictionary-bound data fail instead of yielding what happened to inflate before the damage.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

extern "C" {
struct z_stream_s;
}

namespace zr740 {

class ZlibInflater {
public:
    enum class Step {
        more,      // the piece is used up and the zlib stream goes on
        finished,  // the zlib stream ended (anything after its end is not taken)
        failed,    // data error, dictionary request, or zlib could not be set up
        too_large, // the output would pass the limit
    };

    static constexpr std::size_t output_buffer_size = 16384;

    // `limit`: the largest total output accepted.
    explicit ZlibInflater(std::size_t limit);
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    // Inflates the piece, appending the output to `target`. After finished, failed or too_large
    // further pieces are refused with the same step.
    Step feed(std::span<const unsigned char> piece, std::string& target);

private:
    struct StreamRelease {
        void operator()(z_stream_s* stream) const noexcept;
    };

    std::unique_ptr<z_stream_s, StreamRelease> stream_;
    std::size_t limit_;
    Step state_ = Step::more;
    std::vector<unsigned char> out_;
};

} // namespace zr740
