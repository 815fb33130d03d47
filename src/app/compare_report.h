#pragma once
// The differences a compare job found between the configuration and the instrument, kept whole for
// whoever lists or saves them (the command line's "compare", the window), and their CSV file and
// HTML page.

#include <string>
#include <string_view>
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

        // The attributes in the tree's words: "Редактируемый"/"Не редактируемый", "Фирма"/"Пользователь".
        std::string_view access() const;
        std::string_view owner() const;
    };
    Side configuration;
    Side instrument;

    static CompareDifference of(const Parameter& configuration, const Parameter& instrument);
};

// Header "Команда,Индекс,Описание,Значение в конфигурации,Атрибут редактирования в конфигурации,
// Владелец в конфигурации,Значение в приборе,Атрибут редактирования в приборе,Владелец в приборе",
// then one line each,
// UTF-8 with "\n" line ends.
std::string differences_csv(const std::vector<CompareDifference>& differences);

// Writes the file without leaving a half-written one; false with the system's reason in `reason`.
bool save_differences_csv(const std::vector<CompareDifference>& differences, const std::string& path,
                          std::string& reason);

// The page for people: a heading with the count, then a table with one row each, the
// configuration's side and the instrument's under headings of their own. UTF-8; every text from the
// description or the instrument is escaped, so a value never becomes markup.
std::string differences_html(const std::vector<CompareDifference>& differences);

// As save_differences_csv, for the page.
bool save_differences_html(const std::vector<CompareDifference>& differences, const std::string& path,
                           std::string& reason);

} // namespace zr740
