#pragma once
// Reading a trace file back in tests: its lines, and whether one has the trace file's form.

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace zr740::testing {

// Local time with milliseconds, the event's word, the bytes in hex, " | ", the decoded text.
inline bool is_trace_line(const std::string& line)
{
    static const std::regex form(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3} )"
                                 R"((TX|RX|RETRY|TIMEOUT|SKIP|UNMATCHED|OPEN|CLOSE|LINEERR)( [0-9A-F]{2})* \| [^\n]*$)");
    return std::regex_match(line, form);
}

inline std::vector<std::string> trace_lines(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// The lines with the given word.
inline std::vector<std::string> lines_of(const std::vector<std::string>& lines, const std::string& word)
{
    std::vector<std::string> found;
    for (const auto& line : lines)
        if (line.size() > 24 && line.compare(24, word.size() + 1, word + " ") == 0)
            found.push_back(line);
    return found;
}

} // namespace zr740::testing
