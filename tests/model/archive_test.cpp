#include "model/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zr740 {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(std::string_view text)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

Bytes ascii(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const RuntimeClass doc_class{"CHLB5Doc", 5};
const RuntimeClass branch_class{"DescBranch", 3};
const RuntimeClass parameter_class{"Parameter", 1};
const std::vector<RuntimeClass> known = {doc_class, branch_class, parameter_class};

// Written by hand from the format: class CHLB5Doc (schema 5), BYTE 0, new class DescBranch (schema 3),
// string "Root", DWORD 1, DescBranch again by its number 2.
const Bytes worked_example = hex("FF FF 05 00 08 00") + ascii("CHLB5Doc") + hex("00 FF FF 03 00 0A 00") +
                             ascii("DescBranch") + hex("04") + ascii("Root") + hex("01 00 00 00 02 80");

void read_worked_example(ArchiveReader& reader)
{
    EXPECT_EQ(reader.read_class(doc_class), 5);
    EXPECT_EQ(reader.read_byte(), 0);
    const auto branch = reader.read_class();
    EXPECT_EQ(branch.cls->name, "DescBranch");
    EXPECT_EQ(branch.schema, 3);
    EXPECT_EQ(reader.read_string(), "Root");
    EXPECT_EQ(reader.read_dword(), 1u);
    EXPECT_EQ(reader.read_class(branch_class), 3);
}

TEST(Archive, WorkedExampleWritesAndReadsByteForByte)
{
    ArchiveWriter writer;
    writer.write_class(doc_class);
    writer.write_byte(0);
    writer.write_class(branch_class);
    writer.write_string("Root");
    writer.write_dword(1);
    writer.write_class(branch_class);
    EXPECT_EQ(writer.bytes(), worked_example);

    ArchiveReader reader(worked_example, known);
    read_worked_example(reader);
    EXPECT_TRUE(reader.at_end());
}

TEST(Archive, TruncationAnywhereIsEndOfFile)
{
    for (std::size_t size = 0; size < worked_example.size(); ++size) {
        ArchiveReader reader(std::span(worked_example.data(), size), known);
        try {
            read_worked_example(reader);
            ADD_FAILURE() << "no error at size " << size;
        } catch (const ArchiveError& e) {
            EXPECT_TRUE(e.is_end_of_file()) << "size " << size << ": " << e.what();
        }
    }
}

TEST(Archive, IntegersAreLittleEndian)
{
    ArchiveWriter writer;
    writer.write_word(0x1234);
    writer.write_dword(0x89ABCDEF);
    writer.write_int(-2);
    EXPECT_EQ(writer.bytes(), hex("34 12 EF CD AB 89 FE FF FF FF"));
    ArchiveReader reader(writer.bytes(), known);
    EXPECT_EQ(reader.read_word(), 0x1234);
    EXPECT_EQ(reader.read_dword(), 0x89ABCDEFu);
    EXPECT_EQ(reader.read_int(), -2);
}

TEST(Archive, StringLengthFormsAtTheirBoundaries)
{
    struct Case {
        std::size_t length;
        const char* prefix;
    };
    const Case cases[] = {
        {0, "00"},
        {254, "FE"},
        {255, "FF FF 00"},
        {0xFFFD, "FF FD FF"},
        {0xFFFE, "FF FF FF FE FF 00 00"},
        {0x10000, "FF FF FF 00 00 01 00"},
    };
    for (const auto& c : cases) {
        std::string text(c.length, '\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>(i * 7 + 1);
        ArchiveWriter writer;
        writer.write_string(text);
        EXPECT_EQ(writer.bytes(), hex(c.prefix) + ascii(text)) << "length " << c.length;

        ArchiveReader reader(writer.bytes(), known);
        EXPECT_EQ(reader.read_string(), text) << "length " << c.length;
        EXPECT_TRUE(reader.at_end());
    }
}

TEST(Archive, ReaderTakesLongerLengthFormsAndUtf16Text)
{
    struct Case {
        const char* bytes;
        std::string text;
    };
    const Case cases[] = {
        {"FF 03 00 61 62 63", "abc"},
        {"FF FF FF 03 00 00 00 61 62 63", "abc"},
        {"FF FE FF 00", ""},
        {"FF FE FF 02 41 00 16 04", "A\xC6"},         // Ж
        {"FF FE FF FF 01 00 51 04", "\xB8"},          // ё, length as a WORD
        {"FF FE FF FF FF FF 01 00 00 00 41 00", "A"}, // length as a DWORD
        {"FF FE FF 01 2D 4E", "?"},                   // not in the code page
        {"FF FE FF 03 3D D8 00 DE 42 00", "?B"},      // a pair is one character
        {"FF FE FF 03 00 DC 41 00 00 D8", "?A?"},     // lone halves
    };
    for (const auto& c : cases) {
        const Bytes data = hex(c.bytes);
        ArchiveReader reader(data, known);
        EXPECT_EQ(reader.read_string(), c.text) << c.bytes;
        EXPECT_TRUE(reader.at_end()) << c.bytes;
    }
}

TEST(Archive, ClassNumbersPastTheShortFormTakeTheLongOne)
{
    // 0x7FFF classes, so that both numbers either side of the switch exist.
    std::vector<std::string> names;
    for (int i = 1; i <= 0x7FFF; ++i)
        names.push_back("C" + std::to_string(i));
    std::vector<RuntimeClass> classes;
    for (const auto& name : names)
        classes.push_back({name, 1});

    ArchiveWriter writer;
    for (const auto& cls : classes)
        writer.write_class(cls);
    const std::size_t definitions = writer.bytes().size();
    writer.write_class(classes[0]);
    writer.write_class(classes[0x7FFE - 1]);
    writer.write_class(classes[0x7FFF - 1]);
    const Bytes all = writer.bytes();
    EXPECT_EQ(Bytes(all.begin() + static_cast<std::ptrdiff_t>(definitions), all.end()),
              hex("01 80 FE FF FF 7F FF 7F 00 80"));

    ArchiveReader reader(all, classes);
    for (const auto& cls : classes)
        ASSERT_EQ(reader.read_class().cls->name, cls.name);
    EXPECT_EQ(reader.read_class().cls->name, "C1");
    EXPECT_EQ(reader.read_class().cls->name, "C32766");
    EXPECT_EQ(reader.read_class().cls->name, "C32767");
    EXPECT_TRUE(reader.at_end());
}

TEST(Archive, ForeignSchemaIsKeptPerClassNumber)
{
    const Bytes data = hex("FF FF 07 00 0A 00") + ascii("DescBranch") + hex("FF 7F 01 00 00 80 01 80");
    ArchiveReader reader(data, known);
    EXPECT_EQ(reader.read_class(branch_class), 7);
    EXPECT_EQ(reader.read_class(branch_class), 7); // long form of a small number is read too
    EXPECT_EQ(reader.read_class().schema, 7);
}

TEST(Archive, FormatErrors)
{
    enum class Read { classes, expect_parameter, string };
    struct Case {
        const char* what;
        Bytes data;
        Read read;
        ArchiveErrorKind kind;
        std::size_t offset;
    };
    const Bytes one_class = hex("FF FF 03 00 0A 00") + ascii("DescBranch"); // 16 bytes
    const Case cases[] = {
        {"unknown name", hex("FF FF 01 00 03 00") + ascii("Xyz"), Read::classes, ArchiveErrorKind::unknown_class, 0},
        {"name of 63", hex("FF FF 01 00 3F 00") + ascii(std::string(63, 'a')), Read::classes,
         ArchiveErrorKind::unknown_class, 0},
        {"name of 64", hex("FF FF 01 00 40 00"), Read::classes, ArchiveErrorKind::bad_class_name, 0},
        {"number 0", hex("00 80"), Read::classes, ArchiveErrorKind::bad_index, 0},
        {"number not read yet", one_class + hex("02 80"), Read::classes, ArchiveErrorKind::bad_index, 16},
        {"long number 0", hex("FF 7F 00 00 00 80"), Read::classes, ArchiveErrorKind::bad_index, 0},
        {"long number not read yet", one_class + hex("FF 7F 02 00 00 80"), Read::classes, ArchiveErrorKind::bad_index,
         16},
        {"tag without its bit", one_class + hex("01 00"), Read::classes, ArchiveErrorKind::bad_tag, 16},
        {"long form without its bit", one_class + hex("FF 7F 01 00 00 00"), Read::classes, ArchiveErrorKind::bad_tag,
         16},
        {"another class", one_class, Read::expect_parameter, ArchiveErrorKind::unexpected_class, 0},
        {"marker twice", hex("FF FE FF FF FE FF"), Read::string, ArchiveErrorKind::bad_length, 3},
        {"length past the end", hex("FF FF FF FF FF FF FF 00"), Read::string, ArchiveErrorKind::end_of_file, 0},
        {"utf16 length past the end", hex("FF FE FF 02 41 00 42"), Read::string, ArchiveErrorKind::end_of_file, 0},
    };
    for (const auto& c : cases) {
        ArchiveReader reader(c.data, known);
        try {
            if (c.read == Read::string)
                reader.read_string();
            else if (c.read == Read::expect_parameter)
                reader.read_class(parameter_class);
            else
                while (!reader.at_end())
                    reader.read_class();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.what << ": " << e.what();
            EXPECT_EQ(e.offset(), c.offset) << c.what;
        }
    }
}

TEST(Archive, ShortReadsAreReportedNotThrown)
{
    const Bytes data = hex("01 02 03 04 05 06 07");
    ArchiveReader reader(data, known);
    EXPECT_EQ(reader.try_read_dword(), 0x04030201u);
    EXPECT_EQ(reader.remaining(), 3u);
    EXPECT_EQ(reader.try_read_dword(), std::nullopt);
    EXPECT_TRUE(reader.at_end());
    std::uint8_t buffer[4];
    EXPECT_EQ(reader.read_available(buffer), 0u);
}

} // namespace
} // namespace zr740
