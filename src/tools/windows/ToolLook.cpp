#include "tools/windows/ToolLook.h"

#include "platform/windows/FixedDialog.h"

#include <QDialog>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace toollook {

void fixedDialog(QDialog* dialog, int clientWidth, int clientHeight)
{
    fixeddialog::apply(dialog, QSize(clientWidth, clientHeight));
}

void fill(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QFont arial(int points, bool bold, bool italic)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QIcon arrowGlyph(bool pointsLeft)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(navy);
    // A shaft and a head, drawn pointing right and mirrored for the left arrow.
    QPolygon arrow;
    arrow << QPoint(2, 6) << QPoint(8, 6) << QPoint(8, 2) << QPoint(14, 8) << QPoint(8, 14) << QPoint(8, 10)
          << QPoint(2, 10);
    if (pointsLeft) {
        for (QPoint& pt : arrow)
            pt.setX(16 - pt.x());
    }
    painter.drawPolygon(arrow);
    return QIcon(pixmap);
}

} // namespace toollook
