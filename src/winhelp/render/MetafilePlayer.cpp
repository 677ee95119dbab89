// The metafile player: the record loop, the drawing state and its mapping from logical units to
// the image's pixels, the object table and the clipping.
#include "winhelp/render/MetafilePlayer.h"

#include <cmath>

namespace hlp::wmf {

namespace {

// The twenty colours every Windows palette starts with: what PALETTEINDEX() names before a
// metafile selects a palette of its own.
std::shared_ptr<const Palette> defaultPalette()
{
    static const auto palette = [] {
        auto p = std::make_shared<Palette>();
        p->colours = {qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128),
            qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(192, 220, 192), qRgb(166, 202, 240),
            qRgb(255, 251, 240), qRgb(160, 160, 164), qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0),
            qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
        return std::shared_ptr<const Palette>(std::move(p));
    }();
    return palette;
}

// Pixels of a 96-dpi screen per logical unit of a fixed mapping mode.
double unitPixels(int mapMode)
{
    switch (mapMode) {
    case 2: return 96.0 / 254;
    case 3: return 96.0 / 2540;
    case 4: return 0.96;
    case 5: return 0.096;
    case 6: return 96.0 / 1440;
    default: return 1;
    }
}

// Far enough outside any image, near enough for the rasteriser's integers.
constexpr double kFar = 4.0e6;

std::vector<QRgb> paletteEntries(const Record& r, int word, int count)
{
    std::vector<QRgb> out;
    count = qBound(0, count, r.bytesFrom(word) / 4);
    out.reserve(static_cast<size_t>(count));
    const uchar* p = r.from(word);
    for (int i = 0; i < count; ++i, p += 4)
        out.push_back(qRgb(p[0], p[1], p[2]));
    return out;
}

} // namespace

Player::Player(QImage& canvas, const Setup& setup) : m_canvas(canvas), m_setup(setup), m_budget(setup.budget)
{
    m_dc.mapMode = setup.mapMode;
    m_dc.windowOrg = setup.windowOrg;
    m_dc.windowExt = setup.windowExt;
    m_dc.viewportExt = QPointF(setup.natural.width(), setup.natural.height());
    m_dc.palette = defaultPalette();
    m_dc.font.face = "System";
}

Player::~Player()
{
    endPainting();
}

void Player::play(const uchar* records, int size)
{
    int at = 0;
    while (!m_stopped && at + 6 <= size) {
        const std::uint32_t words = std::uint32_t(records[at]) | std::uint32_t(records[at + 1]) << 8
            | std::uint32_t(records[at + 2]) << 16 | std::uint32_t(records[at + 3]) << 24;
        const unsigned function = unsigned(records[at + 4]) | unsigned(records[at + 5]) << 8;
        if (function == 0 || words < 3)
            break;
        // A record cut short by the end of the bytes is played with what it has, and ends the playing.
        const bool last = words > std::uint32_t(size - at) / 2;
        const int bytes = last ? size - at : static_cast<int>(words * 2);
        if (!spend(16))
            break;
        record(Record{function, records + at + 6, bytes - 6});
        if (last)
            break;
        at += bytes;
    }
    endPainting();
}

void Player::record(const Record& r)
{
    switch (r.function) {
    case 0x001E: case 0x0127: case 0x0102: case 0x0104: case 0x0106: case 0x0107: case 0x0108:
    case 0x012E: case 0x0201: case 0x0209: case 0x0214:
        state(r);
        break;
    case 0x0103: case 0x020B: case 0x020C: case 0x020D: case 0x020E: case 0x020F: case 0x0211:
    case 0x0410: case 0x0412:
        mapping(r);
        break;
    case 0x02FA: case 0x02FB: case 0x02FC: case 0x00F7: case 0x0234: case 0x0035: case 0x0037:
    case 0x0139: case 0x0436: case 0x012D: case 0x01F0: case 0x06FF: case 0x0142: case 0x01F9:
        objects(r);
        break;
    case 0x0415: case 0x0416: case 0x012C: case 0x0220:
        clipping(r);
        break;
    case 0x0213: case 0x0325: case 0x0324: case 0x0538: case 0x041B: case 0x061C: case 0x0418:
    case 0x0817: case 0x081A: case 0x0830: case 0x041F: case 0x0419: case 0x0548: case 0x0228:
    case 0x0429: case 0x012B: case 0x012A:
        shapes(r);
        break;
    case 0x0521: case 0x0A32:
        text(r);
        break;
    case 0x061D: case 0x0922: case 0x0B23: case 0x0940: case 0x0B41: case 0x0F43: case 0x0D33:
        bitmaps(r);
        break;
    default:
        // Escape, SetMapperFlags, SetRelabs, SetLayout, SetTextJustification and the records
        // no help picture needs draw nothing.
        break;
    }
}

