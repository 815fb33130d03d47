// zr740-dump: prints a configuration file as text, without the instrument's description.
//
//   zr740-dump FILE.zr740
//
// The file is the document's class reference (with a variant byte for schema 5, a number nobody reads
// for schema 4, nothing for schema 3) followed by the branch records of the tree in pre-order. Each
// branch record ends by itself, so they are shown as a flat list in file order; the parent of a branch
// is not in the file. Texts are shown in UTF-8. Exit status: 0 shown, 1 unreadable or malformed file,
// 2 wrong arguments.

#include "model/archive.h"
#include "model/configuration_records.h"
#include "model/text.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The document's own class; the program's document layer owns it, the tool only needs its name.
constexpr zr740::RuntimeClass document_class{"CHLB5Doc", 5};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure("cannot open " + path);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Failure("cannot read " + path);
    return bytes;
}

// A text between quotes on one line: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20 || b == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(b));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string hex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

void print_entry(std::ostream& out, std::size_t n, const zr740::RawParameterRecord& entry)
{
    const std::uint32_t index = entry.key >> 16;
    out << "  [" << n << "] key " << hex(entry.key, 8) << " ("
        << (index == 0xFFFF ? std::string("not indexed") : "index " + std::to_string(index)) << ", name part "
        << hex(entry.key & 0xFFFF, 4) << ")\n";
    const zr740::Parameter& p = entry.parameter;
    if (entry.converter_schema == 3) {
        out << "      name " << quoted(p.name) << "\n      value " << quoted(p.value_text) << '\n';
    } else {
        out << "      MyConverter schema " << entry.converter_schema << ": no name or value read\n";
    }
    if (entry.parameter_schema != 1) {
        out << "      Parameter schema " << entry.parameter_schema << ": no fields read\n";
        return;
    }
    out << "      caption " << quoted(p.caption) << '\n'
        << "      indexed " << int{p.indexed} << ", linear index " << p.linear_index << ", scanner channel "
        << p.scanner_channel << ", exchangeable " << int{p.exchangeable} << '\n'
        << "      status " << quoted(p.status_text) << '\n'
        << "      changed: value " << int{p.value_changed} << ", editable " << int{p.editable_changed} << ", owner "
        << int{p.owner_changed} << "; editable " << int{p.editable} << ", factory owned " << int{p.factory_owned}
        << ", table mark " << p.table_mark << '\n';
}

// Returns false for a file of an older program version, which has none of these records.
bool print_document(std::ostream& out, zr740::ArchiveReader& archive)
{
    const std::uint16_t schema = archive.read_class(document_class);
    out << "document CHLB5Doc, schema " << schema;
    switch (schema) {
    case 5:
        out << ", variant " << int{archive.read_byte()} << '\n';
        break;
    case 4:
        out << ", unused number " << archive.read_dword() << '\n';
        break;
    case 3:
        out << '\n';
        break;
    case 1:
    case 0xFFFF:
        out << '\n';
        return false;
    default:
        out << '\n';
        throw Failure("corrupt file: unknown document schema " + std::to_string(schema) + " at byte 0");
    }

    for (std::size_t n = 1; !archive.at_end(); ++n) {
        const std::size_t offset = archive.position();
        const auto branch = zr740::read_raw_branch(archive);
        out << "branch " << n << " at byte " << offset << ", schema " << branch.schema;
        if (branch.schema != 3) {
            out << ": no fields read\n";
            continue;
        }
        out << ": " << quoted(branch.name) << ", instances " << branch.instance_count << ", number "
            << branch.instance_number << ", " << branch.entries.size() << " parameters\n";
        for (std::size_t i = 0; i < branch.entries.size(); ++i)
            print_entry(out, i, branch.entries[i]);
    }
    return true;
}

int run(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: zr740-dump FILE.zr740\n";
        return 2;
    }
    const std::string path = argv[1];
    const auto bytes = read_file(path);

    std::vector<zr740::RuntimeClass> classes(zr740::record_classes().begin(), zr740::record_classes().end());
    classes.push_back(document_class);
    zr740::ArchiveReader archive(bytes, classes);
    try {
        if (!print_document(std::cout, archive)) {
            std::cout.flush();
            std::cerr << "zr740-dump: " << path << ": written by an old version of the program; not shown\n";
            return 1;
        }
    } catch (const zr740::ArchiveError& e) {
        std::cout.flush();
        std::cerr << "zr740-dump: " << path << ": "
                  << (e.is_end_of_file() ? "the file ends too early: " : "malformed file: ") << e.what() << '\n';
        return 1;
    } catch (const Failure& e) {
        std::cout.flush();
        std::cerr << "zr740-dump: " << path << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "zr740-dump: " << e.what() << '\n';
        return 1;
    }
}
