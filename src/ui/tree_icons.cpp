#include "ui/tree_icons.h"

#include <QPainter>
#include <QPixmap>

namespace zr740::ui {
namespace {

constexpr int size = 16;

// A folder; `open` draws its flap lifted.
void folder(QPainter& p, QColor colour, bool open)
{
    p.setPen(colour.darker(160));
    p.setBrush(colour.lighter(120));
    p.drawRect(1, 3, 6, 2);
    p.setBrush(colour);
    p.drawRect(1, 4, 13, 10);
    if (open) {
        p.setBrush(colour.lighter(140));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
    }
}

// A sheet of paper with lines, the colour marking the kind of value.
void sheet(QPainter& p, QColor mark)
{
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(3, 1, 10, 14);
    p.setPen(mark);
    for (int y = 4; y <= 12; y += 3)
        p.drawLine(5, y, 11, y);
}

// Two plugs joined by a cable: a network.
void network(QPainter& p, QColor colour)
{
    p.setPen(colour.darker(170));
    p.setBrush(colour);
    p.drawRect(1, 2, 5, 5);
    p.drawRect(10, 9, 5, 5);
    p.drawLine(6, 4, 12, 4);
    p.drawLine(12, 4, 12, 9);
}

} // namespace

const QIcon& TreeIcons::icon(int index) const
{
    auto found = cache_.find(index);
    if (found == cache_.end())
        found = cache_.emplace(index, draw(index)).first;
    return found->second;
}

QIcon TreeIcons::draw(int index)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (index) {
    case 25: // the configuration: a gauge
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(235, 235, 235));
        p.drawEllipse(1, 1, 14, 14);
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(8, 8, 12, 4);
        p.setPen(QColor(40, 40, 40));
        p.drawLine(4, 11, 5, 10);
        p.drawLine(12, 11, 11, 10);
        break;
    case 1:
        folder(p, QColor(230, 190, 60), true);
        break;
    case 3:
        folder(p, QColor(240, 210, 110), true);
        break;
    case 4:
        network(p, QColor(70, 130, 200));
        break;
    case 19:
        network(p, QColor(60, 170, 90));
        break;
    case 5: // current values: a folder with a pulse
        folder(p, QColor(120, 180, 230), false);
        p.setPen(QPen(QColor(200, 0, 0), 1));
        p.drawPolyline(QPolygon({QPoint(2, 10), QPoint(5, 10), QPoint(7, 6), QPoint(9, 12), QPoint(11, 9), QPoint(14, 9)}));
        break;
    case 20: // service: a gear-like square
        p.setPen(QColor(80, 80, 80));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(3, 3, 10, 10);
        p.setBrush(Qt::white);
        p.drawEllipse(6, 6, 4, 4);
        break;
    case 27:
        sheet(p, QColor(60, 120, 200));
        break;
    case 28:
        sheet(p, QColor(40, 150, 60));
        break;
    case 30:
        sheet(p, QColor(170, 170, 170));
        p.setPen(QColor(200, 0, 0));
        p.drawLine(2, 14, 14, 2);
        break;
    case 49: // the heading of the scanners: a clock
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(250, 250, 210));
        p.drawEllipse(1, 1, 14, 14);
        p.drawLine(8, 8, 8, 3);
        p.drawLine(8, 8, 12, 8);
        break;
    default: // 2 and any branch picture the program does not know
        folder(p, QColor(230, 190, 60), false);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace zr740::ui