void Player::state(const Record& r)
{
    switch (r.function) {
    case 0x001E: saveDc(); break;
    case 0x0127: restoreDc(r.s(0)); break;
    case 0x0102:
        if (r.u(0) == 1 || r.u(0) == 2)
            m_dc.bkMode = static_cast<int>(r.u(0));
        break;
    case 0x0104:
        if (r.u(0) >= 1 && r.u(0) <= 16)
            m_dc.rop2 = static_cast<int>(r.u(0));
        break;
    case 0x0106:
        if (r.u(0) == 1 || r.u(0) == 2)
            m_dc.polyFillMode = static_cast<int>(r.u(0));
        break;
    case 0x0107:
        if (r.u(0) >= 1 && r.u(0) <= 4)
            m_dc.stretchMode = static_cast<int>(r.u(0));
        break;
    case 0x0108: m_dc.charExtra = r.s(0); break;
    case 0x012E: m_dc.textAlign = static_cast<int>(r.u(0)); break;
    case 0x0201: m_dc.bkColour = colour(r.u32(0)); break;
    case 0x0209: m_dc.textColour = colour(r.u32(0)); break;
    case 0x0214: m_dc.position = QPointF(r.s(1), r.s(0)); break;
    default: break;
    }
}

void Player::mapping(const Record& r)
{
    const QPointF yx(r.s(1), r.s(0));
    auto scaled = [&r](QPointF& ext) {
        // ScaleWindowExt and ScaleViewportExt: y denominator, y numerator, x denominator, x numerator.
        const int yDen = r.s(0), yNum = r.s(1), xDen = r.s(2), xNum = r.s(3);
        if (xDen == 0 || yDen == 0 || xNum == 0 || yNum == 0)
            return;
        ext = QPointF(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
    };
    switch (r.function) {
    case 0x0103:
        if (r.u(0) >= 1 && r.u(0) <= 8)
            m_dc.mapMode = static_cast<int>(r.u(0));
        break;
    case 0x020B: m_dc.windowOrg = yx; break;
    case 0x020C:
        if (yx.x() != 0 && yx.y() != 0)
            m_dc.windowExt = yx;
        break;
    case 0x020D: m_dc.viewportOrg = yx; break;
    case 0x020E:
        if (yx.x() != 0 && yx.y() != 0)
            m_dc.viewportExt = yx;
        break;
    case 0x020F: m_dc.windowOrg += yx; break;
    case 0x0211: m_dc.viewportOrg += yx; break;
    case 0x0410: scaled(m_dc.windowExt); break;
    case 0x0412: scaled(m_dc.viewportExt); break;
    default: break;
    }
}

void Player::objects(const Record& r)
{
    switch (r.function) {
    case 0x02FA: { // CreatePenIndirect: style, width (a point: x), colour
        Pen pen;
        pen.style = static_cast<int>(r.u(0));
        pen.width = std::abs(r.s(1));
        pen.colour = colour(r.u32(3));
        addObject(pen);
        break;
    }
    case 0x02FC: { // CreateBrushIndirect: style, colour, hatch
        Brush brush;
        brush.style = static_cast<int>(r.u(0));
        brush.colour = colour(r.u32(1));
        brush.hatch = static_cast<int>(r.u(3));
        if (brush.style != 0 && brush.style != 1 && brush.style != 2)
            brush.style = 0; // a pattern without its bitmap: its colour
        addObject(brush);
        break;
    }
    case 0x0142: case 0x01F9: { // DIBCreatePatternBrush, CreatePatternBrush
        Brush brush;
        brush.style = 3;
        if (r.function == 0x0142) {
            brush.pattern = dib(r.from(2), r.bytesFrom(2), static_cast<int>(r.u(1)), nullptr, nullptr, 65536);
        } else {
            brush.pattern = bitmap16(r.from(0), r.bytesFrom(0), true);
            brush.mono = brush.pattern.format() == QImage::Format_Mono;
        }
        if (brush.pattern.isNull())
            brush.style = 0;
        addObject(brush);
        break;
    }
    case 0x02FB: { // CreateFontIndirect
        Font font;
        font.height = r.s(0);
        font.width = std::abs(r.s(1));
        font.escapement = r.s(2);
        font.weight = r.s(4);
        const uchar* b = r.from(5);
        if (r.bytesFrom(5) >= 8) {
            font.italic = b[0] != 0;
            font.underline = b[1] != 0;
            font.strikeOut = b[2] != 0;
            font.charset = b[3];
            font.pitchAndFamily = b[7];
        }
        const int faceBytes = qMin(32, r.bytesFrom(9));
        const auto* face = reinterpret_cast<const char*>(r.from(9));
        font.face = QByteArray(face, static_cast<int>(qstrnlen(face, static_cast<size_t>(faceBytes))));
        addObject(font);
        break;
    }
    case 0x00F7: { // CreatePalette: version, count, entries
        Palette palette;
        palette.colours = paletteEntries(r, 2, static_cast<int>(r.u(1)));
        addObject(palette);
        break;
    }
    case 0x0234: // SelectPalette
        if (const auto* o = object(r.u(0)); o && std::holds_alternative<Palette>(*o)
            && spend(qint64(std::get<Palette>(*o).colours.size())))
            m_dc.palette = std::make_shared<const Palette>(std::get<Palette>(*o));
        break;
    case 0x0037: case 0x0436: { // SetPalEntries, AnimatePalette: start, count, entries
        if (!spend(qint64(m_dc.palette->colours.size()) + r.bytes))
            break;
        auto palette = std::make_shared<Palette>(*m_dc.palette);
        const int start = static_cast<int>(r.u(0));
        const std::vector<QRgb> entries = paletteEntries(r, 2, static_cast<int>(r.u(1)));
        if (palette->colours.size() < size_t(start) + entries.size())
            palette->colours.resize(size_t(start) + entries.size(), qRgb(0, 0, 0));
        std::copy(entries.begin(), entries.end(), palette->colours.begin() + start);
        m_dc.palette = std::move(palette);
        break;
    }
    case 0x0139: { // ResizePalette
        if (!spend(qint64(m_dc.palette->colours.size()) + r.u(0)))
            break;
        auto palette = std::make_shared<Palette>(*m_dc.palette);
        palette->colours.resize(r.u(0), qRgb(0, 0, 0));
        m_dc.palette = std::move(palette);
        break;
    }
    case 0x012D: // SelectObject
        if (const auto* o = object(r.u(0))) {
            if (const auto* pen = std::get_if<Pen>(o))
                m_dc.pen = *pen;
            else if (const auto* brush = std::get_if<Brush>(o))
                m_dc.brush = *brush;
            else if (const auto* font = std::get_if<Font>(o))
                m_dc.font = *font;
            else if (const auto* region = std::get_if<Region>(o))
                m_dc.clip = deviceRegion(region->area);
        }
        break;
    case 0x01F0: // DeleteObject
        if (r.u(0) < m_objects.size() && !std::holds_alternative<std::monostate>(m_objects[r.u(0)])) {
            m_objects[r.u(0)] = std::monostate{};
            m_freeSlots.insert(r.u(0));
        }
        break;
    case 0x06FF: { // CreateRegion: header, bounding box, then the scans
        Region region;
        const int scans = static_cast<int>(r.u(5));
        int word = 11;
        int rects = 0;
        for (int i = 0; i < scans && word + 3 <= r.words() && !m_stopped; ++i) {
            const int count = static_cast<int>(r.u(word));
            const int top = r.s(word + 1), bottom = r.s(word + 2);
            word += 3;
            for (int k = 0; k + 1 < count && word + 2 <= r.words() && rects < 4096; k += 2, word += 2, ++rects) {
                const int left = r.s(word), right = r.s(word + 1);
                if (right > left && bottom > top && spend(region.area.rectCount()))
                    region.area += QRect(left, top, right - left, bottom - top);
            }
            word += 1; // the count again
        }
        if (scans == 0 && r.s(9) > r.s(7) && r.s(10) > r.s(8))
            region.area = QRect(r.s(7), r.s(8), r.s(9) - r.s(7), r.s(10) - r.s(8));
        addObject(region);
        break;
    }
    default:
        break; // RealizePalette: the colours are already there
    }
}

void Player::clipping(const Record& r)
{
    switch (r.function) {
    case 0x0415: case 0x0416: { // ExcludeClipRect, IntersectClipRect: bottom, right, top, left
        const QRect rect = deviceRect(r.s(3), r.s(2), r.s(1), r.s(0));
        const QRegion now = clipRegion();
        if (!spend(now.rectCount()))
            return;
        m_dc.clip = r.function == 0x0416 ? now.intersected(rect) : now.subtracted(rect);
        break;
    }
    case 0x012C: // SelectClipRegion
        if (const auto* o = object(r.u(0)); o && std::holds_alternative<Region>(*o))
            m_dc.clip = deviceRegion(std::get<Region>(*o).area);
        else
            m_dc.clip.reset();
        break;
    case 0x0220: // OffsetClipRgn: y, x
        if (m_dc.clip) {
            const QPointF shift = toDevice(r.s(1), r.s(0)) - toDevice(0, 0);
            m_dc.clip->translate(qRound(qBound(-kFar, shift.x(), kFar)), qRound(qBound(-kFar, shift.y(), kFar)));
        }
        break;
    default:
        break;
    }
}

void Player::saveDc()
{
    if (m_saved.size() < 1024)
        m_saved.push_back(m_dc);
}

void Player::restoreDc(int which)
{
    // Negative: that many states back; positive: the state of that number.
    const qsizetype index = which < 0 ? qsizetype(m_saved.size()) + which : qsizetype(which) - 1;
    if (which == 0 || index < 0 || index >= qsizetype(m_saved.size()))
        return;
    m_dc = m_saved[static_cast<size_t>(index)];
    m_saved.resize(static_cast<size_t>(index));
}

int Player::addObject(Object o)
{
    // The lowest free slot, as Windows numbers a metafile's objects.
    if (!m_freeSlots.empty()) {
        const size_t slot = *m_freeSlots.begin();
        m_freeSlots.erase(m_freeSlots.begin());
        m_objects[slot] = std::move(o);
        return static_cast<int>(slot);
    }
    if (m_objects.size() >= 65535)
        return -1;
    m_objects.push_back(std::move(o));
    return static_cast<int>(m_objects.size() - 1);
}

const Object* Player::object(unsigned index) const
{
    return index < m_objects.size() ? &m_objects[index] : nullptr;
}

QRgb Player::colour(std::uint32_t ref) const
{
    // COLORREF: red, green, blue, flags; flags 1 is PALETTEINDEX(n).
    if ((ref >> 24) == 1) {
        const unsigned index = ref & 0xFFFF;
        return index < m_dc.palette->colours.size() ? m_dc.palette->colours[index] : qRgb(0, 0, 0);
    }
    return qRgb(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

QPointF Player::factor() const
{
    double kx, ky;
    if (m_dc.mapMode >= 7) {
        kx = m_dc.viewportExt.x() / m_dc.windowExt.x();
        ky = m_dc.viewportExt.y() / m_dc.windowExt.y();
        if (m_dc.mapMode == 7) {
            const double k = std::min(std::abs(kx), std::abs(ky));
            kx = std::copysign(k, kx);
            ky = std::copysign(k, ky);
        }
    } else {
        kx = unitPixels(m_dc.mapMode);
        ky = m_dc.mapMode == 1 ? kx : -kx;
    }
    if (!std::isfinite(kx) || !std::isfinite(ky))
        kx = ky = 1;
    return {kx * m_setup.scaleX, ky * m_setup.scaleY};
}

QPointF Player::toDevice(double x, double y) const
{
    const QPointF k = factor();
    const double dx = (x - m_dc.windowOrg.x()) * k.x() + m_dc.viewportOrg.x() * m_setup.scaleX;
    const double dy = (y - m_dc.windowOrg.y()) * k.y() + m_dc.viewportOrg.y() * m_setup.scaleY;
    return {qBound(-kFar, dx, kFar), qBound(-kFar, dy, kFar)};
}

QPoint Player::devicePoint(int x, int y) const
{
    const QPointF p = toDevice(x, y);
    return {qRound(p.x()), qRound(p.y())};
}

QRect Player::deviceRect(int left, int top, int right, int bottom) const
{
    const QPoint a = devicePoint(left, top), b = devicePoint(right, bottom);
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

QRegion Player::deviceRegion(const QRegion& logical)
{
    QRegion out;
    if (!spend(qint64(logical.rectCount()) * logical.rectCount()))
        return out;
    const QRect canvas = m_canvas.rect();
    for (const QRect& r : logical)
        out += deviceRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1).intersected(canvas);
    return out;
}

QRegion Player::clipRegion() const
{
    return m_dc.clip ? *m_dc.clip : QRegion(m_canvas.rect());
}

bool Player::spend(qint64 area)
{
    m_budget -= std::max<qint64>(area, 0) + 1;
    if (m_budget < 0)
        m_stopped = true;
    return !m_stopped;
}

QPainter& Player::painter()
{
    if (!m_painter)
        m_painter.emplace(&m_canvas);
    return *m_painter;
}

void Player::endPainting()
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
}

} // namespace hlp::wmf
