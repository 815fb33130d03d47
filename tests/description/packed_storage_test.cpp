#include "description/packed_storage.h"

#include "platform/temp_dir.h"
#include "support/compound_file_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace zr740 {
namespace {

namespace fs = std::filesystem;
using test::CompoundEntry;
using test::zlib_compress;

std::string file_in(const testing::TempDir& dir, const std::string& name) { return (dir.path() / name).string(); }

void write_plain_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Deterministic bytes that deflate cannot shrink, so the compressed stream spans several reads.
std::string noise(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// Deflates with a chosen wrapper (window bits: 15 zlib, 31 gzip, -15 raw) and optionally a preset
// dictionary, which a zlib stream announces in its header.
std::string deflate_with(const std::string& text, int window_bits, const std::string& dictionary = {})
{
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY);
    if (!dictionary.empty())
        deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    std::string out(deflateBound(&zs, static_cast<uLong>(text.size())) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string flipped(std::string bytes, std::size_t index)
{
    bytes.at(index) = static_cast<char>(bytes.at(index) ^ 0x5A);
    return bytes;
}

const std::string sample_text = "; описание\r\nparameter 0x0007 1 int Адрес\r\nrule 0x0007 1 247\r\n";
// "0x0007 Адрес" in Windows-1251, as the streams hold it.
const std::string cp1251_text = "0x0007 \xC0\xE4\xF0\xE5\xF1";

struct GoodCase {
    const char* what;
    std::string text;
    std::string stream_bytes;
};

void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.what; }

class PackedStorageRoundTrip : public ::testing::TestWithParam<GoodCase> {};

TEST_P(PackedStorageRoundTrip, ExtractsTheInflatedTextOfTheNamedStream)
{
    const auto& param = GetParam();
    testing::TempDir dir;
    const auto path = file_in(dir, "zr740.dat");
    test::write_compound_file(path, {CompoundEntry::stream("zr740_old.tree", zlib_compress("other variant")),
                                     CompoundEntry::stream("zr740.tree", param.stream_bytes)});
    PackedStorage storage;
    ASSERT_TRUE(storage.open(path));
    std::string target = "left over from before";
    EXPECT_EQ(storage.extract("zr740.tree", target), param.text.size());
    EXPECT_EQ(target, param.text);
    EXPECT_EQ(storage.status(), PackedStatus::ok);

    // The same storage serves the other stream, and a second extract of the first gives the same.
    std::string other;
    EXPECT_EQ(storage.extract("zr740_old.tree", other), 13u);
    EXPECT_EQ(other, "other variant");
    std::string again;
    EXPECT_EQ(storage.extract("zr740.tree", again), param.text.size());
    EXPECT_EQ(again, param.text);
}

GoodCase good(const char* what, std::string text) { return {what, text, zlib_compress(text)}; }

INSTANTIATE_TEST_SUITE_P(
    Streams, PackedStorageRoundTrip,
    ::testing::Values(good("description", sample_text), good("windows_1251_bytes", cp1251_text),
                      // The loader cuts the text at a zero byte; the reader must hand it over whole.
                      good("zero_byte_kept", std::string("before\0after", 12)),
                      // Several 16 KiB input pieces; most of them fill no output buffer.
                      good("incompressible_200k", noise(200000)),
                      // One input piece that fills many 16 KiB output buffers.
                      good("compressible_3m", std::string(3 << 20, 'a')),
                      GoodCase{"stored_blocks", noise(40000), zlib_compress(noise(40000), 0)},
                      GoodCase{"bytes_after_zlib_end_ignored", sample_text, zlib_compress(sample_text) + "trailing"}),
    [](const auto& test_case) { return std::string(test_case.param.what); });

struct BadCase {
    const char* what;
    std::vector<CompoundEntry> entries;
    PackedStatus expected;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.what; }

class PackedStorageRejects : public ::testing::TestWithParam<BadCase> {};

TEST_P(PackedStorageRejects, GivesNothingForDamagedOrMissingStreams)
{
    const auto& param = GetParam();
    testing::TempDir dir;
    const auto path = file_in(dir, "zr740.dat");
    test::write_compound_file(path, param.entries);
    PackedStorage storage;
    ASSERT_TRUE(storage.open(path));
    std::string target = "stale";
    EXPECT_EQ(storage.extract("zr740.tree", target), 0u);
    EXPECT_TRUE(target.empty()) << "no partly inflated text may be handed out";
    EXPECT_EQ(storage.status(), param.expected);
}

const std::string big_text = std::string(100000, 'p') + noise(50000);
const std::string big_packed = zlib_compress(big_text);

BadCase bad(const char* what, std::string stream_bytes, PackedStatus expected)
{
    return {what, {CompoundEntry::stream("zr740.tree", std::move(stream_bytes))}, expected};
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PackedStorageRejects,
    ::testing::Values(
        BadCase{"no_stream_of_that_name", {CompoundEntry::stream("zr740_old.tree", zlib_compress("x"))},
                PackedStatus::no_stream},
        BadCase{"only_in_a_sub_storage",
                {CompoundEntry::storage("sub", {CompoundEntry::stream("zr740.tree", zlib_compress("x"))})},
                PackedStatus::no_stream},
        BadCase{"storage_of_that_name",
                {CompoundEntry::storage("zr740.tree", {CompoundEntry::stream("inner", zlib_compress("x"))})},
                PackedStatus::no_stream},
        BadCase{"similar_name", {CompoundEntry::stream("zr740.tree2", zlib_compress("x"))}, PackedStatus::no_stream},
        bad("empty_stream", "", PackedStatus::empty), bad("zlib_of_nothing", zlib_compress(""), PackedStatus::empty),
        bad("not_zlib", "parameter 0x0007 1 int", PackedStatus::corrupt),
        bad("damaged_deflate_data", flipped(big_packed, big_packed.size() / 2), PackedStatus::corrupt),
        bad("damaged_checksum", flipped(zlib_compress(sample_text), zlib_compress(sample_text).size() - 1),
            PackedStatus::corrupt),
        bad("damaged_header", flipped(zlib_compress(sample_text), 1), PackedStatus::corrupt),
        bad("truncated_checksum", big_packed.substr(0, big_packed.size() - 2), PackedStatus::corrupt),
        bad("truncated_in_the_middle", big_packed.substr(0, big_packed.size() / 2), PackedStatus::corrupt),
        bad("header_only", big_packed.substr(0, 2), PackedStatus::corrupt),
        bad("gzip_wrapped", deflate_with(sample_text, 31), PackedStatus::corrupt),
        bad("raw_deflate", deflate_with(sample_text, -15), PackedStatus::corrupt),
        bad("needs_a_dictionary", deflate_with(sample_text, 15, "parameter branch rule init"), PackedStatus::corrupt)),
    [](const auto& test_case) { return std::string(test_case.param.what); });

// Compound-file entry names compare without regard to case, as the format defines them.
TEST(PackedStorage, StreamNamesCompareWithoutRegardToCase)
{
    testing::TempDir dir;
    const auto path = file_in(dir, "zr740.dat");
    test::write_compound_file(path, {CompoundEntry::stream("ZR740.Tree", zlib_compress("upper")),
                                     CompoundEntry::stream("zr740_old.tree", zlib_compress("lower"))});
    PackedStorage storage;
    ASSERT_TRUE(storage.open(path));
    std::string target;
    EXPECT_EQ(storage.extract("zr740.tree", target), 5u);
    EXPECT_EQ(target, "upper");
    EXPECT_EQ(storage.extract("ZR740_OLD.TREE", target), 5u);
    EXPECT_EQ(target, "lower");
}

TEST(PackedStorage, RefusesFilesThatAreNotCompoundFiles)
{
    testing::TempDir dir;
    struct Case {
        const char* what;
        std::function<std::string()> make;
    };
    const std::vector<Case> cases = {
        {"absent", [&] { return file_in(dir, "absent.dat"); }},
        {"empty",
         [&] {
             write_plain_file(file_in(dir, "empty.dat"), "");
             return file_in(dir, "empty.dat");
         }},
        {"text",
         [&] {
             write_plain_file(file_in(dir, "text.dat"), sample_text);
             return file_in(dir, "text.dat");
         }},
        {"bare_zlib",
         [&] {
             write_plain_file(file_in(dir, "zlib.dat"), zlib_compress(sample_text));
             return file_in(dir, "zlib.dat");
         }},
        {"signature_only",
         [&] {
             write_plain_file(file_in(dir, "sig.dat"), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                                       std::string(504, '\0'));
             return file_in(dir, "sig.dat");
         }},
        {"directory", [&] { return file_in(dir, ""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PackedStorage storage;
        EXPECT_FALSE(storage.open(c.make()));
        EXPECT_FALSE(storage.is_open());
        std::string target = "stale";
        EXPECT_EQ(storage.extract("zr740.tree", target), 0u);
        EXPECT_TRUE(target.empty());
        EXPECT_EQ(storage.status(), PackedStatus::no_storage);
    }
}

TEST(PackedStorage, TruncatedCompoundFileIsRefusedOrGivesNothing)
{
    testing::TempDir dir;
    const auto path = file_in(dir, "zr740.dat");
    test::write_compound_file(path, {CompoundEntry::stream("zr740.tree", big_packed)});
    const auto size = fs::file_size(path);
    fs::resize_file(path, size / 2);
    PackedStorage storage;
    std::string target;
    if (storage.open(path)) {
        EXPECT_EQ(storage.extract("zr740.tree", target), 0u);
    }
    EXPECT_TRUE(target.empty());
}

TEST(PackedStorage, InflatedSizeLimitGuardsMemory)
{
    testing::TempDir dir;
    const auto path = file_in(dir, "zr740.dat");
    const std::string text(40000, 'z'); // fills more than two output buffers
    test::write_compound_file(path, {CompoundEntry::stream("zr740.tree", zlib_compress(text))});

    for (const std::size_t limit : {std::size_t{100}, std::size_t{16384}, text.size() - 1}) {
        SCOPED_TRACE(limit);
        PackedStorage storage(limit);
        ASSERT_TRUE(storage.open(path));
        std::string target;
        EXPECT_EQ(storage.extract("zr740.tree", target), 0u);
        EXPECT_EQ(storage.status(), PackedStatus::too_large);
        EXPECT_TRUE(target.empty());
    }
    PackedStorage exact(text.size());
    ASSERT_TRUE(exact.open(path));
    std::string target;
    EXPECT_EQ(exact.extract("zr740.tree", target), text.size());
}

TEST(PackedStorage, ReopeningReleasesTheEarlierStorage)
{
    testing::TempDir dir;
    test::write_compound_file(file_in(dir, "a.dat"), {CompoundEntry::stream("zr740.tree", zlib_compress("first"))});
    test::write_compound_file(file_in(dir, "b.dat"), {CompoundEntry::stream("zr740.tree", zlib_compress("second"))});
    write_plain_file(file_in(dir, "c.dat"), "not a compound file");

    PackedStorage storage;
    std::string target;
    ASSERT_TRUE(storage.open(file_in(dir, "a.dat")));
    ASSERT_TRUE(storage.open(file_in(dir, "b.dat")));
    EXPECT_EQ(storage.extract("zr740.tree", target), 6u);
    EXPECT_EQ(target, "second");

    EXPECT_FALSE(storage.open(file_in(dir, "c.dat")));
    EXPECT_EQ(storage.extract("zr740.tree", target), 0u);

    ASSERT_TRUE(storage.open(file_in(dir, "a.dat")));
    storage.close();
    EXPECT_EQ(storage.extract("zr740.tree", target), 0u);
    EXPECT_EQ(storage.status(), PackedStatus::no_storage);
}

} // namespace
} // namespace zr740
