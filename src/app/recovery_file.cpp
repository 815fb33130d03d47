#include "app/recovery_file.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "app/document_texts.h"
#include "app/engine_texts.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/safe_file.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

#include <ctime>

namespace zr740 {
namespace {

constexpr std::string_view program_folder_name = "zr740";
constexpr std::string_view values_name = "recovery.zr740";
constexpr std::string_view path_name = "recovery.path";
// Kept values are one configuration; anything far beyond is not one of ours.
constexpr std::size_t size_limit = std::size_t{64} << 20;
constexpr std::size_t path_limit = 64 * 1024;

std::string_view variant_name(int variant)
{
    return variant == 1 ? texts::variant_old : texts::variant_current;
}

} // namespace

RecoveryFile::RecoveryFile(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path RecoveryFile::folder_in(const PlatformPaths& paths)
{
    return paths.user_state_dir / program_folder_name;
}

std::filesystem::path RecoveryFile::values_file() const { return folder_ / values_name; }

std::filesystem::path RecoveryFile::path_file() const { return folder_ / path_name; }

bool RecoveryFile::exists() const
{
    std::error_code error;
    return !folder_.empty() && std::filesystem::is_regular_file(values_file(), error);
}

std::string RecoveryFile::original_path() const
{
    std::string error;
    const auto bytes = read_whole_file(path_file().string(), path_limit, error);
    if (!bytes)
        return {};
    return {bytes->begin(), bytes->end()};
}

bool RecoveryFile::keep(CHLB5Doc& document, const std::string& path) const
{
    const auto bytes = store_document(document);
    const std::string_view values(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string reason;
    if (write_file_atomically(path_file(), path, {}, &reason) &&
        write_file_atomically(values_file(), values, {}, &reason))
        return true;
    document.shell().message(fill_placeholders(texts::recovery_not_written, {values_file().string(), reason}),
                             std::string(texts::save_error_caption), Icon::stop, Owner::main_window);
    return false;
}

void RecoveryFile::report_damaged(Shell& shell, std::string_view name) const
{
    remove();
    shell.message(fill_placeholders(texts::recovery_damaged, {name, values_file().string()}),
                  std::string(texts::open_error_caption), Icon::warning, Owner::main_window);
}

bool RecoveryFile::usable(CHLB5Doc& document, std::string_view name) const
{
    std::string error;
    const auto bytes = read_whole_file(values_file().string(), size_limit, error);
    const auto variant = bytes ? configuration_variant(*bytes) : std::nullopt;
    if (!variant) {
        report_damaged(document.shell(), name);
        return false;
    }
    // The changes were made to the other instrument's tree: loading them would replace the
    // description the link works with. They stay where the person can open them knowingly.
    const int current = document.context().run.description_variant;
    if (current > 1 || *variant == current)
        return true;
    const auto aside = aside_file();
    std::error_code failed;
    std::filesystem::rename(values_file(), aside, failed);
    // Where they cannot be moved they stay put and are offered again next time.
    if (!failed)
        std::filesystem::remove(path_file(), failed);
    document.shell().message(fill_placeholders(texts::recovery_other_variant,
                                               {name, variant_name(*variant), variant_name(current),
                                                exists() ? values_file().string() : aside.string()}),
                             std::string(texts::app_title), Icon::warning, Owner::main_window);
    return false;
}

bool RecoveryFile::restore(CHLB5Doc& document, std::string_view name) const
{
    if (!usable(document, name))
        return false;
    std::string error;
    const auto bytes = read_whole_file(values_file().string(), size_limit, error);
    if (!bytes || !load_document(document, *bytes)) {
        report_damaged(document.shell(), name);
        return false;
    }
    remove();
    // Restored changes are still changes: closing asks to save them, as before the stop.
    document.modified = true;
    return true;
}

void RecoveryFile::remove() const
{
    std::error_code ignored;
    std::filesystem::remove(values_file(), ignored);
    std::filesystem::remove(path_file(), ignored);
}

std::filesystem::path RecoveryFile::aside_file() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    auto aside = folder_ / ("recovery-" + std::string(stamp) + ".zr740");
    for (int n = 2; std::filesystem::exists(aside); ++n)
        aside = folder_ / ("recovery-" + std::string(stamp) + "-" + std::to_string(n) + ".zr740");
    return aside;
}

} // namespace zr740
