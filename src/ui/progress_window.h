#pragma once
// The progress window of a batch job ("Прибор <==> программа"): the job log, the time the exchange
// has taken, a bar and the count of parameters processed, and "Прервать!". It is modal and only
// ever updated by calls queued from the exchange thread, so it stays responsive while the job runs.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QEventLoop;

namespace zr740::ui {

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    // Caption of the job and the bar's range; the clock starts.
    void start(const QString& caption, int total);
    // One line of the job log (cut to 255 characters); the list scrolls to its end every 5 lines.
    void add_line(const QString& text);
    // "3 из 10" and the bar; nothing for a total of 0.
    void set_count(int processed, int total);
    // Closes the window with the result.
    void finish(int result);
    // Runs the window thread's events until finish; returns its result.
    int wait_until_closed();

    QListWidget* log() const { return log_; }
    QPushButton* abort_button() const { return abort_; }
    QString elapsed_text() const;
    QString count_text() const;
    QProgressBar* bar() const { return bar_; }

signals:
    void abortRequested();

protected:
    // Closing the window by its frame or Escape is the same as "Прервать!".
    void reject() override;

private:
    void show_elapsed();

    QListWidget* log_;
    QLabel* elapsed_;
    QProgressBar* bar_;
    QLabel* count_;
    QPushButton* abort_;
    QElapsedTimer clock_;
    QTimer tick_;
    QEventLoop* loop_ = nullptr;
    bool finished_ = false;
    int result_ = 0;
};

} // namespace zr740::ui
