#include "ui/splash_window.h"

#include "model/model_texts.h"
#include "ui/frame_icons.h"
#include "ui/frame_texts.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace zr740::ui {

CHeadBandDlg::CHeadBandDlg(const QString& caption)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), caption_(caption)
{
    // 218 x 206 dialog units of the classic template.
    setFixedSize(330, 310);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CHeadBandDlg::set_caption(const QString& caption)
{
    caption_ = caption;
    update();
}

void CHeadBandDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(40, 70, 120));
    background.setColorAt(1, QColor(15, 30, 60));
    p.fillRect(rect(), background);
    p.setPen(QPen(QColor(200, 210, 230), 2));
    p.drawRect(rect().adjusted(1, 1, -2, -2));

    // The instrument, as the toolbar draws it, large.
    const QPixmap picture = drawn_icon(pictures::read_all).pixmap(96, 96);
    p.drawPixmap((width() - 96) / 2, 40, picture);

    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(34);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 150, width(), 44), Qt::AlignCenter, QString::fromUtf8(zr740::texts::app_title.data()));
    font.setBold(false);
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRect(0, 196, width(), 24), Qt::AlignCenter, q(texts::frame_caption));
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(QColor(230, 230, 160));
    p.drawText(QRect(0, height() - 50, width(), 30), Qt::AlignCenter, caption_);
}

} // namespace zr740::ui
