#include "ui/compare_report_window.h"

#include "ui/difference_model.h"
#include "ui/qt_shell.h"
#include "ui/report_texts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace zr740::ui {

CompareReportWindow::CompareReportWindow(QtShell& shell, QWidget* parent)
    : QDialog(parent), shell_(shell), model_(new DifferenceModel(this)), sorter_(new DifferenceSorter(this))
{
    setObjectName("compareReport");
    setWindowTitle(q(texts::report_caption));
    setModal(false);
    setSizeGripEnabled(true);

    sorter_->setSourceModel(model_);
    summary_ = new QLabel(this);
    summary_->setObjectName("summary");
    auto* hint = new QLabel(q(texts::report_hint), this);
    hint->setEnabled(false);

    table_ = new QTableView(this);
    table_->setModel(sorter_);
    table_->setSortingEnabled(true);
    // Until a heading is clicked the rows keep the tree's order.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const QModelIndex source = sorter_->mapToSource(index);
        if (source.isValid() && on_chosen)
            on_chosen(model_->difference(source.row()));
    });

    auto* buttons = new QDialogButtonBox(this);
    save_csv_ = buttons->addButton(q(texts::report_save_csv), QDialogButtonBox::ActionRole);
    save_html_ = buttons->addButton(q(texts::report_save_html), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(q(texts::report_close), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    save_csv_->setAutoDefault(false);
    save_html_->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(save_csv_, &QPushButton::clicked, this, [this] {
        const QString path =
            ask_path(q(texts::report_save_csv_caption), q(texts::report_csv_file), q(texts::csv_filter));
        if (!path.isEmpty())
            save_csv_to(path);
    });
    connect(save_html_, &QPushButton::clicked, this, [this] {
        const QString path =
            ask_path(q(texts::report_save_html_caption), q(texts::report_html_file), q(texts::html_filter));
        if (!path.isEmpty())
            save_html_to(path);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    // Wide enough for the columns, never past the screen.
    QSize size(1360, 480);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    set_differences({});
}

void CompareReportWindow::set_differences(std::vector<CompareDifference> differences)
{
    model_->set_differences(std::move(differences));
    summary_->setText(q(texts::report_summary).arg(model_->rowCount()));
    const bool any = model_->rowCount() > 0;
    save_csv_->setEnabled(any);
    save_html_->setEnabled(any);
    table_->resizeColumnsToContents();
    // A long caption or value must not push the other columns out of sight.
    for (int column = 0; column < DifferenceModel::column_count; ++column) {
        const int widest = column == DifferenceModel::caption_column ? 380 : 240;
        if (table_->columnWidth(column) > widest)
            table_->setColumnWidth(column, widest);
    }
}

const std::vector<CompareDifference>& CompareReportWindow::differences() const
{
    return model_->differences();
}

QString CompareReportWindow::summary() const
{
    return summary_->text();
}

QString CompareReportWindow::ask_path(const QString& caption, const QString& name, const QString& filter)
{
    const QString start = folder_.isEmpty() ? name : QDir(folder_).filePath(name);
    QString path = QFileDialog::getSaveFileName(this, caption, start, filter);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += '.' + QFileInfo(name).suffix();
    folder_ = QFileInfo(path).absolutePath();
    return path;
}

bool CompareReportWindow::report_failure(const QString& path, const std::string& reason)
{
    shell_.message(q(texts::report_save_failed).arg(path, q(reason)).toStdString(), utf8(texts::report_caption),
                   Icon::stop, Owner::main_window);
    return false;
}

bool CompareReportWindow::save_csv_to(const QString& path)
{
    std::string reason;
    return save_differences_csv(differences(), path.toStdString(), reason) || report_failure(path, reason);
}

bool CompareReportWindow::save_html_to(const QString& path)
{
    std::string reason;
    return save_differences_html(differences(), path.toStdString(), reason) || report_failure(path, reason);
}

} // namespace zr740::ui
