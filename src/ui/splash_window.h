#pragma once
// The start-up window ("Инициализация..."): a borderless picture of the program with a line of
// text, shown without a parent while the document checks the link and loads the description.

#include <QWidget>

namespace zr740::ui {

class CHeadBandDlg : public QWidget {
    Q_OBJECT
public:
    explicit CHeadBandDlg(const QString& caption);
    void set_caption(const QString& caption);
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

} // namespace zr740::ui
