#include "model/archive.h"

#include "model/text.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace zr740 {
namespace {

// Tags of the class references.
constexpr std::uint16_t new_class_tag = 0xFFFF;
constexpr std::uint16_t big_index_tag = 0x7FFF;
constexpr std::uint16_t index_bit = 0x8000;
constexpr std::uint32_t big_index_bit = 0x80000000u;
// The original refused longer class names; so does the reader, and the writer never makes one.
constexpr std::size_t max_class_name = 64;

// String length escapes: after a 0xFF byte, a WORD 0xFFFE announces UTF-16 text and 0xFFFF a DWORD.
constexpr std::uint8_t long_length = 0xFF;
constexpr std::uint16_t unicode_marker = 0xFFFE;
constexpr std::uint16_t dword_length = 0xFFFF;

// A class name from a file may hold any byte; the message shows the unprintable ones as \xNN.
std::string printable(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out.push_back(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(b));
            out += escaped;
        }
    }
    return out;
}

} // namespace

ArchiveError::ArchiveError(ArchiveErrorKind kind, std::size_t offset, const std::string& what)
    : std::runtime_error(what + " at byte " + std::to_string(offset)), kind_(kind), offset_(offset)
{
}

ArchiveReader::ArchiveReader(std::span<const std::uint8_t> data, std::span<const RuntimeClass> known_classes)
    : data_(data)
{
    known_.reserve(known_classes.size());
    for (const auto& cls : known_classes)
        known_.emplace(cls.name, &cls);
}

void ArchiveReader::require(std::size_t count) const
{
    if (count > remaining())
        throw ArchiveError(ArchiveErrorKind::end_of_file, position_, "unexpected end of the archive");
}

std::uint8_t ArchiveReader::read_byte()
{
    require(1);
    return data_[position_++];
}

std::uint16_t ArchiveReader::read_word()
{
    require(2);
    const auto value = static_cast<std::uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
    position_ += 2;
    return value;
}

std::uint32_t ArchiveReader::read_dword()
{
    require(4);
    const std::uint32_t value = std::uint32_t{data_[position_]} | (std::uint32_t{data_[position_ + 1]} << 8) |
                                (std::uint32_t{data_[position_ + 2]} << 16) |
                                (std::uint32_t{data_[position_ + 3]} << 24);
    position_ += 4;
    return value;
}

std::uint64_t ArchiveReader::read_length()
{
    const std::uint8_t short_length = read_byte();
    if (short_length != long_length)
        return short_length;
    const std::uint16_t word_length = read_word();
    if (word_length == unicode_marker)
        throw ArchiveError(ArchiveErrorKind::bad_length, position_ - 3, "a text marker where a length belongs");
    if (word_length != dword_length)
        return word_length;
    return read_dword();
}

std::string ArchiveReader::read_string()
{
    const std::size_t start = position_;
    std::uint8_t short_length = read_byte();
    std::uint64_t length = short_length;
    bool utf16 = false;
    if (short_length == long_length) {
        const std::uint16_t word_length = read_word();
        if (word_length == unicode_marker) {
            utf16 = true;
            length = read_length();
        } else {
            length = word_length == dword_length ? read_dword() : word_length;
        }
    }
    // Checked before anything is allocated, so a made-up length cannot ask for gigabytes.
    const std::uint64_t byte_count = utf16 ? length * 2 : length;
    if (byte_count > remaining())
        throw ArchiveError(ArchiveErrorKind::end_of_file, start, "a text longer than the rest of the archive");
    if (utf16)
        return read_utf16(length);
    std::string text(reinterpret_cast<const char*>(data_.data() + position_), static_cast<std::size_t>(length));
    position_ += static_cast<std::size_t>(length);
    return text;
}

std::string ArchiveReader::read_utf16(std::uint64_t characters)
{
    const auto unit = [this](std::size_t i) {
        return static_cast<char16_t>(data_[position_ + 2 * i] | (data_[position_ + 2 * i + 1] << 8));
    };
    const auto count = static_cast<std::size_t>(characters);
    std::string utf8;
    utf8.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            append_utf8(utf8, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{unit(i + 1)} - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            append_utf8(utf8, 0xFFFD); // a lone surrogate; the code page conversion makes it '?'
        } else {
            append_utf8(utf8, u);
        }
    }
    position_ += 2 * count;
    return utf8_to_cp1251(utf8);
}

