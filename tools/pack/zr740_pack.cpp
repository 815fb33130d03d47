// zr740-pack: builds the compound description file from UTF-8 description sources.
//
//   zr740-pack OUTPUT.dat NAME=SOURCE.txt [NAME=SOURCE.txt ...]
//
// Each source becomes one root-level stream NAME holding the text in Windows-1251, zlib-compressed.
// A character that Windows-1251 cannot hold, a zero byte (the loader would cut the text there) or an
// unreadable source stops the tool with a message and a non-zero exit; the output file is then left
// untouched, so a build never ships a half-written description.

#include "model/text.h"

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

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Source {
    std::string stream_name;
    std::string path;
};

struct Stream {
    std::string name;
    std::string packed;
};

// Compound-file entry names: at most 31 characters, none of "/", "\", ":", "!".
constexpr std::size_t max_entry_name = 31;

Source parse_argument(std::string_view argument)
{
    const auto eq = argument.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == argument.size())
        throw Failure("argument '" + std::string(argument) + "' is not NAME=SOURCE");
    Source source{std::string(argument.substr(0, eq)), std::string(argument.substr(eq + 1))};
    if (source.stream_name.size() > max_entry_name)
        throw Failure("stream name '" + source.stream_name + "' is longer than 31 characters");
    for (const char c : source.stream_name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F || c == '/' || c == '\\' || c == ':' || c == '!')
            throw Failure("stream name '" + source.stream_name + "' may hold printable ASCII only, without / \\ : !");
    }
    return source;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure("cannot open " + path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Failure("cannot read " + path);
    return bytes;
}

// The UTF-8 source as Windows-1251. The conversion replaces what it cannot represent, so a round trip
// that does not give the source back points at the offending line.
std::string to_cp1251(const std::string& path, std::string_view utf8)
{
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (utf8.substr(0, bom.size()) == bom)
        utf8.remove_prefix(bom.size());

    std::size_t line_start = 0;
    for (std::size_t line = 1; line_start <= utf8.size(); ++line) {
        const auto end = utf8.find('\n', line_start);
        const auto text = utf8.substr(line_start, end == std::string_view::npos ? std::string_view::npos : end - line_start);
        if (text.find('\0') != std::string_view::npos)
            throw Failure(path + ":" + std::to_string(line) + ": zero byte in the text");
        if (zr740::cp1251_to_utf8(zr740::utf8_to_cp1251(text)) != text)
            throw Failure(path + ":" + std::to_string(line) +
                          ": a character is not valid UTF-8 or has no Windows-1251 counterpart");
        if (end == std::string_view::npos)
            break;
        line_start = end + 1;
    }
    return zr740::utf8_to_cp1251(utf8);
}

std::string compress(const std::string& path, const std::string& text)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw Failure("cannot compress " + path);
    packed.resize(size);
    return packed;
}

struct GObjectRelease {
    void operator()(gpointer object) const noexcept
    {
        if (object != nullptr)
            g_object_unref(object);
    }
};

std::string error_text(const GError* error)
{
    return error != nullptr && error->message != nullptr ? std::string(": ") + error->message : std::string();
}

void write_compound(const std::string& path, const std::vector<Stream>& streams)
{
    gsf_init();
    GError* error = nullptr;
    std::unique_ptr<GsfOutput, GObjectRelease> sink(gsf_output_stdio_new(path.c_str(), &error));
    if (!sink) {
        const std::string why = error_text(error);
        if (error != nullptr)
            g_error_free(error);
        throw Failure("cannot create " + path + why);
    }
    std::unique_ptr<GsfOutfile, GObjectRelease> root(gsf_outfile_msole_new(sink.get()));
    if (!root)
        throw Failure("cannot start a compound file in " + path);

    for (const auto& stream : streams) {
        std::unique_ptr<GsfOutput, GObjectRelease> child(gsf_outfile_new_child(root.get(), stream.name.c_str(), FALSE));
        if (!child)
            throw Failure("cannot create the stream " + stream.name);
        const bool written = gsf_output_write(child.get(), stream.packed.size(),
                                              reinterpret_cast<const guint8*>(stream.packed.data()));
        if (!gsf_output_close(child.get()) || !written)
            throw Failure("cannot write the stream " + stream.name + error_text(gsf_output_error(child.get())));
    }
    if (!gsf_output_close(GSF_OUTPUT(root.get())))
        throw Failure("cannot finish " + path + error_text(gsf_output_error(GSF_OUTPUT(root.get()))));
    if (gsf_output_is_closed(sink.get()) == FALSE && !gsf_output_close(sink.get()))
        throw Failure("cannot finish " + path + error_text(gsf_output_error(sink.get())));
}

int run(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: zr740-pack OUTPUT.dat NAME=SOURCE.txt [NAME=SOURCE.txt ...]\n";
        return 2;
    }
    const std::string output = argv[1];
    std::vector<Stream> streams;
    for (int i = 2; i < argc; ++i) {
        const auto source = parse_argument(argv[i]);
        for (const auto& earlier : streams)
            if (zr740::equals_no_case(earlier.name, source.stream_name))
                throw Failure("stream name '" + source.stream_name + "' given twice");
        const auto text = to_cp1251(source.path, read_file(source.path));
        if (text.empty())
            throw Failure(source.path + ": empty description");
        streams.push_back({source.stream_name, compress(source.path, text)});
    }

    // Written beside the target and renamed into place only when complete.
    const std::string temporary = output + ".part";
    try {
        write_compound(temporary, streams);
        std::filesystem::rename(temporary, output);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(temporary, ec);
        throw;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "zr740-pack: " << e.what() << '\n';
        return 1;
    }
}
