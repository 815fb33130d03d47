#pragma once
// The unsaved changes of a window run that was ended from outside (a logout, a service manager,
// `kill`): the document's values in the ordinary configuration-file format, and beside them the path
// the document had, so that the next interactive start can offer them back under their own name.
// Both live in the per-user state folder; nothing there is written or read by unattended runs.

#include <filesystem>
#include <string>
#include <string_view>

namespace zr740 {

class CHLB5Doc;
class Shell;
struct PlatformPaths;

class RecoveryFile {
public:
    explicit RecoveryFile(std::filesystem::path folder);

    // "<state folder>/zr740": $XDG_STATE_HOME/zr740, by default ~/.local/state/zr740.
    static std::filesystem::path folder_in(const PlatformPaths& paths);

    const std::filesystem::path& folder() const { return folder_; }
    // The kept values ("recovery.zr740") and the document's path ("recovery.path").
    std::filesystem::path values_file() const;
    std::filesystem::path path_file() const;

    // Whether changes are waiting to be offered.
    bool exists() const;
    // The path the document had when its changes were kept; empty for one never saved.
    std::string original_path() const;

    // Keeps the document's values and `path` (its file, empty for a new one) without touching the
    // document: it stays modified. The path goes first, so kept values never stand without it. A
    // failure is reported through the document's shell with the system's reason.
    bool keep(CHLB5Doc& document, const std::string& path) const;
    // Whether the kept changes can be offered for the document's description. When not, says why
    // through the document's shell: a file that is no readable configuration is removed, one
    // written for the other description is moved aside under a name of its own, so that it can be
    // opened knowingly. `name` is how the person knows the document (its file's name, or the name
    // of a new one).
    bool usable(CHLB5Doc& document, std::string_view name) const;
    // Loads the kept values into the document, marks it modified and forgets them. False, after
    // saying why, when they could not be taken; the document then holds a fresh tree.
    bool restore(CHLB5Doc& document, std::string_view name) const;
    // Forgets the kept changes.
    void remove() const;

private:
    // Says that the kept changes cannot be read, and forgets them.
    void report_damaged(Shell& shell, std::string_view name) const;
    // Where changes for the other description are moved: a name of its own for each, by the time.
    std::filesystem::path aside_file() const;

    std::filesystem::path folder_;
};

} // namespace zr740
