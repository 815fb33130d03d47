#include "app/html_export.h"

#include "app/html_note.h"
#include "app/html_texts.h"
#include "model/c_numbers.h"
#include "model/desc_branch.h"
#include "model/text.h"
#include "app/app_shell.h"
#include "platform/wait_cursor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zr740 {
namespace {

constexpr std::string_view number_sign = "№";

// Base types shown as their mnemonic; any other type text is an enumeration (or a list of
// allowed values) and is shown item by item, numbered from 0 like the values themselves.
constexpr std::array<std::string_view, 9> plain_types{"STORED_DOT", "DEC_dot", "CLK_frm", "string", "ASCI",
                                                      "name",       "int",     "int16",   "float"};

// Description texts go into the page as text, never as markup.
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
        default:
            out += c;
        }
    }
}

// Copies of an element told apart only by their number ("Канал №1 выход", "Канал №2 выход") share
// one heading: the number gives way to "№...".
std::string heading_name(std::string_view name)
{
    const auto sign = name.find(number_sign);
    if (sign == std::string_view::npos)
        return std::string(name);
    std::string shortened(name.substr(0, sign));
    shortened += texts::any_number;
    const auto blank = name.find(' ', sign + number_sign.size());
    if (blank != std::string_view::npos)
        shortened += name.substr(blank);
    return shortened;
}

// The indexing column of every indexed parameter, worked out once per page: a lookup through the
// whole tree per row would make large descriptions quadratic.
class IndexingTexts {
public:
    explicit IndexingTexts(const DescBranch& root)
    {
        std::unordered_map<std::string, std::vector<int>> indices;
        visit(root, [&](const Parameter& parameter) {
            indices[fold_case(parameter.name)].push_back(parameter.linear_index);
        });
        texts_.reserve(indices.size());
        for (auto& [name, list] : indices) {
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
            if (list.back() <= 0)
                continue;
            // The list reads 0, next, ..., last; a lone index stands for both.
            const int next = list.size() > 1 ? list[1] : list[0];
            texts_.emplace(name, fill_placeholders(texts::index_list, {std::to_string(next), std::to_string(list.back())}));
        }
    }

    std::string_view of(const Parameter& parameter) const
    {
        if (!parameter.indexed)
            return texts::not_indexed;
        const auto found = texts_.find(fold_case(parameter.name));
        return found == texts_.end() ? texts::not_indexed : std::string_view(found->second);
    }

private:
    template <typename F> static void visit(const DescBranch& branch, F&& each)
    {
        for (const auto& parameter : branch.parameters)
            each(*parameter);
        for (const auto& child : branch.children)
            visit(*child, each);
    }

    std::unordered_map<std::string, std::string> texts_;
};

class PageWriter {
public:
    explicit PageWriter(const DescBranch& root) : root_(root), indexing_(root) {}

    std::string page(std::string_view variant_caption)
    {
        out_ += "<html>\n<head>\n<meta HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\n"
                "\t<title>";
        out_ += fill_placeholders(texts::page_title, {variant_caption});
        out_ += "</title>\n</head>\n\n<body>\n<h4>";
        out_ += texts::page_heading;
        out_ += "</h4>\n<table border=1 width=\"100%\" style=\"font-size=12px\">\n";
        sections(root_, {});
        out_ += "</table>\n\n<br>\n";
        out_ += texts::parameter_list_note;
        out_ += "</TABLE>\n</body>\n</html>";
        return utf8_to_cp1251(out_);
    }

private:
    // One section per child element with parameters, then that element's own children, their
    // headings prefixed with the element's name. Rows are numbered from 1 anew in each call.
    void sections(const DescBranch& branch, const std::string& path)
    {
        int row_number = 0;
        std::optional<std::string> previous;
        for (const auto& child : branch.children) {
            std::string name = heading_name(child->name);
            if (previous == name)
                continue;
            previous = name;
            if (!child->parameters.empty()) {
                // An element of a single parameter shows as that parameter's row alone, as in the tree.
                if (child->parameters.size() != 1 || !child->children.empty())
                    section_heading(path + name);
                for (const auto& parameter : child->parameters)
                    row(++row_number, *parameter);
            }
            sections(*child, path + name + "\\");
        }
    }

    void section_heading(std::string_view title)
    {
        out_ += "<tr><td colspan=8 bgColor=\"#ffffaa\"><b>";
        append_escaped(out_, title);
        out_ += "</b></td></tr>\n<tr>\n";
        for (std::string_view column :
             {texts::column_number, texts::column_command, texts::column_registers, texts::column_caption,
              texts::column_type, texts::column_indexing, texts::column_range, texts::column_attributes}) {
            out_ += "<td><strong><b>";
            out_ += column;
            out_ += "</b></strong></td>\n";
        }
        out_ += "</tr>\n";
    }

