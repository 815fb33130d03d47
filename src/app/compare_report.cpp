#include "app/compare_report.h"

#include "app/csv_log.h"
#include "app/csv_texts.h"
#include "app/html_texts.h"
#include "model/model_texts.h"
#include "model/parameter.h"
#include "model/text.h"
#include "platform/safe_file.h"

namespace zr740 {
namespace {

CompareDifference::Side side_of(const Parameter& parameter)
{
    return {parameter.value_text, parameter.editable != 0, parameter.factory_owned != 0};
}

std::string index_text(int index)
{
    return index < 0 ? std::string() : std::to_string(index);
}

// Texts of the description and of the instrument go into the page as text, never as markup; quotes
// too, so a text stays whole wherever it lands.
void append_escaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
}

void append_cell(std::string& out, std::string_view text, bool differs = false)
{
    out += differs ? "<td class=\"differs\">" : "<td>";
    append_escaped(out, text);
    out += "</td>";
}

void append_side(std::string& out, const CompareDifference::Side& side, const CompareDifference::Side& other)
{
    append_cell(out, side.value, side.value != other.value);
    append_cell(out, side.access(), side.editable != other.editable);
    append_cell(out, side.owner(), side.factory_owned != other.factory_owned);
}

} // namespace

std::string_view CompareDifference::Side::access() const
{
    return editable ? texts::attr_editable : texts::attr_read_only;
}

std::string_view CompareDifference::Side::owner() const
{
    return factory_owned ? texts::attr_factory : texts::attr_user;
}

CompareDifference CompareDifference::of(const Parameter& configuration, const Parameter& instrument)
{
    CompareDifference difference;
    difference.name = configuration.name;
    difference.index = configuration.indexed ? configuration.linear_index : -1;
    difference.caption = configuration.caption;
    difference.configuration = side_of(configuration);
    difference.instrument = side_of(instrument);
    return difference;
}

std::string differences_csv(const std::vector<CompareDifference>& differences)
{
    std::string out = csv_line({std::begin(texts::csv_difference_columns), std::end(texts::csv_difference_columns)});
    for (const CompareDifference& d : differences) {
        out += csv_line({d.name, index_text(d.index), d.caption, d.configuration.value,
                         std::string(d.configuration.access()), std::string(d.configuration.owner()),
                         d.instrument.value, std::string(d.instrument.access()), std::string(d.instrument.owner())});
    }
    return out;
}

bool save_differences_csv(const std::vector<CompareDifference>& differences, const std::string& path,
                          std::string& reason)
{
    return write_file_atomically(path, differences_csv(differences), {}, &reason);
}

std::string differences_html(const std::vector<CompareDifference>& differences)
{
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    out += texts::differences_title;
    out += "</title>\n<style>\n"
           "table { border-collapse: collapse; font-size: 12px; }\n"
           "th, td { border: 1px solid #808080; padding: 2px 6px; text-align: left; vertical-align: top; }\n"
           "th { background: #ffffaa; }\n"
           "td.differs { color: #4040ff; font-weight: bold; }\n"
           "</style>\n</head>\n<body>\n<h4>";
    out += fill_placeholders(texts::differences_heading, {std::to_string(differences.size())});
    out += "</h4>\n<table>\n<tr>";
    for (std::string_view column : {texts::column_command, texts::differences_index, texts::column_caption}) {
        out += "<th rowspan=2>";
        out += column;
        out += "</th>";
    }
    for (std::string_view side : {texts::differences_configuration, texts::differences_instrument}) {
        out += "<th colspan=3>";
        out += side;
        out += "</th>";
    }
    out += "</tr>\n<tr>";
    for (int side = 0; side < 2; ++side)
        for (std::string_view column :
             {texts::differences_value, texts::differences_access, texts::differences_owner}) {
            out += "<th>";
            out += column;
            out += "</th>";
        }
    out += "</tr>\n";
    for (const CompareDifference& d : differences) {
        out += "<tr>";
        append_cell(out, d.name);
        append_cell(out, index_text(d.index));
        append_cell(out, d.caption);
        append_side(out, d.configuration, d.instrument);
        append_side(out, d.instrument, d.configuration);
        out += "</tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

bool save_differences_html(const std::vector<CompareDifference>& differences, const std::string& path,
                           std::string& reason)
{
    return write_file_atomically(path, differences_html(differences), {}, &reason);
}

} // namespace zr740
