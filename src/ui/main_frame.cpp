#include "ui/main_frame.h"

#include "app/app_context.h"
#include "app/chlb5_doc.h"
#include "app/engine_texts.h"
#include "app/scan_thread.h"
#include "model/parameter.h"
#include "platform/settings_store.h"
#include "app/app_shell.h"
#include "ui/chlb5_tree_list_view.h"
#include "ui/command_table.h"
#include "ui/compare_report_window.h"
#include "ui/frame_icons.h"
#include "ui/frame_texts.h"
#include "ui/qt_shell.h"
#include "ui/report_texts.h"
#include "ui/traffic_texts.h"
#include "ui/traffic_window.h"
#include "ui/trend_window.h"

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

#include <algorithm>

namespace zr740::ui {
namespace {

// A text of the command table; an empty one stays empty.
QString table_text(Text text)
{
    return text.source().empty() ? QString() : q(text);
}

constexpr int recent_count = recent_file_count;
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
    shell_.on_scan_results = [this] {
        const auto results = view_->take_scan_results();
        if (trend_)
            trend_->add_results(results);
    };
    shell_.on_update_views = [this] {
        view_->update_view();
        update_caption();
        refresh_commands();
    };
    shell_.on_compare_result = [this](const std::vector<CompareDifference>& differences) {
        return compare_result(differences);
    };
    setAcceptDrops(true);
    resize(1024, 700);
    update_caption();
    refresh_commands();
}

CMainFrame::~CMainFrame()
{
    // Closing hides the docks: no refresh of a window half gone.
    if (traffic_)
        traffic_->disconnect(this);
    if (trend_)
        trend_->disconnect(this);
    shell_.on_command = nullptr;
    shell_.on_scan_results = nullptr;
    shell_.on_update_views = nullptr;
    shell_.on_compare_result = nullptr;
    if (shell_.main_window() == this)
        shell_.set_main_window(nullptr);
}

QAction* CMainFrame::add_action(QMenu* menu, const CommandEntry& entry, Command command)
{
    auto* action = new QAction(table_text(entry.text), this);
    action->setData(number(command));
    action->setIcon(picture_icon(entry.picture));
    const QString prompt = table_text(entry.prompt);
    const qsizetype tip = prompt.indexOf(u'\n');
    action->setStatusTip(prompt.left(tip < 0 ? prompt.size() : tip));
    if (tip >= 0)
        action->setToolTip(prompt.mid(tip + 1));
    if (entry.shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
    action->setCheckable(entry.checkable);
    connect(action, &QAction::triggered, this, [this, command] { run_command(command); });
    if (menu)
        menu->addAction(action);
    else
        addAction(action);
    actions_[command] = action;
    return action;
}

QMenu* CMainFrame::menu(Menu which, std::map<Menu, QMenu*>& made)
{
    if (const auto found = made.find(which); found != made.end())
        return found->second;
    const auto entry = std::ranges::find(menu_table(), which, &MenuEntry::menu);
    QMenu* created = nullptr;
    if (entry->parent == Menu::none) {
        created = menuBar()->addMenu(q(entry->title));
    } else {
        QMenu* parent = menu(entry->parent, made);
        if (entry->separator_before)
            parent->addSeparator();
        created = parent->addMenu(q(entry->title));
    }
    // Check marks and enabled states follow the run's state whenever a menu opens.
    connect(created, &QMenu::aboutToShow, this, &CMainFrame::refresh_commands);
    made[which] = created;
    return created;
}

void CMainFrame::build_menus()
{
    std::map<Menu, QMenu*> made;
    for (const CommandEntry& entry : command_table()) {
        QMenu* in = entry.menu == Menu::none ? nullptr : menu(entry.menu, made);
        if (in && entry.separator_before)
            in->addSeparator();
        if (entry.command != Command::recent_file_1) {
            add_action(in, entry, entry.command);
            continue;
        }
        // The recent-file list: its entries get their texts from the list, see refresh_recent_menu.
        for (int i = 0; i < recent_count; ++i)
            recent_actions_.push_back(add_action(in, entry, static_cast<Command>(number(entry.command) + i)));
    }
}

void CMainFrame::build_toolbar()
{
    toolbar_ = addToolBar(q(texts::toolbar_caption));
    toolbar_->setObjectName("toolbar");
    toolbar_->setIconSize(QSize(24, 24));
    std::vector<const CommandEntry*> buttons;
    for (const CommandEntry& entry : command_table())
        if (entry.toolbar != 0)
            buttons.push_back(&entry);
    std::ranges::sort(buttons, {}, &CommandEntry::toolbar);
    for (const CommandEntry* button : buttons) {
        if (button->toolbar_gap)
            toolbar_->addSeparator();
        toolbar_->addAction(actions_.at(button->command));
    }
}

void CMainFrame::build_status_bar()
{
    QStatusBar* bar = statusBar();
    note_ = new QLabel(this);
    note_->setObjectName("statusNote");
    bar->addPermanentWidget(note_);
    link_statistics_ = new QLabel(this);
    link_statistics_->setObjectName("linkStatistics");
    link_statistics_->setToolTip(q(texts::traffic_statistics_brief_tip));
    link_statistics_->setVisible(false);
    bar->addPermanentWidget(link_statistics_);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &CMainFrame::refresh_link_statistics);
    clock->start(500);
    // The message pane says "Готово" whenever no prompt stands in it.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(q(texts::idle_prompt));
    });
    bar->showMessage(q(texts::idle_prompt));
}

