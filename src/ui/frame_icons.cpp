#include "ui/frame_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zr740::ui {
namespace {

// The grid every picture is drawn on.
constexpr double grid = 32.0;

const QColor outline(60, 60, 60);
const QColor instrument_body(112, 122, 134);
const QColor display_green(120, 220, 120);
const QColor read_blue(30, 110, 210);
const QColor write_red(210, 60, 40);
const QColor changed_green(20, 160, 60);
const QColor folder_yellow(240, 196, 70);

// The transmitter: a housing with a display, on the right half of the picture.
void draw_instrument(QPainter& p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(instrument_body);
    p.drawRoundedRect(QRectF(15, 4, 14, 24), 2.5, 2.5);
    p.setBrush(display_green);
    p.drawRect(QRectF(17.5, 7, 9, 6));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QRectF(19.5, 17, 5, 5));
}

// A thick arrow from `from` to `to`.
void draw_arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    const QLineF line(from, to);
    QLineF back(to, from);
    back.setLength(7);
    const QPointF base = back.p2();
    QLineF side = back.normalVector();
    side.setLength(5);
    const QPointF left = base + (side.p2() - side.p1());
    const QPointF right = base - (side.p2() - side.p1());
    p.setPen(QPen(colour, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QLineF(from, base));
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, left, right}));
}

void draw_page(QPainter& p, QRectF r)
{
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - 6, r.top());
    page.lineTo(r.right(), r.top() + 6);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(outline, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - 6, r.top()), QPointF(r.right() - 6, r.top() + 6));
    p.drawLine(QPointF(r.right() - 6, r.top() + 6), QPointF(r.right(), r.top() + 6));
}

// Three rows of a tree, on the left half: the branch commands.
void draw_branch_mark(QPainter& p)
{
    p.setPen(QPen(outline, 1.5));
    p.drawLine(QPointF(4, 5), QPointF(4, 25));
    p.drawLine(QPointF(4, 15), QPointF(9, 15));
    p.drawLine(QPointF(4, 25), QPointF(9, 25));
    p.setBrush(folder_yellow);
    for (double y : {3.0, 13.0, 23.0})
        p.drawRect(QRectF(y == 3.0 ? 1 : 8, y, 6, 5));
}

void draw_round_sign(QPainter& p, const QColor& colour, const QString& sign)
{
    p.setPen(QPen(colour.darker(140), 1.2));
    p.setBrush(colour);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, sign);
}

void draw_problem(QPainter& p, bool up)
{
    QPolygonF triangle = up ? QPolygonF({QPointF(16, 3), QPointF(29, 27), QPointF(3, 27)})
                            : QPolygonF({QPointF(3, 5), QPointF(29, 5), QPointF(16, 29)});
    p.setPen(QPen(write_red.darker(140), 1.2));
    p.setBrush(QColor(250, 210, 60));
    p.drawPolygon(triangle);
    p.setPen(QPen(write_red, 3.5, Qt::SolidLine, Qt::RoundCap));
    const double top = up ? 11 : 9;
    p.drawLine(QPointF(16, top), QPointF(16, top + 8));
    p.drawPoint(QPointF(16, top + 13));
}

// The jobs' pictures: the whole tree's have the instrument on the right, a branch's the branch's
// rows on the left; an arrow from the instrument reads, one to it writes, two lines compare.
struct JobSide {
    void (*mark)(QPainter&);
    QPointF instrument_end; // the instrument's end of an arrow
    QPointF far_end;
    double compare_left;
    double compare_right;
};
const JobSide whole_tree{draw_instrument, QPointF(15, 16), QPointF(2, 16), 2, 12};
const JobSide selected_branch{draw_branch_mark, QPointF(30, 16), QPointF(14, 16), 16, 29};

void draw_read(QPainter& p, const JobSide& side)
{
    side.mark(p);
    draw_arrow(p, side.instrument_end, side.far_end, read_blue);
}

void draw_write(QPainter& p, const JobSide& side, const QColor& colour)
{
    side.mark(p);
    draw_arrow(p, side.far_end, side.instrument_end, colour);
}

void draw_compare(QPainter& p, const JobSide& side)
{
    side.mark(p);
    p.setPen(QPen(read_blue, 3));
    p.drawLine(QPointF(side.compare_left, 12), QPointF(side.compare_right, 12));
    p.drawLine(QPointF(side.compare_left, 20), QPointF(side.compare_right, 20));
}

} // namespace

namespace pictures {

void file_new(QPainter& p)
{
    draw_page(p, QRectF(7, 3, 18, 26));
}

void file_open(QPainter& p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(folder_yellow.darker(115));
    p.drawRect(QRectF(3, 7, 24, 19));
    p.setBrush(folder_yellow);
    p.drawPolygon(QPolygonF({QPointF(3, 26), QPointF(8, 13), QPointF(30, 13), QPointF(27, 26)}));
}

void file_save(QPainter& p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(read_blue);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(9, 18, 14, 10));
}

