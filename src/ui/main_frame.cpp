#include "ui/main_frame.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/engine_texts.h"
#include "platform/settings_store.h"
#include "app/app_shell.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/frame_icons.h"
#include "ui/frame_texts.h"
#include "ui/qt_shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace zr740::ui {
namespace {

namespace ids = texts::ids;

// The command's status text, then after "\n" its tooltip; empty for a command without a prompt.
QString prompt_of(int id)
{
    for (const auto& prompt : texts::prompts)
        if (prompt.id == id)
            return q(prompt.text);
    return {};
}

constexpr int recent_count = 4;
constexpr const char* recent_key = "Recent File";

} // namespace

std::string_view variant_caption(int variant)
{
    switch (variant) {
    case 0:
        return zr740::texts::variant_current;
    case 1:
        return zr740::texts::variant_old;
    default:
        return zr740::texts::variant_unknown;
    }
}

CMainFrame::CMainFrame(CHLB5Doc& document, QtShell& shell, Settings& settings, QWidget* parent)
    : QMainWindow(parent), document_(document), shell_(shell), settings_(settings)
{
    setObjectName("mainFrame");
    std::string folder = document_.context().program_folder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    help_path = folder + std::string(texts::help_file);

    view_ = new CHLB5TreeListView(document_, shell_, this);
    setCentralWidget(view_);
    connect(view_, &CHLB5TreeListView::documentModified, this, [this] {
        document_.modified = true;
        update_caption();
    });

    build_menus();
    build_toolbar();
    build_status_bar();
    load_recent();
    refresh_recent_menu();

    shell_.set_main_window(this);
    shell_.on_command = [this](int id) { posted_command(id); };
    shell_.on_scan_results = [this] { view_->take_scan_results(); };
    shell_.on_update_views = [this] {
        view_->update_view();
        update_caption();
        refresh_commands();
    };
    setAcceptDrops(true);
    resize(1024, 700);
    update_caption();
    refresh_commands();
}

CMainFrame::~CMainFrame()
{
    shell_.on_command = nullptr;
    shell_.on_scan_results = nullptr;
    shell_.on_update_views = nullptr;
    if (shell_.main_window() == this)
        shell_.set_main_window(nullptr);
}

QAction* CMainFrame::add_command(QMenu* menu, int id, Text text, const char* shortcut)
{
    return add_action(menu, id, q(text), shortcut);
}

QAction* CMainFrame::add_action(QMenu* menu, int id, const QString& text, const char* shortcut)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setIcon(command_icon(id));
    const QString prompt = prompt_of(id);
    const qsizetype tip = prompt.indexOf(u'\n');
    action->setStatusTip(prompt.left(tip < 0 ? prompt.size() : tip));
    if (tip >= 0)
        action->setToolTip(prompt.mid(tip + 1));
    if (shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
    if (menu)
        menu->addAction(action);
    else
        addAction(action);
    actions_[id] = action;
    return action;
}