void CMainFrame::refresh_link_statistics()
{
    const auto statistics = document_.link().trace().statistics();
    // Nothing to tell before the first request.
    link_statistics_->setVisible(statistics.requests > 0);
    link_statistics_->setText(link_statistics_text(statistics, true));
}

QString CMainFrame::link_statistics_note() const
{
    return link_statistics_->isVisibleTo(this) ? link_statistics_->text() : QString();
}

TrafficWindow* CMainFrame::traffic_window()
{
    if (!traffic_) {
        traffic_ = new TrafficWindow(document_.link().trace(), shell_, this);
        traffic_->setVisible(false);
        addDockWidget(Qt::BottomDockWidgetArea, traffic_);
        resizeDocks({traffic_}, {height() * 2 / 5}, Qt::Vertical);
        connect(traffic_, &QDockWidget::visibilityChanged, this, &CMainFrame::refresh_commands);
    }
    return traffic_;
}

TrendWindow* CMainFrame::trend_window()
{
    if (!trend_) {
        trend_ = new TrendWindow(shell_, this);
        // The log's columns: the scanners polled when it starts, in polling order.
        trend_->set_log_source(&document_.scanners_thread(), [this] {
            std::vector<Parameter*> polled;
            for (Parameter* scanner : ScanThread::collect(document_.scanners()))
                if (scanner->poll_running)
                    polled.push_back(scanner);
            return polled;
        });
        trend_->setVisible(false);
        addDockWidget(Qt::BottomDockWidgetArea, trend_);
        resizeDocks({trend_}, {height() / 2}, Qt::Vertical);
        connect(trend_, &QDockWidget::visibilityChanged, this, &CMainFrame::refresh_commands);
    }
    return trend_;
}

CompareReportWindow* CMainFrame::compare_report_window()
{
    if (!report_) {
        report_ = new CompareReportWindow(shell_, this);
        report_->on_chosen = [this](const CompareDifference& difference) {
            if (view_->show_parameter(difference.name, difference.index, difference.caption)) {
                activateWindow();
                raise();
                return;
            }
            const QString name = difference.index < 0 ? q(difference.name)
                                                      : q(difference.name) + ':' + QString::number(difference.index);
            shell_.message(q(texts::report_parameter_missing).arg(name).toStdString(), utf8(texts::report_caption),
                           Icon::warning, Owner::main_window);
        };
    }
    return report_;
}

QAction* CMainFrame::action(Command command) const
{
    const auto found = actions_.find(command);
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
    action(Command::auto_read)->setChecked(context.auto_read);
    action(Command::immediate_write)->setChecked(context.immediate_write);
    action(Command::verify_writes)->setChecked(context.verify_writes);
    action(Command::block_reads)->setChecked(context.block_reads);
    action(Command::no_attributes)->setChecked(no_attributes_);
    const int converter = document_.link().sio().automatic_converter;
    action(Command::converter_automatic)->setChecked(converter == 1);
    action(Command::converter_semi)->setChecked(converter == 0);
    action(Command::initialise)->setEnabled(device != nullptr);
    action(Command::init_command)->setEnabled(device != nullptr);
    action(Command::calibration)->setEnabled(device != nullptr && device->supports_calibration());
    action(Command::toolbar)->setChecked(toolbar_ && toolbar_->isVisibleTo(this));
    action(Command::status_bar)->setChecked(statusBar()->isVisibleTo(this));
    action(Command::traffic_monitor)->setChecked(traffic_ && traffic_->isVisibleTo(this));
    action(Command::trend_window)->setChecked(trend_ && trend_->isVisibleTo(this));
    action(Command::compare_report)->setEnabled(!last_differences_.empty());
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