void app_exit(QPainter& p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(150, 110, 70));
    p.drawRect(QRectF(5, 3, 14, 26));
    draw_arrow(p, QPointF(14, 16), QPointF(31, 16), write_red);
}

void read_all(QPainter& p)
{
    draw_read(p, whole_tree);
}

void write_all(QPainter& p)
{
    draw_write(p, whole_tree, write_red);
}

void write_changed(QPainter& p)
{
    draw_write(p, whole_tree, changed_green);
}

void compare(QPainter& p)
{
    draw_compare(p, whole_tree);
}

void initialise(QPainter& p)
{
    draw_instrument(p);
    p.setPen(QPen(changed_green, 3, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1, 8, 14, 14), 60 * 16, 270 * 16);
    p.setPen(QPen(changed_green.darker(130), 1));
    p.setBrush(changed_green);
    p.drawPolygon(QPolygonF({QPointF(9, 4), QPointF(15, 9), QPointF(8, 12)}));
}

void apply(QPainter& p)
{
    draw_instrument(p);
    p.setPen(QPen(changed_green, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(2, 16), QPointF(6, 21), QPointF(13, 9)}));
}

void single_point(QPainter& p)
{
    draw_instrument(p);
    p.setPen(QPen(read_blue, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1, 9, 13, 13));
    p.drawLine(QPointF(7.5, 15.5), QPointF(7.5, 11));
    p.drawLine(QPointF(7.5, 15.5), QPointF(11, 15.5));
}

void link_check(QPainter& p)
{
    draw_instrument(p);
    p.setPen(QPen(read_blue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-4, 10, 12, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(-10, 5, 22, 22), -45 * 16, 90 * 16);
}

void port_setup(QPainter& p)
{
    p.setPen(QPen(outline, 1.2));
    p.setBrush(instrument_body);
    p.drawPolygon(QPolygonF({QPointF(3, 10), QPointF(29, 10), QPointF(25, 22), QPointF(7, 22)}));
    p.setBrush(QColor(240, 240, 240));
    for (double x : {9.0, 14.0, 19.0})
        p.drawEllipse(QRectF(x, 13, 3, 3));
    for (double x : {11.5, 16.5})
        p.drawEllipse(QRectF(x, 17, 3, 3));
}

void branch_read(QPainter& p)
{
    draw_read(p, selected_branch);
}

void branch_write_all(QPainter& p)
{
    draw_write(p, selected_branch, write_red);
}

void branch_write_changed(QPainter& p)
{
    draw_write(p, selected_branch, changed_green);
}

void branch_compare(QPainter& p)
{
    draw_compare(p, selected_branch);
}

void previous_problem(QPainter& p)
{
    draw_problem(p, true);
}

void next_problem(QPainter& p)
{
    draw_problem(p, false);
}

void calibration(QPainter& p)
{
    draw_instrument(p);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(250, 210, 60));
    p.drawRect(QRectF(2, 12, 11, 8));
    p.setPen(QPen(outline, 1));
    for (double x : {4.0, 6.5, 9.0, 11.5})
        p.drawLine(QPointF(x, 12), QPointF(x, 15));
}

void trend(QPainter& p)
{
    // A plot: two axes, a grid and two lines, the second across the first.
    p.setBrush(Qt::white);
    p.setPen(QPen(outline, 1));
    p.drawRect(QRectF(3, 3, 26, 26));
    p.setPen(QPen(QColor(205, 205, 205), 1));
    for (double y : {10.0, 17.0, 24.0})
        p.drawLine(QPointF(4, y), QPointF(28, y));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(read_blue, 2.2));
    p.drawPolyline(QPolygonF({QPointF(4, 22), QPointF(10, 14), QPointF(15, 18), QPointF(21, 8), QPointF(28, 11)}));
    p.setPen(QPen(write_red, 2.2));
    p.drawPolyline(QPolygonF({QPointF(4, 26), QPointF(11, 24), QPointF(17, 25), QPointF(23, 19), QPointF(28, 20)}));
}

void help(QPainter& p)
{
    draw_round_sign(p, read_blue, "?");
}

void html_export(QPainter& p)
{
    draw_page(p, QRectF(4, 3, 18, 26));
    p.setPen(QPen(read_blue, 2));
    for (double y : {12.0, 17.0, 22.0})
        p.drawLine(QPointF(8, y), QPointF(18, y));
    draw_arrow(p, QPointF(18, 24), QPointF(31, 24), changed_green);
}

void about(QPainter& p)
{
    draw_round_sign(p, read_blue, "i");
}

} // namespace pictures

QIcon drawn_icon(Drawing drawing)
{
    if (!drawing)
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / grid, size / grid);
        drawing(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon picture_icon(const Picture& picture)
{
    // The theme's pictures are used only for the file and help commands, which every desktop
    // draws; the instrument's own commands keep the drawn set, so the toolbar stays of one style.
    if (picture.theme && QIcon::hasThemeIcon(QString::fromLatin1(picture.theme)))
        return QIcon::fromTheme(QString::fromLatin1(picture.theme));
    return drawn_icon(picture.drawing);
}

} // namespace zr740::ui