ArchiveReader::ClassReference ArchiveReader::read_class()
{
    const std::size_t start = position_;
    const std::uint16_t tag = read_word();
    if (tag == new_class_tag) {
        const std::uint16_t schema = read_word();
        const std::uint16_t length = read_word();
        if (length >= max_class_name)
            throw ArchiveError(ArchiveErrorKind::bad_class_name, start,
                               "class name of " + std::to_string(length) + " bytes");
        require(length);
        const std::string_view name(reinterpret_cast<const char*>(data_.data() + position_), length);
        position_ += length;
        const auto known = known_.find(name);
        if (known == known_.end())
            throw ArchiveError(ArchiveErrorKind::unknown_class, start, "unknown class '" + printable(name) + "'");
        classes_.push_back({known->second, schema});
        return {known->second, schema};
    }

    std::uint32_t index = 0;
    if (tag == big_index_tag) {
        const std::uint32_t big = read_dword();
        if ((big & big_index_bit) == 0)
            throw ArchiveError(ArchiveErrorKind::bad_tag, start, "class reference without its reference bit");
        index = big & ~big_index_bit;
    } else {
        if ((tag & index_bit) == 0)
            throw ArchiveError(ArchiveErrorKind::bad_tag, start, "class reference without its reference bit");
        index = tag & ~index_bit;
    }
    if (index == 0 || index > classes_.size())
        throw ArchiveError(ArchiveErrorKind::bad_index, start, "reference to class number " + std::to_string(index));
    const ClassEntry& entry = classes_[index - 1];
    return {entry.cls, entry.schema};
}

std::uint16_t ArchiveReader::read_class(const RuntimeClass& expected)
{
    const std::size_t start = position_;
    const ClassReference reference = read_class();
    if (reference.cls->name != expected.name)
        throw ArchiveError(ArchiveErrorKind::unexpected_class, start,
                           "class " + std::string(reference.cls->name) + " where " + std::string(expected.name) +
                               " belongs");
    return reference.schema;
}

std::size_t ArchiveReader::read_available(std::span<std::uint8_t> out)
{
    const std::size_t count = std::min(out.size(), remaining());
    std::copy_n(data_.data() + position_, count, out.data());
    position_ += count;
    return count;
}

std::optional<std::uint32_t> ArchiveReader::try_read_dword()
{
    std::uint8_t bytes[4];
    if (read_available(bytes) < sizeof bytes)
        return std::nullopt;
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

void ArchiveWriter::write_word(std::uint16_t value)
{
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ArchiveWriter::write_dword(std::uint32_t value)
{
    write_word(static_cast<std::uint16_t>(value));
    write_word(static_cast<std::uint16_t>(value >> 16));
}

void ArchiveWriter::write_string(std::string_view bytes)
{
    const std::size_t length = bytes.size();
    if (length < long_length) {
        write_byte(static_cast<std::uint8_t>(length));
    } else if (length < unicode_marker) {
        write_byte(long_length);
        write_word(static_cast<std::uint16_t>(length));
    } else {
        if (length > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("text too long for an archive");
        write_byte(long_length);
        write_word(dword_length);
        write_dword(static_cast<std::uint32_t>(length));
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::write_class(const RuntimeClass& cls)
{
    if (const auto known = classes_.find(cls.name); known != classes_.end()) {
        if (known->second < big_index_tag) {
            write_word(static_cast<std::uint16_t>(index_bit | known->second));
        } else {
            write_word(big_index_tag);
            write_dword(big_index_bit | known->second);
        }
        return;
    }
    if (cls.name.size() >= max_class_name)
        throw std::invalid_argument("class name too long for an archive");
    write_word(new_class_tag);
    write_word(cls.schema);
    write_word(static_cast<std::uint16_t>(cls.name.size()));
    bytes_.insert(bytes_.end(), cls.name.begin(), cls.name.end());
    classes_.emplace(cls.name, static_cast<std::uint32_t>(classes_.size() + 1));
}

} // namespace zr740