    void open_cell() { out_ += "\t<td>"; }
    void close_cell() { out_ += "\t</td>\n"; }
    void cell(std::string_view text)
    {
        open_cell();
        append_escaped(out_, text);
        close_cell();
    }

    void row(int number, const Parameter& parameter)
    {
        out_ += "<tr>\n";
        cell(std::to_string(number));
        cell(parameter.name);
        cell(std::to_string(parameter.register_count));
        // The captions of numbered copies name the first copy; the page lists the run once.
        cell(replace_all(parameter.caption, "№1", texts::any_number));
        type_cell(parameter.type_text);
        cell(indexing_.of(parameter));
        if (parameter.min < parameter.max)
            cell(fill_placeholders(texts::range_from_to, {format_fixed(parameter.min, 3), format_fixed(parameter.max, 3)}));
        else
            cell(texts::unlimited);
        switch (parameter.attribute_mode) {
        case 0:
            cell(texts::no_attributes);
            break;
        case 1:
            cell(texts::plain_attributes);
            break;
        default:
            cell(fill_placeholders(texts::cut_attribute_tree, {std::to_string(parameter.attribute_mode)}));
        }
        out_ += "</tr>\n";
    }

    void type_cell(std::string_view type_text)
    {
        const auto words = split_items(type_text);
        const bool plain = std::any_of(plain_types.begin(), plain_types.end(),
                                       [&](std::string_view type) { return equals_no_case(words.front(), type); });
        if (plain) {
            cell(words.front());
            return;
        }
        open_cell();
        out_ += "\n\t<ol start=0>\n";
        for (const auto& word : words) {
            out_ += "\t\t<li> ";
            append_escaped(out_, replace_all(word, "_", " "));
            out_ += '\n';
        }
        out_ += "\t</ol>";
        close_cell();
    }

    const DescBranch& root_;
    IndexingTexts indexing_;
    std::string out_;
};

// Created anew (an old page is truncated); the system's reason when it cannot be.
std::optional<std::string> write_new_file(const std::filesystem::path& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::strerror(errno);
    int code = 0;
    while (!bytes.empty() && code == 0) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0)
            bytes.remove_prefix(static_cast<std::size_t>(written));
        else if (errno != EINTR)
            code = errno;
    }
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0)
        return std::strerror(code);
    return std::nullopt;
}

std::filesystem::path page_path_here()
{
    std::error_code error;
    const auto here = std::filesystem::current_path(error);
    // Without a current folder to name, the relative name fails (or succeeds) on its own.
    return error ? std::filesystem::path(texts::page_file_name) : here / texts::page_file_name;
}

} // namespace

std::string parameter_list_page(const DescBranch& root, std::string_view variant_caption)
{
    return PageWriter(root).page(variant_caption);
}

std::filesystem::path parameter_list_fallback_folder(const EnvironmentLookup& lookup)
{
    return platform_paths_from(lookup).user_cache_dir / texts::page_cache_folder;
}

std::filesystem::path parameter_list_fallback_folder_from_environment()
{
    return parameter_list_fallback_folder([](const char* name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name))
            return std::string(value);
        return std::nullopt;
    });
}

std::optional<std::filesystem::path> export_parameter_list(const DescBranch& root, std::string_view variant_caption,
                                                           AppShell& shell, const std::filesystem::path& fallback_folder)
{
    const std::filesystem::path here = page_path_here();
    const std::filesystem::path elsewhere = fallback_folder / texts::page_file_name;
    std::optional<std::string> here_failure;
    std::optional<std::string> elsewhere_failure;
    {
        WaitCursor wait(shell);
        const std::string page = parameter_list_page(root, variant_caption);
        here_failure = write_new_file(here, page);
        if (here_failure) {
            std::error_code error;
            std::filesystem::create_directories(fallback_folder, error);
            elsewhere_failure = error ? std::optional<std::string>(error.message()) : write_new_file(elsewhere, page);
        }
    }
    const std::string caption(texts::page_message_caption);
    if (here_failure && elsewhere_failure) {
        std::string text(texts::page_not_written);
        text += fill_placeholders(texts::page_attempt, {here.string(), *here_failure});
        text += fill_placeholders(texts::page_attempt, {elsewhere.string(), *elsewhere_failure});
        shell.message(text, caption, Icon::stop, Owner::main_window);
        return std::nullopt;
    }
    const std::filesystem::path& written = here_failure ? elsewhere : here;
    if (here_failure)
        shell.message(fill_placeholders(texts::page_written_elsewhere, {*here_failure, written.string()}), caption,
                      Icon::information, Owner::main_window);
    shell.open_file(written.string());
    return written;
}

std::optional<std::filesystem::path> export_parameter_list(const DescBranch& root, std::string_view variant_caption,
                                                           AppShell& shell)
{
    return export_parameter_list(root, variant_caption, shell, parameter_list_fallback_folder_from_environment());
}

} // namespace zr740
