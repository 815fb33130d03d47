#include "ui/progress_window.h"

#include "ui/frame_texts.h"

#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace zr740::ui {
namespace {

constexpr int max_line = 255;
constexpr int scroll_every = 5;

} // namespace

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent), log_(new QListWidget(this)), elapsed_(new QLabel(this)), bar_(new QProgressBar(this)),
      count_(new QLabel(this)), abort_(new QPushButton(q(texts::progress_abort), this))
{
    setWindowTitle(q(texts::progress_title));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // 306 x 110 dialog units of the classic template.
    resize(520, 260);

    log_->setObjectName("log");
    log_->setUniformItemSizes(true);
    log_->setSelectionMode(QAbstractItemView::NoSelection);
    log_->setFocusPolicy(Qt::NoFocus);
    bar_->setTextVisible(false);
    elapsed_->setObjectName("elapsed");
    count_->setObjectName("count");
    abort_->setObjectName("abort");
    abort_->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(log_, 0, 0, 1, 4);
    layout->addWidget(new QLabel(q(texts::progress_elapsed), this), 1, 0);
    layout->addWidget(elapsed_, 1, 1);
    layout->addWidget(new QLabel(q(texts::progress_processed), this), 1, 2);
    layout->addWidget(count_, 1, 3);
    layout->addWidget(bar_, 2, 0, 1, 3);
    layout->addWidget(abort_, 2, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    connect(abort_, &QPushButton::clicked, this, &CProgressDlg::abortRequested);
    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, &CProgressDlg::show_elapsed);
}

void CProgressDlg::start(const QString& caption, int total)
{
    setWindowTitle(caption);
    bar_->setRange(0, total > 0 ? total : 1);
    bar_->setValue(0);
    count_->clear();
    log_->clear();
    finished_ = false;
    result_ = 0;
    clock_.start();
    show_elapsed();
    tick_.start();
}

void CProgressDlg::add_line(const QString& text)
{
    log_->addItem(text.left(max_line));
    if (log_->count() % scroll_every == 0)
        log_->scrollToBottom();
    show_elapsed();
}

void CProgressDlg::set_count(int processed, int total)
{
    if (total == 0)
        return;
    count_->setText(q(texts::progress_count).arg(processed).arg(total));
    bar_->setRange(0, total);
    bar_->setValue(std::min(processed, total));
}

void CProgressDlg::finish(int result)
{
    if (finished_)
        return;
    finished_ = true;
    result_ = result;
    tick_.stop();
    log_->scrollToBottom();
    hide();
    if (loop_)
        loop_->quit();
}

int CProgressDlg::wait_until_closed()
{
    if (!finished_) {
        QEventLoop loop;
        loop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        loop_ = nullptr;
    }
    return result_;
}

void CProgressDlg::reject() { emit abortRequested(); }

QString CProgressDlg::elapsed_text() const { return elapsed_->text(); }

QString CProgressDlg::count_text() const { return count_->text(); }

void CProgressDlg::show_elapsed()
{
    const qint64 seconds = clock_.isValid() ? clock_.elapsed() / 1000 : 0;
    elapsed_->setText(QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60));
}

} // namespace zr740::ui
