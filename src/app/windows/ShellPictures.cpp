#include "app/windows/ShellPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace shellpictures {

namespace {

const QColor ink(0x20, 0x20, 0x20);
const QColor paper(0xFF, 0xFF, 0xFF);
const QColor navy(0x00, 0x00, 0x80);
const QColor arrowGreen(0x00, 0x80, 0x40);

void page(QPainter& p, qreal x, qreal y, qreal w, qreal h)
{
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - 3, y);
    path.lineTo(x + w, y + 3);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(x + w - 3, y), QPointF(x + w - 3, y + 3));
    p.drawLine(QPointF(x + w - 3, y + 3), QPointF(x + w, y + 3));
}

void textLines(QPainter& p, qreal x, qreal y, qreal w, int count)
{
    p.setPen(QPen(QColor(0x70, 0x70, 0x90), 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x, y + 2 * i + 0.5), QPointF(x + w, y + 2 * i + 0.5)); // on the pixel row
}

void triangle(QPainter& p, qreal tipX, qreal baseX)
{
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(baseX, 3);
    path.lineTo(baseX, 13);
    path.closeSubpath();
    p.setPen(QPen(arrowGreen.darker(150), 1));
    p.setBrush(arrowGreen);
    p.drawPath(path);
}

void bar(QPainter& p, qreal x)
{
    p.setPen(Qt::NoPen);
    p.setBrush(arrowGreen);
    p.drawRect(QRectF(x, 3, 2, 10));
}

void book(QPainter& p, const QColor& cover)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(cover);
    p.drawRect(QRectF(3.5, 1.5, 10, 13));
    p.setBrush(paper);
    p.drawRect(QRectF(2.5, 12.5, 10, 2));
    p.setPen(QPen(cover.darker(160), 1));
    p.drawLine(QPointF(5.5, 2), QPointF(5.5, 12));
}

void paint(QPainter& p, Glyph g)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (g) {
    case Glyph::NewFile:
        page(p, 3.5, 1.5, 9, 13);
        break;
    case Glyph::Open: {
        p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
        p.setBrush(QColor(0xE8, 0xC0, 0x40));
        p.drawRect(QRectF(1.5, 4.5, 11, 9));
        p.drawRect(QRectF(1.5, 3, 5, 1.5));
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(14.5, 7.5);
        flap.lineTo(12.5, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.setBrush(QColor(0xFF, 0xE0, 0x70));
        p.drawPath(flap);
        break;
    }
    case Glyph::Save:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(0x30, 0x50, 0xA0));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(paper);
        p.drawRect(QRectF(3.5, 1.5, 9, 6));
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(9, 11, 1.5, 3));
        break;
    case Glyph::Copy:
        page(p, 1.5, 1.5, 8, 10);
        textLines(p, 3, 5, 4, 3);
        page(p, 6.5, 4.5, 8, 10);
        textLines(p, 8, 8, 4, 3);
        break;
    case Glyph::Paste:
        p.setPen(QPen(QColor(0x60, 0x40, 0x10), 1));
        p.setBrush(QColor(0xB0, 0x80, 0x40));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
        page(p, 6.5, 5.5, 8, 9);
        textLines(p, 8, 9, 4, 3);
        break;
    case Glyph::First:
        bar(p, 3);
        triangle(p, 5, 12);
        break;
    case Glyph::Previous:
        triangle(p, 4, 11);
        break;
    case Glyph::Next:
        triangle(p, 12, 5);
        break;
    case Glyph::Last:
        triangle(p, 11, 4);
        bar(p, 11);
        break;
    case Glyph::AddPage:
        page(p, 1.5, 1.5, 9, 13);
        textLines(p, 3, 5, 5, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x00, 0xA0, 0x00));
        p.drawRect(QRectF(11, 6, 2, 8));
        p.drawRect(QRectF(8, 9, 8, 2));
        break;
    case Glyph::DeletePage:
        page(p, 1.5, 1.5, 9, 13);
        textLines(p, 3, 5, 5, 3);
        p.setPen(QPen(QColor(0xD0, 0x00, 0x00), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 7), QPointF(15, 13));
        p.drawLine(QPointF(15, 7), QPointF(9, 13));
        break;
    case Glyph::Compile: {
        book(p, navy);
        QPainterPath spark; // the build turns the pages into a help book
        spark.moveTo(12, 1);
        spark.lineTo(8, 8);
        spark.lineTo(11, 8);
        spark.lineTo(9, 15);
        spark.lineTo(15, 6);
        spark.lineTo(12, 6);
        spark.closeSubpath();
        p.setPen(QPen(QColor(0x90, 0x60, 0x00), 1));
        p.setBrush(QColor(0xFF, 0xD0, 0x00));
        p.drawPath(spark);
        break;
    }
    case Glyph::ViewHelp: {
        book(p, QColor(0xD0, 0xA0, 0x30));
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(navy);
        p.drawText(QRectF(5, 1, 9, 12), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
}

QPixmap render(Glyph g, int scale)
{
    QPixmap pm(16 * scale, 16 * scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(scale, scale);
    paint(p, g);
    return pm;
}

} // namespace

QIcon glyph(Glyph g)
{
    QIcon icon;
    icon.addPixmap(render(g, 1));
    icon.addPixmap(render(g, 2));
    return icon;
}

QPixmap programPicture(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);

    // Ink pot.
    p.setPen(QPen(ink, 1.5));
    p.setBrush(QColor(0x20, 0x30, 0x70));
    p.drawRoundedRect(QRectF(8, 40, 26, 20), 4, 4);
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawRect(QRectF(14, 34, 14, 6));

    // The quill: a curved vane along a shaft dipping into the pot.
    QPainterPath vane;
    vane.moveTo(22, 38);
    vane.cubicTo(26, 22, 40, 8, 60, 3);
    vane.cubicTo(54, 16, 42, 30, 22, 38);
    p.setPen(QPen(QColor(0x70, 0x20, 0x60), 1.2));
    p.setBrush(QColor(0xE0, 0x40, 0xB0));
    p.drawPath(vane);
    QPainterPath barbs;
    for (int i = 1; i < 7; ++i) {
        const qreal t = i / 7.0;
        const QPointF on(22 + 38 * t, 38 - 35 * t);
        barbs.moveTo(on);
        barbs.lineTo(on + QPointF(-6 + 3 * t, -6 + 3 * t));
    }
    p.setPen(QPen(QColor(0xFF, 0xC0, 0xF0), 1));
    p.drawPath(barbs);
    p.setPen(QPen(QColor(0x50, 0x30, 0x10), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 44), QPointF(60, 3));
    return pm;
}

} // namespace shellpictures
