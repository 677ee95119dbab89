// Bitmaps in metafiles: device-independent bitmaps (1 to 32 bits, run-length packed, bit fields,
// JPEG and PNG), the old device bitmaps, and the block transfers that draw them with any of the
// 256 ternary raster operations (brush, source and destination combined bit by bit).
#include "winhelp/render/MetafilePlayer.h"

#include <QBuffer>
#include <QImageReader>
#include <cmath>

namespace hlp::wmf {

namespace {

unsigned le16(const uchar* p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

std::uint32_t le32(const uchar* p)
{
    return le16(p) | std::uint32_t(le16(p + 2)) << 16;
}

// The value of a colour under a bit mask, as 8 bits.
unsigned masked(std::uint32_t value, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const std::uint32_t top = mask >> shift;
    return static_cast<unsigned>(((value & mask) >> shift) * 255 / top);
}

// The result of a ternary raster operation on three colours, bit by bit: bit n of the
// operation's index is the result for brush, source and destination bits (n >> 2, n >> 1 & 1,
// n & 1).
std::uint32_t ternary(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (index) {
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFF;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x5A: return p ^ d;
    case 0xBB: return ~s | d;
    case 0x44: return s & ~d;
    case 0x11: return ~(s | d);
    case 0xC0: return p & s;
    default: break;
    }
    std::uint32_t out = 0;
    for (unsigned n = 0; n < 8; ++n)
        if (index & (1u << n))
            out |= ((n & 4) ? p : ~p) & ((n & 2) ? s : ~s) & ((n & 1) ? d : ~d);
    return out;
}

} // namespace

struct Player::Source {
    const QImage* image = nullptr; // ARGB32 (a pixel of alpha 0 leaves the destination alone)
    QRectF from;                   // the source rectangle, in the image's pixels
    QRectF to;                     // where it lands, in device pixels (negative sizes mirror)
};

void Player::bitmaps(const Record& r)
{
    const unsigned params = r.function >> 8; // the parameters of the form without a bitmap
    const bool noBitmap = r.words() == static_cast<int>(params);
    auto destRect = [this](int x, int y, int w, int h) {
        const QPointF a = toDevice(x, y), b = toDevice(x + w, y + h);
        return QRectF(a, b); // may be mirrored
    };
    switch (r.function) {
    case 0x061D: { // PatBlt: operation, height, width, y, x
        const QRectF d = destRect(r.s(5), r.s(4), r.s(3), r.s(2)).normalized();
        rasterOp(d.toRect(), r.u32(0), nullptr);
        break;
    }
    case 0x0922: case 0x0940: { // BitBlt, DIBBitBlt: operation, source y, x, [reserved], height, width, y, x, bitmap
        const int shift = noBitmap ? 1 : 0;
        const int h = r.s(4 + shift), w = r.s(5 + shift);
        const QRectF to = destRect(r.s(7 + shift), r.s(6 + shift), w, h);
        const QRectF from(r.s(3), r.s(2), w, h);
        if (noBitmap) {
            blit(r.u32(0), to, nullptr, destRect(r.s(3), r.s(2), w, h), m_dc.stretchMode);
        } else {
            const QRgb mono[2] = {m_dc.textColour, m_dc.bkColour};
            const QImage image = r.function == 0x0922 ? bitmap16(r.from(8), r.bytesFrom(8), false)
                                                      : dib(r.from(8), r.bytesFrom(8), 0, nullptr, mono, 0);
            blit(r.u32(0), to, &image, from, m_dc.stretchMode);
        }
        break;
    }
    case 0x0B23: case 0x0B41: { // StretchBlt, DIBStretchBlt: operation, source height, width, y, x,
                                // [reserved], height, width, y, x, bitmap
        const int shift = noBitmap ? 1 : 0;
        const QRectF from(r.s(5), r.s(4), r.s(3), r.s(2));
        const QRectF to = destRect(r.s(9 + shift), r.s(8 + shift), r.s(7 + shift), r.s(6 + shift));
        if (noBitmap) {
            blit(r.u32(0), to, nullptr, destRect(r.s(5), r.s(4), r.s(3), r.s(2)), m_dc.stretchMode);
        } else {
            const QRgb mono[2] = {m_dc.textColour, m_dc.bkColour};
            const QImage image = r.function == 0x0B23 ? bitmap16(r.from(10), r.bytesFrom(10), false)
                                                      : dib(r.from(10), r.bytesFrom(10), 0, nullptr, mono, 0);
            blit(r.u32(0), to, &image, from, m_dc.stretchMode);
        }
        break;
    }
    case 0x0F43: { // StretchDIBits: operation, colour use, source height, width, y, x, height, width, y, x, bitmap
        bool bottomUp = true;
        const QImage image = dib(r.from(11), r.bytesFrom(11), static_cast<int>(r.u(2)), &bottomUp, nullptr, 0);
        QRectF from(r.s(6), r.s(5), r.s(4), r.s(3));
        if (bottomUp) // the source's y counts from the bottom row
            from.moveTop(image.height() - from.top() - from.height());
        blit(r.u32(0), destRect(r.s(10), r.s(9), r.s(8), r.s(7)), &image, from, m_dc.stretchMode);
        break;
    }
    case 0x0D33: { // SetDIBitsToDevice: colour use, scans, first scan, source y, x, height, width, y, x, bitmap
        bool bottomUp = true;
        const QImage image = dib(r.from(9), r.bytesFrom(9), static_cast<int>(r.u(0)), &bottomUp, nullptr, 0);
        const int w = r.s(6), h = r.s(5);
        QRectF from(r.s(4), r.s(3), w, h);
        if (bottomUp)
            from.moveTop(image.height() - from.top() - h);
        blit(0x00CC0020, destRect(r.s(8), r.s(7), w, h), &image, from, m_dc.stretchMode);
        break;
    }
    default:
        break;
    }
}

void Player::blit(std::uint32_t rop, const QRectF& to, const QImage* image, QRectF from, int stretchMode)
{
    const unsigned index = (rop >> 16) & 0xFF;
    const bool usesSource = ((index >> 2) & 0x33) != (index & 0x33);
    if (!usesSource) {
        rasterOp(to.normalized().toRect(), rop, nullptr);
        return;
    }
    QImage source = image ? *image : QImage();
    if (!image) {
        // No bitmap of its own: the source is the picture itself, `from` in device pixels.
        const QRect area = from.normalized().toRect().intersected(m_canvas.rect());
        if (area.isEmpty() || !spend(qint64(area.width()) * area.height()))
            return;
        endPainting();
        source = m_canvas.copy(area).convertToFormat(QImage::Format_ARGB32);
        from = QRectF(from.x() - area.x(), from.y() - area.y(), from.width(), from.height());
    }
    if (source.isNull() || from.width() == 0 || from.height() == 0 || to.width() == 0 || to.height() == 0)
        return;
    // Mirrored when the source and the destination go opposite ways.
    const bool flipX = (from.width() < 0) != (to.width() < 0);
    const bool flipY = (from.height() < 0) != (to.height() < 0);
    const QRectF src = from.normalized();
    const QRectF dst = to.normalized();
    const QRect target(QPoint(qRound(dst.left()), qRound(dst.top())), QPoint(qRound(dst.right()) - 1, qRound(dst.bottom()) - 1));
    if (index == 0xCC) {
        const QRect visible = target.intersected(m_canvas.rect());
        if (visible.isEmpty() || !spend(qint64(visible.width()) * visible.height()))
            return;
        QPainter& p = painter();
        if (m_dc.clip)
            p.setClipRegion(*m_dc.clip);
        else
            p.setClipping(false);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const bool shrinking = target.width() < src.width() || target.height() < src.height();
        p.setRenderHint(QPainter::SmoothPixmapTransform, shrinking || stretchMode == 4);
        p.save();
        QTransform mirror;
        mirror.translate(target.x() + (flipX ? target.width() : 0), target.y() + (flipY ? target.height() : 0));
        mirror.scale(flipX ? -1 : 1, flipY ? -1 : 1);
        p.setTransform(mirror);
        p.drawImage(QRectF(0, 0, target.width(), target.height()), source, src);
        p.restore();
        return;
    }
    const QRectF t(target);
    Source s{&source, src,
        QRectF(flipX ? t.x() + t.width() : t.x(), flipY ? t.y() + t.height() : t.y(), flipX ? -t.width() : t.width(),
            flipY ? -t.height() : t.height())};
    rasterOp(target, rop, &s);
}

void Player::rasterOp(const QRect& target, std::uint32_t rop, const Source* source)
{
    const unsigned index = (rop >> 16) & 0xFF;
    const QRegion area = clipRegion().intersected(target.intersected(m_canvas.rect()));
    const QRect bounds = area.boundingRect();
    if (area.isEmpty() || !spend(qint64(bounds.width()) * bounds.height() + area.rectCount()))
        return;
    const bool usesPattern = ((index >> 4) & 0x0F) != (index & 0x0F);
    const Brush& brush = m_dc.brush;
    if ((index == 0xF0 || index == 0x00 || index == 0xFF) && !source) {
        // Pattern copy, black, white: a plain fill.
        if (index == 0xF0 && !brush.visible())
            return;
        QPainter& p = painter();
        p.setClipRegion(area);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrushOrigin(0, 0);
        const QBrush fill = index == 0xF0 ? qtBrush(brush) : QBrush(index == 0 ? Qt::black : Qt::white);
        if (brush.style == 2 && m_dc.bkMode == 2 && index == 0xF0)
            p.fillRect(bounds, QColor(m_dc.bkColour));
        p.fillRect(bounds, fill);
        return;
    }
    // The brush over the area, when the operation takes it.
    QImage pattern;
    std::uint32_t solid = brush.colour & 0xFFFFFF;
    if (usesPattern && brush.style != 0 && brush.visible()) {
        pattern = QImage(bounds.size(), QImage::Format_ARGB32);
        pattern.fill(brush.style == 2 ? m_dc.bkColour : 0xFF000000u);
        QPainter p(&pattern);
        p.setBrushOrigin(-bounds.topLeft());
        p.fillRect(pattern.rect(), qtBrush(brush));
    } else if (!brush.visible()) {
        solid = 0;
    }
    endPainting();
    for (const QRect& rect : area) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_canvas.scanLine(y));
            int sy = 0;
            const QRgb* srcLine = nullptr;
            if (source) {
                const double fy = (y + 0.5 - source->to.top()) / source->to.height();
                sy = static_cast<int>(std::floor(source->from.top() + fy * source->from.height()));
                if (sy < 0 || sy >= source->image->height())
                    continue;
                srcLine = reinterpret_cast<const QRgb*>(source->image->constScanLine(sy));
            }
            const QRgb* patLine = pattern.isNull() ? nullptr : reinterpret_cast<const QRgb*>(pattern.constScanLine(y - bounds.top()));
            for (int x = rect.left(); x <= rect.right(); ++x) {
                std::uint32_t s = 0;
                if (srcLine) {
                    const double fx = (x + 0.5 - source->to.left()) / source->to.width();
                    const int sx = static_cast<int>(std::floor(source->from.left() + fx * source->from.width()));
                    if (sx < 0 || sx >= source->image->width() || qAlpha(srcLine[sx]) == 0)
                        continue;
                    s = srcLine[sx] & 0xFFFFFF;
                }
                const QRgb d = line[x];
                const std::uint32_t dRgb = qAlpha(d) == 0 ? 0xFFFFFF : qUnpremultiply(d) & 0xFFFFFF;
                const std::uint32_t p = patLine ? patLine[x - bounds.left()] & 0xFFFFFF : solid;
                line[x] = 0xFF000000u | (ternary(index, p, s, dRgb) & 0xFFFFFF);
            }
        }
    }
}

