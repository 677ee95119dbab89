// Lines, polygons, rectangles, ellipses and their arcs, regions and single pixels, drawn with the
// pen and brush of the metafile. Coordinates are rounded to whole pixels as Windows does; a line
// of odd width lies on the middle of its pixels so that it stays sharp.
#include "winhelp/render/MetafilePlayer.h"

#include <cmath>
#include <numbers>

namespace hlp::wmf {

namespace {

// The colour a pen or brush draws with under the ROP2 modes that ignore what is under it.
QRgb ropColour(QRgb c, int rop2)
{
    switch (rop2) {
    case 1: return qRgb(0, 0, 0);
    case 16: return qRgb(255, 255, 255);
    case 4: return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
    default: return c;
    }
}

QPainter::CompositionMode ropMode(int rop2)
{
    switch (rop2) {
    case 2: return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3: return QPainter::RasterOp_NotSourceAndDestination;
    case 5: return QPainter::RasterOp_SourceAndNotDestination;
    case 6: return QPainter::RasterOp_NotDestination;
    case 7: return QPainter::RasterOp_SourceXorDestination;
    case 8: return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9: return QPainter::RasterOp_SourceAndDestination;
    case 10: return QPainter::RasterOp_NotSourceXorDestination;
    case 12: return QPainter::RasterOp_NotSourceOrDestination;
    case 14: return QPainter::RasterOp_SourceOrNotDestination;
    case 15: return QPainter::RasterOp_SourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// The angle (degrees, counter-clockwise on the screen) of the point of an ellipse's outline that
// the line from its centre to `p` crosses, as QPainterPath's arcs count it.
double ellipseAngle(const QRectF& box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    const double dx = p.x() - c.x(), dy = c.y() - p.y();
    return std::atan2(dy / ry, dx / rx) * 180 / std::numbers::pi;
}

qint64 area(const QRectF& r, const QRect& canvas)
{
    const QRectF visible = r.intersected(QRectF(canvas));
    return visible.isValid() ? qint64(visible.width() + 1) * qint64(visible.height() + 1) : 0;
}

} // namespace

void Player::shapes(const Record& r)
{
    switch (r.function) {
    case 0x0213: // LineTo: y, x
        lineTo(r.s(1), r.s(0));
        break;
    case 0x0325: case 0x0324: case 0x0538:
        polygons(r);
        break;
    case 0x041B: case 0x061C: case 0x0418:
        boxes(r);
        break;
    case 0x0817: case 0x081A: case 0x0830:
        arcs(r);
        break;
    case 0x041F: // SetPixel: colour, y, x
        setPixel(r.s(3), r.s(2), colour(r.u32(0)));
        break;
    case 0x0419: // FloodFill: colour, y, x (fills up to that colour)
        floodFill(r.s(3), r.s(2), colour(r.u32(0)), false);
        break;
    case 0x0548: // ExtFloodFill: mode, colour, y, x
        floodFill(r.s(4), r.s(3), colour(r.u32(1)), r.u(0) == 1);
        break;
    default:
        regions(r);
        break;
    }
}

void Player::lineTo(int x, int y)
{
    const double off = penOffset();
    QPainterPath path(toDevice(m_dc.position.x(), m_dc.position.y()).toPoint() + QPointF(off, off));
    path.lineTo(devicePoint(x, y) + QPointF(off, off));
    m_dc.position = QPointF(x, y);
    drawPath(path, false);
}

void Player::polygons(const Record& r)
{
    const double off = penOffset();
    QPainterPath path;
    path.setFillRule(m_dc.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    auto add = [&](int word, int count, bool close) {
        for (int i = 0; i < count; ++i) {
            const QPointF p = devicePoint(r.s(word + 2 * i), r.s(word + 2 * i + 1)) + QPointF(off, off);
            if (i == 0)
                path.moveTo(p);
            else
                path.lineTo(p);
        }
        if (close && count > 0)
            path.closeSubpath();
    };
    if (r.function == 0x0538) { // PolyPolygon: polygon count, point counts, points
        const int polygons = std::min(static_cast<int>(r.u(0)), r.words() - 1);
        int word = 1 + polygons;
        for (int i = 0; i < polygons && spend(0); ++i) {
            const int count = std::min(static_cast<int>(r.u(1 + i)), std::max(0, (r.words() - word) / 2));
            add(word, count, true);
            word += 2 * count;
        }
    } else { // Polyline, Polygon: count, points
        add(1, std::min(r.s(0), (r.words() - 1) / 2), r.function == 0x0324);
    }
    spend(path.elementCount());
    drawPath(path, r.function != 0x0325);
}

void Player::boxes(const Record& r)
{
    QPainterPath path;
    if (r.function == 0x061C) { // RoundRect: corner height, corner width, bottom, right, top, left
        const QRectF box = shapeRect(r.s(5), r.s(4), r.s(3), r.s(2));
        const QPointF k = factor();
        const double rx = std::min(std::abs(r.s(1) * k.x()) / 2, box.width() / 2);
        const double ry = std::min(std::abs(r.s(0) * k.y()) / 2, box.height() / 2);
        path.addRoundedRect(box, rx, ry);
    } else { // Rectangle, Ellipse: bottom, right, top, left
        const QRectF box = shapeRect(r.s(3), r.s(2), r.s(1), r.s(0));
        if (r.function == 0x041B)
            path.addRect(box);
        else
            path.addEllipse(box);
    }
    drawPath(path, true);
}

void Player::arcs(const Record& r)
{
    // Arc, Pie, Chord: end y, end x, start y, start x, bottom, right, top, left. Windows goes
    // counter-clockwise on the screen from the start to the end.
    const QRectF box = shapeRect(r.s(7), r.s(6), r.s(5), r.s(4));
    const double start = ellipseAngle(box, toDevice(r.s(3), r.s(2)));
    const double end = ellipseAngle(box, toDevice(r.s(1), r.s(0)));
    double sweep = std::fmod(end - start + 720, 360);
    if (sweep <= 1e-9)
        sweep = 360;
    QPainterPath path;
    if (r.function == 0x081A) {
        path.moveTo(box.center());
        path.arcTo(box, start, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, start);
        path.arcTo(box, start, sweep);
        if (r.function == 0x0830)
            path.closeSubpath();
    }
    drawPath(path, r.function != 0x0817);
}

void Player::regions(const Record& r)
{
    // FillRegion: region, brush; FrameRegion: region, brush, height, width; PaintRegion and
    // InvertRegion: region.
    const Object* o = object(r.u(0));
    if (!o || !std::holds_alternative<Region>(*o))
        return;
    QRegion area = deviceRegion(std::get<Region>(*o).area);
    Brush brush = m_dc.brush;
    if (r.function == 0x0228 || r.function == 0x0429) {
        const Object* b = object(r.u(1));
        if (!b || !std::holds_alternative<Brush>(*b))
            return;
        brush = std::get<Brush>(*b);
    }
    if (r.function == 0x0429) {
        const QPointF k = factor();
        const int w = std::max(1, qRound(std::min(std::abs(r.s(3) * k.x()), 4096.0)));
        const int h = std::max(1, qRound(std::min(std::abs(r.s(2) * k.y()), 4096.0)));
        if (!spend(qint64(area.rectCount()) * 5))
            return;
        const QRegion inner = area.intersected(area.translated(w, 0)).intersected(area.translated(-w, 0))
            .intersected(area.translated(0, h)).intersected(area.translated(0, -h));
        area -= inner;
    }
    area &= clipRegion();
    if (!spend(qint64(area.boundingRect().width()) * area.boundingRect().height() + area.rectCount()))
        return;
    QPainter& p = painter();
    p.setClipRegion(area);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath path;
    path.addRect(QRectF(area.boundingRect()));
    if (r.function == 0x012A) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillPath(path, Qt::black);
    } else {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        fillPath(path, brush);
    }
}

void Player::setPixel(int x, int y, QRgb c)
{
    const QPoint at = devicePoint(x, y);
    if (!clipRegion().contains(at) || !spend(1))
        return;
    QPainter& p = painter();
    p.setClipping(false);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillRect(QRectF(at, QSizeF(m_setup.pixel, m_setup.pixel)), QColor(c));
}

void Player::floodFill(int x, int y, QRgb c, bool surface)
{
    // Surface: the area of colour `c` around the point; else the area bounded by colour `c`. A
    // pixel nothing was drawn on counts as white, the page's colour.
    const QPoint seed = devicePoint(x, y);
    const QRegion clip = clipRegion();
    const int w = m_canvas.width(), h = m_canvas.height();
    if (!clip.contains(seed) || !m_dc.brush.visible() || !spend(qint64(w) * h))
        return;
    endPainting();
    auto rgbAt = [this](int px, int py) {
        const QRgb v = reinterpret_cast<const QRgb*>(m_canvas.constScanLine(py))[px];
        return qAlpha(v) == 0 ? qRgb(255, 255, 255) : qUnpremultiply(v) | 0xFF000000u;
    };
    const QRgb target = c | 0xFF000000u;
    auto inside = [&](int px, int py) { return (rgbAt(px, py) == target) == surface; };
    if (!inside(seed.x(), seed.y()))
        return;
    std::vector<uchar> mask(size_t(w) * size_t(h), 0);
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        int left = p.x();
        while (left > 0 && !mask[size_t(p.y()) * size_t(w) + size_t(left - 1)] && inside(left - 1, p.y()))
            --left;
        int right = p.x();
        while (right + 1 < w && !mask[size_t(p.y()) * size_t(w) + size_t(right + 1)] && inside(right + 1, p.y()))
            ++right;
        for (int px = left; px <= right; ++px)
            mask[size_t(p.y()) * size_t(w) + size_t(px)] = 1;
        for (const int ny : {p.y() - 1, p.y() + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            for (int px = left; px <= right; ++px)
                if (!mask[size_t(ny) * size_t(w) + size_t(px)] && inside(px, ny)
                    && (px == left || mask[size_t(ny) * size_t(w) + size_t(px - 1)] || !inside(px - 1, ny)))
                    stack.emplace_back(px, ny);
        }
    }
    const QRgb fill = qPremultiply(m_dc.brush.colour | 0xFF000000u);
    for (int py = 0; py < h; ++py) {
        auto* line = reinterpret_cast<QRgb*>(m_canvas.scanLine(py));
        for (int px = 0; px < w; ++px)
            if (mask[size_t(py) * size_t(w) + size_t(px)] && clip.contains(QPoint(px, py)))
                line[px] = fill;
    }
}

double Player::penWidth() const
{
    if (m_dc.pen.width == 0)
        return m_setup.pixel;
    const double w = std::abs(m_dc.pen.width * factor().x());
    return qBound(m_setup.pixel, std::round(w), 4.0 * std::max(m_canvas.width(), m_canvas.height()) + 1);
}

double Player::penOffset() const
{
    return m_dc.pen.visible() && static_cast<qint64>(penWidth()) % 2 == 1 ? 0.5 : 0.0;
}

QRectF Player::shapeRect(int left, int top, int right, int bottom) const
{
    const QRect d = deviceRect(left, top, right, bottom);
    if (!m_dc.pen.visible())
        return QRectF(d.x(), d.y(), d.width(), d.height());
    const double off = penOffset();
    QRectF box(d.x() + off, d.y() + off, std::max(0, d.width() - 1), std::max(0, d.height() - 1));
    if ((m_dc.pen.style & 0x0F) == 6) { // inside frame: the pen's width inside the box
        const double half = std::min({std::floor(penWidth() / 2), box.width() / 2, box.height() / 2});
        box.adjust(half, half, -half, -half);
    }
    return box;
}

QPen Player::qtPen() const
{
    const Pen& pen = m_dc.pen;
    const double width = penWidth();
    QPen out(QColor(ropColour(pen.colour, m_dc.rop2)), width);
    const int style = pen.style & 0x0F;
    // Windows dashes only lines of one pixel; the lengths are its own, in pixels.
    if (style >= 1 && style <= 4 && width <= m_setup.pixel) {
        static const QList<qreal> dashes[] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
        out.setDashPattern(dashes[style - 1]);
    }
    if (width <= m_setup.pixel) {
        out.setCapStyle(Qt::FlatCap);
        out.setJoinStyle(Qt::MiterJoin);
    } else {
        const int cap = pen.style & 0x0F00, join = pen.style & 0xF000;
        out.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
        out.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    }
    return out;
}

QBrush Player::qtBrush(const Brush& brush) const
{
    const QColor colour(ropColour(brush.colour, m_dc.rop2));
    switch (brush.style) {
    case 1:
        return Qt::NoBrush;
    case 2: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern, Qt::BDiagPattern,
            Qt::CrossPattern, Qt::DiagCrossPattern};
        QBrush out(colour, brush.hatch >= 0 && brush.hatch < 6 ? hatches[brush.hatch] : Qt::SolidPattern);
        out.setTransform(QTransform::fromScale(m_setup.pixel, m_setup.pixel));
        return out;
    }
    case 3: case 5: {
        QImage pattern = brush.pattern;
        if (brush.mono) { // the 0 bits take the text colour, the 1 bits the background colour
            pattern.setColor(0, m_dc.textColour);
            pattern.setColor(1, m_dc.bkColour);
        }
        QBrush out(pattern);
        out.setTransform(QTransform::fromScale(m_setup.pixel, m_setup.pixel));
        return out;
    }
    default:
        return QBrush(colour);
    }
}

bool Player::setUpPainter(QPainter& p, bool antialias)
{
    if (m_dc.rop2 == 11) // R2_NOP
        return false;
    if (m_dc.clip) {
        if (!spend(m_dc.clip->rectCount()))
            return false;
        p.setClipRegion(*m_dc.clip);
    } else {
        p.setClipping(false);
    }
    const QPainter::CompositionMode mode = ropMode(m_dc.rop2);
    p.setCompositionMode(mode);
    p.setRenderHint(QPainter::Antialiasing, antialias && mode == QPainter::CompositionMode_SourceOver);
    p.setBrushOrigin(0, 0);
    return true;
}

void Player::fillPath(const QPainterPath& path, const Brush& brush)
{
    if (!brush.visible())
        return;
    QPainter& p = painter();
    if (brush.style == 2 && m_dc.bkMode == 2) // the gaps of a hatch take the background colour
        p.fillPath(path, QColor(ropColour(m_dc.bkColour, m_dc.rop2)));
    p.fillPath(path, qtBrush(brush));
}

void Player::drawPath(const QPainterPath& path, bool fill)
{
    const double width = m_dc.pen.visible() ? penWidth() : 0;
    const QRectF bounds = path.controlPointRect().adjusted(-width, -width, width, width);
    if (!spend(area(bounds, m_canvas.rect()) + path.elementCount()))
        return;
    QPainter& p = painter();
    if (!setUpPainter(p, true))
        return;
    if (fill)
        fillPath(path, m_dc.brush);
    if (!m_dc.pen.visible())
        return;
    QPen pen = qtPen();
    // A dashed line far longer than the picture is drawn whole: its dashes would take too long.
    if (!pen.dashPattern().isEmpty() && bounds.width() + bounds.height() > 8.0 * (m_canvas.width() + m_canvas.height()))
        pen.setStyle(Qt::SolidLine);
    p.strokePath(path, pen);
}

} // namespace hlp::wmf