void CMainFrame::build_menus()
{
    QMenuBar* bar = menuBar();
    file_menu_ = bar->addMenu(q(texts::menu_file));
    add_command(file_menu_, ids::file_new, texts::item_new, "Ctrl+N");
    add_command(file_menu_, ids::file_open, texts::item_open, "Ctrl+O");
    add_command(file_menu_, ids::file_save, texts::item_save, "Ctrl+S");
    add_command(file_menu_, ids::file_save_as, texts::item_save_as);
    file_menu_->addSeparator();
    recent_anchor_ = file_menu_->addSeparator();
    for (int i = 0; i < recent_count; ++i) {
        auto* action = new QAction(this);
        action->setData(ids::recent_file_1 + i);
        action->setStatusTip(prompt_of(ids::recent_file_1));
        connect(action, &QAction::triggered, this, [this, i] { run_command(ids::recent_file_1 + i); });
        file_menu_->insertAction(recent_anchor_, action);
        recent_actions_.push_back(action);
        actions_[ids::recent_file_1 + i] = action;
    }
    add_command(file_menu_, ids::app_exit, texts::item_exit);

    QMenu* device = bar->addMenu(q(texts::menu_device));
    add_command(device, ids::read_all, texts::item_read_all, "Alt+R");
    add_command(device, ids::write_all, texts::item_write_all, "Alt+W");
    add_command(device, ids::write_changed, texts::item_write_changed, "Alt+U");
    add_command(device, ids::compare, texts::item_compare, "Alt+C");
    device->addSeparator();
    QMenu* service = device->addMenu(q(texts::menu_service));
    add_command(service, ids::initialise, texts::item_initialise);
    add_command(service, ids::apply, texts::item_apply, "Alt+A");
    device->addSeparator();
    add_command(device, ids::single_point, texts::item_single_point, "Alt+S");
    add_command(device, ids::link_check, texts::item_link_check, "Alt+N");
    QMenu* converter = device->addMenu(q(texts::menu_converter));
    add_command(converter, ids::converter_automatic, texts::item_converter_automatic)->setCheckable(true);
    add_command(converter, ids::converter_semi, texts::item_converter_semi)->setCheckable(true);
    add_command(device, ids::port_setup, texts::item_port_setup);

    QMenu* tree = bar->addMenu(q(texts::menu_tree));
    add_command(tree, ids::branch_read, texts::item_branch_read, "Ctrl+Alt+R");
    add_command(tree, ids::branch_write_all, texts::item_branch_write_all, "Ctrl+Alt+W");
    add_command(tree, ids::branch_write_changed, texts::item_branch_write_changed, "Ctrl+Alt+U");
    add_command(tree, ids::branch_compare, texts::item_branch_compare, "Ctrl+Alt+C");
    tree->addSeparator();
    add_command(tree, ids::previous_problem, texts::item_previous_problem, "Alt+Up");
    add_command(tree, ids::next_problem, texts::item_next_problem, "Alt+Down");

    QMenu* modes = bar->addMenu(q(texts::menu_modes));
    add_command(modes, ids::auto_read, texts::item_auto_read)->setCheckable(true);
    add_command(modes, ids::immediate_write, texts::item_immediate_write)->setCheckable(true);
    add_command(modes, ids::no_attributes, texts::item_no_attributes)->setCheckable(true);
    modes->addSeparator();
    add_command(modes, ids::calibration, texts::item_calibration);
    modes->addSeparator();
    add_command(modes, ids::toolbar, texts::item_toolbar)->setCheckable(true);
    add_command(modes, ids::status_bar, texts::item_status_bar)->setCheckable(true);

    QMenu* help = bar->addMenu(q(texts::menu_help));
    add_command(help, ids::help, texts::item_help);
    add_command(help, ids::html_export, texts::item_html_export);
    help->addSeparator();
    add_command(help, ids::about, texts::item_about);

    // Keys without a menu item: F1 for the help, Alt+I for the INIT command.
    add_action(nullptr, ids::help_key, QString(), "F1");
    add_action(nullptr, ids::init_command, QString(), "Alt+I");

    // Check marks and enabled states follow the run's state whenever a menu opens.
    for (QMenu* menu : {file_menu_, device, service, converter, tree, modes, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::refresh_commands);
}

void CMainFrame::build_toolbar()
{
    toolbar_ = addToolBar(q(texts::toolbar_caption));
    toolbar_->setObjectName("toolbar");
    toolbar_->setIconSize(QSize(24, 24));
    const int layout[] = {ids::file_new,       ids::file_open,     ids::file_save,        0,
                          ids::read_all,       ids::write_all,     ids::write_changed,    0,
                          ids::branch_read,    ids::branch_write_all, ids::branch_write_changed, 0,
                          ids::initialise,     0,                  ids::previous_problem, ids::next_problem,
                          0,                   ids::about};
    for (int id : layout) {
        if (id == 0)
            toolbar_->addSeparator();
        else
            toolbar_->addAction(actions_.at(id));
    }
}

void CMainFrame::build_status_bar()
{
    QStatusBar* bar = statusBar();
    note_ = new QLabel(this);
    note_->setObjectName("statusNote");
    bar->addPermanentWidget(note_);
    // The message pane says "Готово" whenever no prompt stands in it.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(q(texts::idle_prompt));
    });
    bar->showMessage(q(texts::idle_prompt));
}

