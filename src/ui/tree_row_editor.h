#pragma once
// What an in-place edit of a tree row does once the editor has been closed: the value is checked
// and taken (or refused with the reason), written at once when immediate write is on, and put back
// when the instrument refuses it; the attribute column toggles the editable attribute; a scanner row
// takes a new period, a switch on or off, or a value written at once.
//
// Column 4 changes the editable attribute ("Атрибут редактирования", as its heading says), and only
// that one: the owner attribute is the instrument's to decide.

#include <QVariant>

#include <functional>
#include <string>

namespace zr740 {
class CHLB5Doc;
class Parameter;
class Shell;
} // namespace zr740

namespace zr740::ui {

struct TreeNode;

class TreeRowEditor {
public:
    TreeRowEditor(CHLB5Doc& document, Shell& shell);

    // True when the edit changed the document. `role` is Qt::EditRole or Qt::CheckStateRole.
    bool commit(TreeNode& node, int column, const QVariant& value, int role);

    // The message of a value the parameter refuses (name, caption, text, and the rules it breaks).
    static std::string refusal_text(const Parameter& parameter, const std::string& text);
    // Whether the value column offers a list of names rather than an edit box.
    static bool is_list_type(const Parameter& parameter);
    // The names the list offers: the type's items without those marked "<hide>".
    static std::vector<std::string> list_items(const Parameter& parameter);
    // Whether the parameter is one of the program's own link settings.
    bool is_program_setting(const TreeNode& node) const;

    // An edit changed the document.
    std::function<void()> on_modified;
    // The program's link settings were taken over and the port reopened: every row may have changed.
    std::function<void()> on_link_changed;

private:
    bool commit_value(TreeNode& node, const std::string& text);
    bool commit_attribute(Parameter& parameter, const std::string& text);
    bool commit_scanner_value(TreeNode& node, const std::string& text);
    void modified();

    CHLB5Doc& document_;
    Shell& shell_;
};

} // namespace zr740::ui
