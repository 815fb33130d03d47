#pragma once
// The differences a compare job found between the configuration and the instrument, kept whole for
// whoever lists or saves them (the command line's "compare", the window), and their CSV file.

#include <string>
#include <vector>

namespace zr740 {

class Parameter;

struct CompareDifference {
    std::string name; // the parameter's command
    int index = -1;   // the index of an indexed parameter; -1 for one without
    std::string caption;
    struct Side {
        std::string value;
        bool editable = true;
        bool factory_owned = false;
    };
    Side configuration;
    Side instrument;

    static CompareDifference of(const Parameter& configuration, const Parameter& instrument);
};

// Header "Команда,Индекс,Описание,Значение в конфигурации,Доступ в конфигурации,Принадлежность в
// конфигурации,Значение в приборе,Доступ в приборе,Принадлежность в приборе", then one line each,
// UTF-8 with "\n" line ends.
std::string differences_csv(const std::vector<CompareDifference>& differences);

// Writes the file without leaving a half-written one; false with the system's reason in `reason`.
bool save_differences_csv(const std::vector<CompareDifference>& differences, const std::string& path,
                          std::string& reason);

} // namespace zr740
