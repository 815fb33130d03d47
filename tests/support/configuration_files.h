#pragma once
// Configuration files of the shipped description, made and read in a test as the program makes and
// reads them.

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/configuration_file.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <functional>
#include <map>
#include <string>

namespace zr740::testing {

// Saves a new configuration of the description found in `program_folder`, every value from
// `value_of`; false when it could not be made or saved.
inline bool write_configuration(const std::string& program_folder, const std::string& path,
                                const std::function<std::string(const Parameter&)>& value_of)
{
    AppContext context;
    context.program_folder = program_folder;
    RecordingShell shell;
    MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
    if (!document.on_new_document())
        return false;
    document.root()->for_each_parameter([&](Parameter& p) { p.value_text = value_of(p); });
    return save_configuration(document, path);
}

// The values of a configuration file by parameter name; empty when the file cannot be read.
inline std::map<std::string, std::string> configuration_values(const std::string& program_folder,
                                                               const std::string& path)
{
    AppContext context;
    context.program_folder = program_folder;
    RecordingShell shell;
    MemorySettings settings;
    CHLB5Doc document(context, shell, settings, {});
    std::map<std::string, std::string> values;
    if (!open_configuration(document, path))
        return values;
    document.root()->for_each_parameter([&](Parameter& p) { values[p.name] = p.value_text; });
    return values;
}

} // namespace zr740::testing