QAction* CMainFrame::action(int id) const
{
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::set_status_note(const QString& text)
{
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

QString CMainFrame::status_note() const { return note_->text(); }

void CMainFrame::refresh_commands()
{
    AppContext& context = document_.context();
    const auto* device = document_.device();
    action(ids::auto_read)->setChecked(context.auto_read);
    action(ids::immediate_write)->setChecked(context.immediate_write);
    action(ids::no_attributes)->setChecked(no_attributes_);
    const int converter = document_.link().sio().automatic_converter;
    action(ids::converter_automatic)->setChecked(converter == 1);
    action(ids::converter_semi)->setChecked(converter == 0);
    action(ids::initialise)->setEnabled(device != nullptr);
    action(ids::init_command)->setEnabled(device != nullptr);
    action(ids::calibration)->setEnabled(device != nullptr && device->supports_calibration());
    action(ids::toolbar)->setChecked(toolbar_ && toolbar_->isVisibleTo(this));
    action(ids::status_bar)->setChecked(statusBar()->isVisibleTo(this));
}

void CMainFrame::refresh_recent_menu()
{
    for (int i = 0; i < recent_count; ++i) {
        QAction* action = recent_actions_[static_cast<std::size_t>(i)];
        if (static_cast<std::size_t>(i) < recent_.size()) {
            const QString name = QString::fromStdString(recent_[static_cast<std::size_t>(i)]);
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
            action->setVisible(true);
            action->setEnabled(true);
        } else if (i == 0) {
            // An empty list shows its placeholder, disabled.
            action->setText(q(texts::item_recent_empty));
            action->setVisible(true);
            action->setEnabled(false);
        } else {
            action->setVisible(false);
        }
    }
}

void CMainFrame::update_caption()
{
    QString caption = q(texts::frame_caption) + ' ' + q(variant_caption(document_.context().run.description_variant));
    const QString title =
        path_.empty() ? q(texts::untitled) : QFileInfo(QString::fromStdString(path_)).fileName();
    caption += " - " + title;
    setWindowTitle(caption);
    view_->set_document_title(title);
}

void CMainFrame::initial_update()
{
    view_->initial_update();
    update_caption();
    refresh_commands();
}

void CMainFrame::set_placement_lock(bool on)
{
    placement_locked_ = on;
    if (on) {
        locked_position_ = pos();
        setFixedSize(size());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // While the command line's placement holds, the window neither shrinks to the task bar nor
    // fills the screen.
    if (event->type() == QEvent::WindowStateChange && placement_locked_ &&
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        QTimer::singleShot(0, this, [this] { setWindowState(Qt::WindowNoState); });
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (placement_locked_ && pos() != locked_position_)
        QTimer::singleShot(0, this, [this] {
            if (placement_locked_)
                move(locked_position_);
        });
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!closing_ && !document_.context().unattended() && !confirm_discard()) {
        event->ignore();
        return;
    }
    closing_ = true;
    // A worker waiting for an answer must not keep the window thread from stopping it.
    shell_.release_waiting_threads();
    document_.stop_threads();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    const std::string path = urls.front().toLocalFile().toStdString();
    // The drop ends before the file opens: a question on the way must not hold the dragging program.
    QTimer::singleShot(0, this, [this, path] {
        if (confirm_discard())
            open_path(path);
    });
}

void CMainFrame::load_recent()
{
    recent_.clear();
    for (int i = 1; i <= recent_count; ++i)
        if (auto path = settings_.read_link_text(recent_key + std::to_string(i)); path && !path->empty())
            recent_.push_back(*path);
}

void CMainFrame::store_recent()
{
    for (int i = 0; i < recent_count; ++i)
        settings_.write_link_text(recent_key + std::to_string(i + 1),
                                  static_cast<std::size_t>(i) < recent_.size() ? recent_[static_cast<std::size_t>(i)]
                                                                              : std::string());
}

void CMainFrame::remember_recent(const std::string& path)
{
    std::erase(recent_, path);
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > recent_count)
        recent_.resize(recent_count);
    store_recent();
    refresh_recent_menu();
}

} // namespace zr740::ui
