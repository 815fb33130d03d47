#include "app/configuration_file.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/document_texts.h"
#include "model/archive.h"
#include "model/configuration_records.h"
#include "model/text.h"
#include "platform/safe_file.h"
#include "platform/shell.h"

#include <vector>

namespace zr740 {
namespace {

constexpr RuntimeClass document_class{"CHLB5Doc", 5};
// Real configurations are some hundred kilobytes; anything far beyond is not one of ours.
constexpr std::size_t file_size_limit = std::size_t{64} << 20;

std::vector<RuntimeClass> known_classes()
{
    std::vector<RuntimeClass> classes{document_class};
    const auto records = record_classes();
    classes.insert(classes.end(), records.begin(), records.end());
    return classes;
}

void open_failure(Shell& shell, std::string_view text, Icon icon)
{
    shell.message(std::string(text), std::string(texts::open_error_caption), icon, Owner::main_window);
}

} // namespace

std::vector<std::uint8_t> store_document(CHLB5Doc& document)
{
    ArchiveWriter archive;
    archive.write_class(document_class);
    archive.write_byte(document.context().run.description_variant);
    if (DescBranch* root = document.root())
        store_branch(archive, *root);
    return archive.take();
}

bool load_document(CHLB5Doc& document, std::span<const std::uint8_t> bytes)
{
    Shell& shell = document.shell();
    RunState& run = document.context().run;
    const auto classes = known_classes();
    ArchiveReader archive(bytes, classes);
    bool replaced = false;
    try {
        const std::uint16_t schema = archive.read_class(document_class);
        switch (schema) {
        case 1:
        case 0xFFFF:
            open_failure(shell, texts::file_too_old, Icon::warning);
            return false;
        case 3:
            break;
        case 4:
            archive.read_dword();
            break;
        case 5: {
            const std::uint8_t variant = archive.read_byte();
            // Only the two descriptions exist; any other value would leave the program without a
            // tree, so it is taken as what it is: a damaged file.
            if (variant > 1)
                throw ArchiveError(ArchiveErrorKind::bad_index, archive.position() - 1, "no such description variant");
            run.description_variant = variant;
            break;
        }
        default:
            open_failure(shell, texts::file_corrupt, Icon::warning);
            return false;
        }

        replaced = true;
        document.stop_threads();
        document.clear();
        document.load_description();
        if (DescBranch* root = document.root()) {
            load_branch(archive, *root, [&](Parameter& parameter) {
                if (auto* device = document.device())
                    device->on_log_parameter(parameter);
            });
        }
        document.modified = false;
        return true;
    } catch (const ArchiveError& error) {
        open_failure(shell, error.is_end_of_file() ? texts::read_failed : texts::bad_format,
                     error.is_end_of_file() ? Icon::stop : Icon::warning);
    }
    // Part of the file's values may have gone into the tree: a fresh one shows nothing that the
    // file did not fully hold.
    if (replaced) {
        document.stop_threads();
        document.clear();
        document.load_description();
    }
    return false;
}

std::optional<std::uint8_t> configuration_variant(std::span<const std::uint8_t> bytes)
{
    const auto classes = known_classes();
    ArchiveReader archive(bytes, classes);
    try {
        if (archive.read_class(document_class) != 5)
            return std::nullopt;
        const std::uint8_t variant = archive.read_byte();
        if (variant > 1)
            return std::nullopt;
        return variant;
    } catch (const ArchiveError&) {
        return std::nullopt;
    }
}

bool save_configuration(CHLB5Doc& document, const std::string& path)
{
    std::string error;
    const auto bytes = store_document(document);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (write_file_atomically(path, view, {}, &error)) {
        document.modified = false;
        return true;
    }
    document.shell().message(fill_placeholders(texts::cannot_save_file, {path, error}), std::string(texts::save_error_caption),
                             Icon::stop, Owner::main_window);
    return false;
}

bool open_configuration(CHLB5Doc& document, const std::string& path)
{
    std::string error;
    const auto bytes = read_whole_file(path, file_size_limit, error);
    if (!bytes) {
        open_failure(document.shell(), fill_placeholders(texts::cannot_open_file, {path, error}), Icon::stop);
        return false;
    }
    return load_document(document, *bytes);
}

} // namespace zr740