QImage Player::dib(const uchar* data, int size, int colourUse, bool* bottomUp, const QRgb* mono, qint64 maxPixels)
{
    if (size < 12)
        return {};
    const std::uint32_t headerSize = le32(data);
    int width, height, bits;
    unsigned compression = 0;
    std::uint32_t used = 0;
    int entrySize = 4;
    if (headerSize == 12) { // BITMAPCOREHEADER
        width = static_cast<int>(le16(data + 4));
        height = static_cast<int>(le16(data + 6));
        bits = static_cast<int>(le16(data + 10));
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= std::uint32_t(size)) {
        width = static_cast<std::int32_t>(le32(data + 4));
        height = static_cast<std::int32_t>(le32(data + 8));
        bits = static_cast<int>(le16(data + 14));
        compression = le32(data + 16);
        used = le32(data + 32);
    } else {
        return {};
    }
    const bool topDown = height < 0;
    if (bottomUp)
        *bottomUp = !topDown;
    if (height == INT_MIN)
        return {};
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return {};
    int tableAt = static_cast<int>(headerSize);
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32)
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == 3) { // bit fields: three masks after the header, or in a larger header
        if (headerSize == 40)
            tableAt += 12;
        if (tableAt > size || headerSize < 40 || 52 > size)
            return {};
        for (int i = 0; i < 3; ++i)
            masks[i] = le32(data + 40 + 4 * i);
    }
    const int colours = bits <= 8 ? static_cast<int>(used && used < (1u << bits) ? used : 1u << bits) : 0;
    std::vector<QRgb> table(static_cast<size_t>(1 << std::min(bits, 8)), qRgb(0, 0, 0));
    const int perEntry = colourUse == 1 ? 2 : entrySize;
    if (bits <= 8) {
        if (tableAt + colours * perEntry > size)
            return {};
        for (int i = 0; i < colours; ++i) {
            const uchar* e = data + tableAt + i * perEntry;
            if (colourUse == 1) { // DIB_PAL_COLORS: indexes into the selected palette
                const unsigned n = le16(e);
                table[size_t(i)] = n < m_dc.palette->colours.size() ? m_dc.palette->colours[n] : qRgb(0, 0, 0);
            } else {
                table[size_t(i)] = qRgb(e[2], e[1], e[0]);
            }
        }
        if (mono && bits == 1) {
            table[0] = mono[0];
            table[1] = mono[1];
        }
    } else if (used > 0 && compression != 3) {
        tableAt += static_cast<int>(std::min<std::uint32_t>(used, 65536)) * perEntry; // colours for palette devices
    }
    const int bitsAt = tableAt + (bits <= 8 ? colours * perEntry : 0);
    if (bitsAt > size)
        return {};
    const uchar* pixels = data + bitsAt;
    const int available = size - bitsAt;

    if (compression == 4 || compression == 5) { // a JPEG or PNG file
        QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(pixels), available);
        QBuffer buffer(&file);
        QImageReader reader(&buffer, compression == 4 ? "JPEG" : "PNG");
        const QSize found = reader.size();
        if (!found.isValid() || qint64(found.width()) * found.height() > 16 * 1024 * 1024
            || !spend(qint64(found.width()) * found.height()))
            return {};
        const QImage image = reader.read();
        return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
    }
    const bool rle = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    if ((compression != 0 && compression != 3 && !rle) || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return {};
    // Bounded by the bytes there are, so a small damaged bitmap cannot claim a huge image.
    const qint64 limit = maxPixels > 0 ? maxPixels : std::min<qint64>(16 * 1024 * 1024, std::max<qint64>(65536, qint64(available) * 128));
    if (qint64(width) * height > limit || !spend(qint64(width) * height))
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    image.fill(0); // pixels the data does not reach stay transparent
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(image.scanLine(topDown ? y : height - 1 - y)); };

    if (rle) {
        int x = 0, y = 0, at = 0;
        auto put = [&](unsigned index) {
            if (x < width && y < height)
                row(y)[x] = table[index & 0xFF] | 0xFF000000u;
            ++x;
        };
        while (at + 1 < available && y < height) {
            const unsigned count = pixels[at], value = pixels[at + 1];
            at += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count && x < width; ++i)
                    put(bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
            } else if (value == 0) { // end of line
                x = 0;
                ++y;
            } else if (value == 1) { // end of bitmap
                break;
            } else if (value == 2) { // move by dx, dy
                if (at + 1 >= available)
                    break;
                x += pixels[at];
                y += pixels[at + 1];
                at += 2;
            } else { // `value` pixels as they are, padded to a word
                const int n = static_cast<int>(value);
                const int bytes = bits == 8 ? n : (n + 1) / 2;
                for (int i = 0; i < n && at + (bits == 8 ? i : i / 2) < available; ++i) {
                    const unsigned b = pixels[at + (bits == 8 ? i : i / 2)];
                    put(bits == 8 ? b : (i % 2 == 0 ? b >> 4 : b & 0x0F));
                }
                at += bytes + (bytes & 1);
            }
        }
        return image;
    }

    const qint64 stride = ((qint64(width) * bits + 31) / 32) * 4;
    const int rows = static_cast<int>(std::min<qint64>(height, available / stride));
    for (int y = 0; y < rows; ++y) {
        const uchar* in = pixels + stride * y;
        QRgb* out = row(y);
        for (int x = 0; x < width; ++x) {
            switch (bits) {
            case 1: out[x] = table[(in[x >> 3] >> (7 - (x & 7))) & 1] | 0xFF000000u; break;
            case 4: out[x] = table[(in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F] | 0xFF000000u; break;
            case 8: out[x] = table[in[x]] | 0xFF000000u; break;
            case 24: out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]); break;
            case 16: case 32: {
                const std::uint32_t v = bits == 16 ? le16(in + 2 * x) : le32(in + 4 * x);
                out[x] = qRgb(masked(v, masks[0]), masked(v, masks[1]), masked(v, masks[2]));
                break;
            }
            default: break;
            }
        }
    }
    return image;
}

