#pragma once
// The tree list of the main window as a Qt item model. It reads the document's tree in place: every
// row is a small node that points at its element or Parameter, so the texts shown are always the
// document's own. Only scanner rows keep texts of their own, because their parameters belong to the
// scanner thread while it polls; the window shows what the result queue brought.
//
// Branches create their rows on first expansion: the view calls fill_node when it expands a row, so
// a row that may have children says so before it has any. A refresh compares a fingerprint of each
// row with the one shown last and announces only the rows that changed, one dataChanged per
// contiguous block, so a value update never resets the model.

#include "ui/tree_icons.h"

#include <QAbstractItemModel>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zr740 {
class CHLB5Doc;
class DescBranch;
class InvisibleElement;
class Parameter;
} // namespace zr740

namespace zr740::ui {

struct TreeNode {
    enum class Kind : std::uint8_t {
        root,           // "Конфигурация ЗР740 (...)"
        placeholder,    // "Параметры прибора" when the description has no tree
        element,        // a branch or another element with parameters
        parameter,      // a parameter row
        scanner_header, // the heading row of the scanners
        scanner,        // a parameter of the scanners branch
        bit,            // one bit of an "r.cn" / "s.do" scanner
    };

    Kind kind = Kind::root;
    InvisibleElement* element = nullptr; // element rows
    DescBranch* branch = nullptr;        // element rows that are branches of the description
    Parameter* parameter = nullptr;      // parameter, scanner and bit rows (the bit's scanner)
    TreeNode* parent = nullptr;
    int row = 0;
    bool filled = false;
    bool in_scanners = false; // the scanners branch and everything below it
    std::vector<std::unique_ptr<TreeNode>> children;

    // What the row showed when it was announced last.
    std::uint64_t shown_texts = 0;
    std::uint32_t shown_colour = 0;

    // Scanner rows: the texts of the last result record. Bit rows: the bit number and its state.
    std::string scan_value;
    std::string scan_status;
    int bit = 0;
    bool bit_set = false;

    bool is_parameter_row() const { return kind == Kind::parameter; }
};

class CHLB5TreeListCtrl : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { caption = 0, name = 1, count = 2, value = 3, editable = 4, owner = 5, status = 6, column_count = 7 };

    // Hands the committed edits of a cell over; true when the edit was taken.
    using EditHandler = std::function<bool(TreeNode& node, int column, const QVariant& value, int role)>;

    explicit CHLB5TreeListCtrl(CHLB5Doc& document, QObject* parent = nullptr);
    ~CHLB5TreeListCtrl() override;

    void set_edit_handler(EditHandler handler) { edit_handler_ = std::move(handler); }

    // Builds the fixed rows: the root row, the parameter tree's row (or its placeholder), the program's
    // link settings, and the scanners with their heading when `with_scanners`.
    void fill(const QString& title, bool with_scanners);
    // Drops every row (before the document's tree goes away).
    void clear();
    bool filled() const { return root_ != nullptr; }
    void set_title(const QString& title);

    // Re-reads every row that exists and announces the changed ones.
    void refresh_all();
    // Re-reads one row (and its bit rows).
    void refresh(TreeNode& node);
    // Creates the rows of a branch if it has none yet (on its first expansion).
    void fill_node(TreeNode& node);

    TreeNode* node(const QModelIndex& index) const;
    QModelIndex index_of(const TreeNode& node, int column = 0) const;
    TreeNode* root_node() const { return root_.get(); }
    TreeNode* parameters_node() const { return parameters_; }
    TreeNode* scanners_node() const { return scanners_; }
    // The scanner row of a parameter, if it has one (looked up by address, never dereferenced).
    TreeNode* scanner_row(const Parameter* parameter) const;
    // The row of a parameter of the parameter tree or the link settings, if it has been created.
    TreeNode* parameter_row(const Parameter* parameter) const;
    // The row of a parameter of the parameter tree, creating the rows of its branches on the way.
    TreeNode* reveal(const Parameter& parameter);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The text of a cell as std::string (what DisplayRole shows).
    std::string cell_text(const TreeNode& node, int column) const;
    // Row colour in 0x00BBGGRR order; 0 is the default colour.
    std::uint32_t colour(const TreeNode& node) const;
    // Widths in pixels of the columns as the window starts.
    static int column_width(int column);

private:
    TreeNode& add(TreeNode& parent, std::unique_ptr<TreeNode> child);
    void create_children(TreeNode& node, std::vector<std::unique_ptr<TreeNode>>& out) const;
    static bool may_have_children(const TreeNode& node);
    std::uint64_t fingerprint(const TreeNode& node) const;
    // Compares the rows of one parent and announces the changed blocks; recurses into filled rows.
    void refresh_children(TreeNode& parent);
    void remember(TreeNode& node);
    static int first_changed_column(const TreeNode& node, bool colour_changed);

    CHLB5Doc& document_;
    QString title_;
    std::unique_ptr<TreeNode> root_;
    TreeNode* parameters_ = nullptr;
    TreeNode* scanners_ = nullptr;
    std::unordered_map<const Parameter*, TreeNode*> scanner_rows_;
    std::unordered_map<const Parameter*, TreeNode*> parameter_rows_;
    EditHandler edit_handler_;
    TreeIcons icons_;
};

} // namespace zr740::ui
