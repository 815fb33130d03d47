#pragma once
// Configuration files (".zr740"): the description variant and every parameter of the tree, in the
// persistent archive format the program has always used, so that files move freely between its
// versions.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zr740 {

class CHLB5Doc;

// The file's bytes for the document as it stands.
std::vector<std::uint8_t> store_document(CHLB5Doc& document);
// Replaces the tree with a fresh one for the file's description variant and fills it from the
// file. False, after the message, when the file could not be taken; the document then holds a
// complete tree without any of the file's values (or its previous tree, when the file was refused
// before anything was replaced).
bool load_document(CHLB5Doc& document, std::span<const std::uint8_t> bytes);

// The description variant a file was written for, read without loading it; nothing for a file
// without one (older files) or one that is not a configuration.
std::optional<std::uint8_t> configuration_variant(std::span<const std::uint8_t> bytes);

// Writes the file without ever leaving a half-written one; a failure is reported with the system's
// reason and the old file stays as it was.
bool save_configuration(CHLB5Doc& document, const std::string& path);
bool open_configuration(CHLB5Doc& document, const std::string& path);

} // namespace zr740