QImage Player::bitmap16(const uchar* data, int size, bool pattern)
{
    // Type, width, height, bytes per row, planes, bits per pixel; the bits follow (a pattern
    // brush keeps 22 more bytes before them).
    if (size < 10)
        return {};
    const int width = static_cast<std::int16_t>(le16(data + 2));
    const int height = static_cast<std::int16_t>(le16(data + 4));
    const int rowBytes = static_cast<std::int16_t>(le16(data + 6));
    const int planes = data[8], bits = data[9];
    const int bitsAt = pattern ? 32 : 10;
    if (width <= 0 || height <= 0 || rowBytes <= 0 || planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        || qint64(width) * bits > qint64(rowBytes) * 8 || bitsAt + qint64(rowBytes) * height > size
        || !spend(qint64(width) * height))
        return {};
    const uchar* in = data + bitsAt;
    if (bits == 1) {
        // One bit: the colours are chosen where it is drawn (text and background colours).
        QImage image(width, height, QImage::Format_Mono);
        image.setColorCount(2);
        image.setColor(0, m_dc.textColour | 0xFF000000u);
        image.setColor(1, m_dc.bkColour | 0xFF000000u);
        for (int y = 0; y < height; ++y)
            memcpy(image.scanLine(y), in + qint64(rowBytes) * y, static_cast<size_t>(std::min<qint64>(rowBytes, image.bytesPerLine())));
        return pattern ? image : image.convertToFormat(QImage::Format_ARGB32);
    }
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const uchar* line = in + qint64(rowBytes) * y;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bits == 24) {
                out[x] = qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
            } else {
                const unsigned v = bits == 8 ? line[x] : (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
                const auto& palette = m_dc.palette->colours;
                out[x] = (v < palette.size() ? palette[v] : qRgb(v, v, v)) | 0xFF000000u;
            }
        }
    }
    return image;
}

} // namespace hlp::wmf
