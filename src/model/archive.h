#pragma once
// The persistent object archive of configuration files, byte for byte as the Windows program wrote
// it: little-endian integers, length-prefixed Windows-1251 strings and class references that name a
// class once and refer to it by number afterwards. There is no header or trailer; what a file holds
// is decided by the records that read and write it.

#include "model/runtime_class.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zr740 {

enum class ArchiveErrorKind : std::uint8_t {
    end_of_file,     // the data ran out, or a length promised more than is left
    bad_tag,         // a class reference tag without its reference bit
    bad_length,      // a second UTF-16 marker where a string's length belongs
    bad_index,       // a class reference to 0 or to a class not read yet
    bad_class_name,  // a class name of 64 bytes or more
    unknown_class,   // a class name the reader was not told about
    unexpected_class // a known class where another one was required
};

// Everything that can go wrong while reading. Callers tell the person different things for a file
// that ends too early and for one that is malformed, hence the kind.
class ArchiveError : public std::runtime_error {
  public:
    ArchiveError(ArchiveErrorKind kind, std::size_t offset, const std::string& what);

    ArchiveErrorKind kind() const { return kind_; }
    bool is_end_of_file() const { return kind_ == ArchiveErrorKind::end_of_file; }
    // Byte offset in the archive where the offending item starts.
    std::size_t offset() const { return offset_; }

  private:
    ArchiveErrorKind kind_;
    std::size_t offset_;
};

class ArchiveReader {
  public:
    struct ClassReference {
        const RuntimeClass* cls; // points into the known classes given to the constructor
        std::uint16_t schema;    // as written in the file, which may differ from cls->schema
    };

    // Neither the data nor the known classes are copied: both must outlive the reader.
    ArchiveReader(std::span<const std::uint8_t> data, std::span<const RuntimeClass> known_classes);

    std::uint8_t read_byte();
    std::uint16_t read_word();
    std::uint32_t read_dword();
    std::int32_t read_int() { return static_cast<std::int32_t>(read_dword()); }
    // Raw Windows-1251 bytes; a string stored as UTF-16 comes back converted, '?' for what the code
    // page cannot hold.
    std::string read_string();

    ClassReference read_class();
    // A reference that must name `expected` (compared by name). Returns the schema read.
    std::uint16_t read_class(const RuntimeClass& expected);

    // Copies up to out.size() bytes and returns how many there were; never throws. Used where the
    // original stopped quietly on a short read instead of failing.
    std::size_t read_available(std::span<std::uint8_t> out);
    // Four bytes as a DWORD, or nothing (and whatever was left consumed) when fewer remain.
    std::optional<std::uint32_t> try_read_dword();

    std::size_t position() const { return position_; }
    std::size_t remaining() const { return data_.size() - position_; }
    bool at_end() const { return position_ == data_.size(); }

  private:
    struct ClassEntry {
        const RuntimeClass* cls;
        std::uint16_t schema;
    };

    // Throws end_of_file at the current position unless `count` bytes remain.
    void require(std::size_t count) const;
    std::uint64_t read_length();
    std::string read_utf16(std::uint64_t characters);

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    std::unordered_map<std::string_view, const RuntimeClass*> known_;
    std::vector<ClassEntry> classes_; // index - 1 → class and the schema of its first occurrence
};

class ArchiveWriter {
  public:
    void write_byte(std::uint8_t value) { bytes_.push_back(value); }
    void write_word(std::uint16_t value);
    void write_dword(std::uint32_t value);
    void write_int(std::int32_t value) { write_dword(static_cast<std::uint32_t>(value)); }
    // Raw bytes: the caller converts to Windows-1251 first.
    void write_string(std::string_view bytes);
    // The class with its own schema the first time, its number afterwards. Classes are told apart by
    // name; the name must outlive the writer.
    void write_class(const RuntimeClass& cls);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // Hands the bytes over and starts a new, empty archive.
    std::vector<std::uint8_t> take()
    {
        classes_.clear();
        return std::exchange(bytes_, {});
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::unordered_map<std::string_view, std::uint32_t> classes_;
};

} // namespace zr740
