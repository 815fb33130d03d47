#include "ui/tree_row_editor.h"

#include "app/chlb5_doc.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "model/value_types.h"
#include "platform/shell.h"
#include "ui/chlb5_tree_list_ctrl.h"
#include "ui/tree_texts.h"

#include <cstdio>
#include <mutex>
#include <optional>

namespace zr740::ui {
namespace {

std::string printf_f(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", value);
    return buffer;
}

// Puts a refused or failed value back as it was before the edit.
struct SavedValue {
    explicit SavedValue(const Parameter& parameter)
        : text(parameter.value_text), changed(parameter.value_changed)
    {
    }
    void restore(Parameter& parameter) const
    {
        parameter.value_text = text;
        parameter.value_changed = changed;
    }
    std::string text;
    std::uint8_t changed;
};

} // namespace

TreeRowEditor::TreeRowEditor(CHLB5Doc& document, Shell& shell) : document_(document), shell_(shell) {}

bool TreeRowEditor::is_list_type(const Parameter& parameter)
{
    if (parameter.type_text.find(':') == std::string::npos)
        return false;
    static constexpr std::string_view plain[] = {"int",  "int16",  "sint",   "sint16", "float", "stored_dot",
                                                 "CLK_frm", "string", "ASCI", "name",  "void"};
    const std::string base = parameter.base_type();
    for (const auto type : plain)
        if (equals_no_case(base, type))
            return false;
    return true;
}

std::vector<std::string> TreeRowEditor::list_items(const Parameter& parameter)
{
    std::vector<std::string> items;
    for (auto& item : type_items(parameter.type_text))
        if (item.find("<hide>") == std::string::npos)
            items.push_back(std::move(item));
    return items;
}

bool TreeRowEditor::is_program_setting(const TreeNode& node) const
{
    return node.parent && node.parent->element == &document_.link().link_settings();
}

std::string TreeRowEditor::refusal_text(const Parameter& parameter, const std::string& text)
{
    std::string message = fill_placeholders(utf8(texts::cannot_assign), {parameter.name, parameter.caption, text});
    if (equals_no_case(parameter.name, "CHAr*"))
        message += utf8(texts::network_name_rule);
    if (parameter.min != 0.0 || parameter.max != 0.0)
        message += fill_placeholders(utf8(texts::range_rule),
                                     {parameter.type_word(), printf_f(parameter.min), printf_f(parameter.max)});
    return message;
}

void TreeRowEditor::modified()
{
    document_.modified = true;
    if (on_modified)
        on_modified();
}

bool TreeRowEditor::commit(TreeNode& node, int column, const QVariant& value, int role)
{
    using Kind = TreeNode::Kind;
    if (role == Qt::CheckStateRole) {
        if (node.kind != Kind::scanner || column != CHLB5TreeListCtrl::caption)
            return false;
        ScanThread& scan = document_.scanners_thread();
        const bool on = value.toInt() == Qt::Checked;
        return (on ? scan.switch_on(*node.parameter) : scan.switch_off(*node.parameter)) == 0;
    }
    const std::string text = value.toString().toStdString();
    if (node.kind == Kind::parameter) {
        if (column == CHLB5TreeListCtrl::value)
            return commit_value(node, text);
        if (column == CHLB5TreeListCtrl::editable)
            return commit_attribute(*node.parameter, text);
        return false;
    }
    if (node.kind == Kind::scanner) {
        if (column == CHLB5TreeListCtrl::name) {
            bool number = false;
            const int period = QString::fromStdString(text).trimmed().toInt(&number);
            // Anything but a number counts as no period at all and gets the same refusal.
            return document_.scanners_thread().set_period(*node.parameter, number ? period : 0);
        }
        if (column == CHLB5TreeListCtrl::value)
            return commit_scanner_value(node, text);
    }
    return false;
}

bool TreeRowEditor::commit_value(TreeNode& node, const std::string& text)
{
    Parameter& parameter = *node.parameter;
    if (parameter.factory_owned || text == parameter.value_text)
        return false;
    const SavedValue saved(parameter);
    const bool program_setting = is_program_setting(node);
    bool accepted = false;
    {
        // The thread that opens the line may be reading the program's link settings.
        std::unique_lock<std::mutex> settings;
        if (program_setting)
            settings = std::unique_lock(document_.link().link_settings().values_lock());
        accepted = parameter.set_value_from_input(text, false);
        // The program's own settings are never written to the instrument: nothing is pending.
        if (accepted && program_setting)
            parameter.value_changed = 0;
    }
    if (!accepted) {
        shell_.message(refusal_text(parameter, text), utf8(texts::app_title), Icon::stop, Owner::main_window);
        return false;
    }
    modified();
    if (equals_no_case(parameter.name, "Log"))
        if (auto* device = document_.device())
            device->on_log_parameter(parameter);

    if (program_setting) {
        document_.link().link_settings().save();
        document_.link().open_port(true);
        if (on_link_changed)
            on_link_changed();
        return true;
    }
    // A value kept only in the configuration file never goes to the instrument.
    if (!parameter.exchangeable)
        return true;
    shell_.set_wait_cursor(true);
    const int result = document_.engine().immediate_write(parameter);
    shell_.set_wait_cursor(false);
    if (result == 0 || result == 1000 || result == BatchEngine::not_exchanged)
        return true;
    // The row turns red with the reason in its status column; the old value comes back.
    shell_.message(parameter.status_text, utf8(texts::write_failed_caption), Icon::stop, Owner::main_window);
    saved.restore(parameter);
    return false;
}

bool TreeRowEditor::commit_attribute(Parameter& parameter, const std::string& text)
{
    std::uint8_t editable = parameter.editable;
    if (text == zr740::texts::attr_editable)
        editable = 1;
    else if (text == zr740::texts::attr_read_only)
        editable = 0;
    if (editable == parameter.editable)
        return false;
    parameter.editable = editable;
    parameter.editable_changed = 1;
    modified();
    return true;
}

bool TreeRowEditor::commit_scanner_value(TreeNode& node, const std::string& text)
{
    Parameter& parameter = *node.parameter;
    if (text == node.scan_value)
        return false;
    // No poll may touch the parameter while it is changed and written: the scanner thread polls
    // under the port lock. What the person is to be told waits until the lock is free again, or
    // every poll, and any job posted meanwhile, would wait for the person's answer too.
    std::optional<std::string> refusal;
    std::optional<std::string> failure;
    std::string written;
    {
        std::lock_guard lock(document_.link().port_lock());
        const SavedValue saved(parameter);
        if (!parameter.set_value_from_input(text, false)) {
            refusal = refusal_text(parameter, text);
        } else {
            shell_.set_wait_cursor(true);
            const int result = document_.engine().write_step(parameter, BatchEngine::mode_all);
            shell_.set_wait_cursor(false);
            if (result != 0) {
                failure = parameter.status_text;
                saved.restore(parameter);
            }
            written = parameter.value_text;
        }
    }
    if (refusal) {
        shell_.message(*refusal, utf8(texts::app_title), Icon::stop, Owner::main_window);
        return false;
    }
    modified();
    if (failure) {
        shell_.message(*failure, utf8(texts::write_failed_caption), Icon::stop, Owner::main_window);
        node.scan_status = *failure;
        return false;
    }
    node.scan_value = written;
    node.scan_status.clear();
    return true;
}

} // namespace zr740::ui
