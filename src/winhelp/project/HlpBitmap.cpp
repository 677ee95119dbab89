#include "winhelp/project/HlpBitmap.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <QHash>
#include <vector>
#include <QImage>

namespace hlp {

namespace {

bool fail(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

qsizetype strideOf(int width, unsigned bits)
{
    return ((qsizetype(width) * bits + 31) / 32) * 4;
}

std::uint32_t dpiOf(std::int32_t pixelsPerMetre)
{
    // In 64 bits: a resolution near the 32-bit limit must not overflow on the way.
    return pixelsPerMetre > 0 ? static_cast<std::uint32_t>((std::int64_t(pixelsPerMetre) * 254 + 5000) / 10000) : 96;
}

// The pixels of a run-length bitmap (RLE8 when `bits` is 8, RLE4 when 4) from `p` to `end`,
// unpacked into bottom-up rows of `stride` bytes. Pixels the runs leave out (an early end of line,
// a jump, an early end) keep colour 0; runs past the edge are cut.
QByteArray unpackRunLengths(const unsigned char* p, const unsigned char* end, int width, int rows, unsigned bits,
                            qsizetype stride)
{
    QByteArray out(stride * rows, '\0');
    int x = 0, y = 0;
    // Colour i of a run: the byte itself, or its high then low nibble in turn.
    const auto put = [&](unsigned i, unsigned byte) {
        if (x < width && y < rows) {
            char* row = out.data() + stride * y;
            if (bits == 8)
                row[x] = static_cast<char>(byte);
            else
                row[x / 2] = static_cast<char>(row[x / 2] | ((i % 2 ? byte & 0x0F : byte >> 4) << (x % 2 ? 0 : 4)));
        }
        ++x;
    };
    while (end - p >= 2 && y < rows) {
        const unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i)
                put(i, value);
            x = qMin(width, x);
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up
            if (end - p < 2)
                break;
            x = qMin(width, x + p[0]);
            y += p[1];
            p += 2;
        } else { // `value` colours as they are, padded to an even number of bytes
            const qsizetype bytes = bits == 8 ? value : (value + 1) / 2;
            const qsizetype available = qMin<qsizetype>(bytes, end - p);
            for (unsigned i = 0; i < value && x < width && qsizetype(bits == 8 ? i : i / 2) < available; ++i)
                put(i, p[bits == 8 ? i : i / 2]);
            x = qMin(width, x);
            p += qMin<qsizetype>((bytes + 1) & ~qsizetype(1), end - p);
        }
    }
    return out;
}

// The bitmap described by a BITMAPINFOHEADER (or a BITMAPCOREHEADER) at `header` in `data`, whose
// pixels start at `pixelOffset` (-1: right after the palette).
bool readDib(const QByteArray& data, qsizetype header, qsizetype pixelOffset, Dib& dib, QString* why)
{
    ByteReader r(data, static_cast<int>(header));
    const std::uint32_t headerSize = r.u32();
    std::int32_t width = 0, height = 0;
    unsigned bitCount = 0, compression = 0;
    std::uint32_t colorsUsed = 0;
    std::int32_t xppm = 0, yppm = 0;
    int paletteEntrySize = 4;
    if (headerSize == 12) {
        width = static_cast<std::int32_t>(r.u16());
        height = static_cast<std::int32_t>(r.u16());
        r.u16();
        bitCount = r.u16();
        paletteEntrySize = 3;
    } else if (headerSize >= 40) {
        width = r.i32();
        height = r.i32();
        r.u16();
        bitCount = r.u16();
        compression = r.u32();
        r.u32();
        xppm = r.i32();
        yppm = r.i32();
        colorsUsed = r.u32();
    } else {
        return fail(why, QStringLiteral("en-tête de bitmap inconnu"));
    }
    if (!r.ok() || width <= 0 || height == 0 || width > 32767 || height > 32767 || height < -32767)
        return fail(why, QStringLiteral("dimensions illisibles"));
    // Run lengths of 8 or 4 bits (what many programs write by default) are unpacked here.
    const bool runLengths = (compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4);
    if (compression != 0 && !runLengths)
        return fail(why, QStringLiteral("bitmap compressé : enregistrez-le sans compression"));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return fail(why, QStringLiteral("bitmap de %1 bits par pixel : enregistrez-le en 1, 4, 8 ou 24 bits").arg(bitCount));

    const bool topDown = height < 0;
    const int rows = topDown ? -height : height;
    int paletteCount = 0;
    if (bitCount <= 8)
        paletteCount = colorsUsed ? static_cast<int>(qMin<std::uint32_t>(colorsUsed, 1u << bitCount)) : (1 << bitCount);
    const qsizetype paletteStart = header + static_cast<qsizetype>(headerSize);
    if (paletteStart + qsizetype(paletteCount) * paletteEntrySize > data.size())
        return fail(why, QStringLiteral("palette tronquée"));
    dib.palette.clear();
    for (int i = 0; i < paletteCount; ++i) {
        const char* e = data.constData() + paletteStart + qsizetype(i) * paletteEntrySize;
        dib.palette.append(e[0]).append(e[1]).append(e[2]).append('\0');
    }
    if (pixelOffset < 0)
        pixelOffset = paletteStart + qsizetype(paletteCount) * paletteEntrySize;

    const qsizetype inStride = strideOf(width, bitCount);
    const QByteArray* source = &data;
    QByteArray unpacked;
    if (runLengths) {
        // A run of two bytes gives at most 255 pixels: far larger sizes are no picture (and
        // would take the memory for nothing).
        const qsizetype room = qMax<qsizetype>(qsizetype(1) << 24, (data.size() - pixelOffset) * 256);
        if (pixelOffset < 0 || pixelOffset >= data.size() || inStride * rows > room)
            return fail(why, QStringLiteral("données d'image tronquées"));
        const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
        unpacked = unpackRunLengths(bytes + pixelOffset, bytes + data.size(), width, rows, bitCount, inStride);
        source = &unpacked;
        pixelOffset = 0;
    } else if (pixelOffset + inStride * rows > data.size()) {
        return fail(why, QStringLiteral("données d'image tronquées"));
    }
    const unsigned outBits = bitCount == 32 ? 24 : bitCount;
    const qsizetype outStride = strideOf(width, outBits);
    dib.pixels = QByteArray(outStride * rows, '\0');
    for (int y = 0; y < rows; ++y) {
        // Stored bottom-up, as a .bmp normally is.
        const int srcRow = topDown ? rows - 1 - y : y;
        const char* src = source->constData() + pixelOffset + inStride * srcRow;
        char* dst = dib.pixels.data() + outStride * y;
        if (bitCount == 32) {
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
            }
        } else {
            memcpy(dst, src, static_cast<size_t>(inStride));
        }
    }
    dib.width = width;
    dib.height = rows;
    dib.bits = outBits;
    dib.xdpi = dpiOf(xppm);
    dib.ydpi = dpiOf(yppm);
    return true;
}

// The colours of the standard VGA palette, for the 4-bit device bitmaps of old projects.
const unsigned char kVga[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                                   {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                                   {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// Picks the smallest packing: none, run lengths, LZ77, or run lengths then LZ77.
QByteArray packed(const QByteArray& data, bool compress, int& packing)
{
    packing = 0;
    if (!compress)
        return data;
    QByteArray best = data;
    const QByteArray rle = rleEncode(data);
    const QByteArray lz = lz77Encode(data);
    const QByteArray both = lz77Encode(rle);
    const QByteArray* candidates[3] = {&rle, &lz, &both};
    for (int i = 0; i < 3; ++i) {
        if (candidates[i]->size() < best.size()) {
            best = *candidates[i];
            packing = i + 1;
        }
    }
    return best;
}

} // namespace

bool dibFromBmp(const QByteArray& bmp, Dib& dib, QString* why)
{
    if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M')
        return fail(why, QStringLiteral("ce n'est pas un fichier .bmp"));
    return readDib(bmp, 14, ByteReader(bmp, 10).u32(), dib, why);
}

bool dibFromPacked(const QByteArray& packed, Dib& dib, QString* why)
{
    return readDib(packed, 0, -1, dib, why);
}

bool dibFromDdb(const QByteArray& bits, int width, int height, int bitsPerPixel, int planes, int widthBytes, Dib& dib,
                QString* why)
{
    if (planes != 1)
        return fail(why, QStringLiteral("bitmap de %1 plans").arg(planes));
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
        return fail(why, QStringLiteral("bitmap de périphérique de %1 bits par pixel, sans équivalent").arg(bitsPerPixel));
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return fail(why, QStringLiteral("dimensions illisibles"));
    const qsizetype rowBytes = (qsizetype(width) * bitsPerPixel + 7) / 8;
    const qsizetype inStride = widthBytes > 0 ? widthBytes : ((rowBytes + 1) / 2) * 2;
    if (inStride < rowBytes || inStride * height > bits.size())
        return fail(why, QStringLiteral("données d'image tronquées"));
    dib = Dib{};
    dib.width = width;
    dib.height = height;
    dib.bits = static_cast<unsigned>(bitsPerPixel);
    if (bitsPerPixel == 1) {
        dib.palette = QByteArray("\0\0\0\0\xFF\xFF\xFF\0", 8);
    } else if (bitsPerPixel == 4) {
        for (const auto& c : kVga)
            dib.palette.append(static_cast<char>(c[2])).append(static_cast<char>(c[1])).append(static_cast<char>(c[0])).append('\0');
    } else if (bitsPerPixel == 8) {
        // A grey ramp: a device palette is not in the file.
        for (int i = 0; i < 256; ++i)
            dib.palette.append(static_cast<char>(i)).append(static_cast<char>(i)).append(static_cast<char>(i)).append('\0');
    }
    const qsizetype outStride = strideOf(width, dib.bits);
    dib.pixels = QByteArray(outStride * height, '\0');
    for (int y = 0; y < height; ++y) // device bitmaps run top-down
        memcpy(dib.pixels.data() + outStride * (height - 1 - y), bits.constData() + inStride * y, static_cast<size_t>(rowBytes));
    return true;
}

bool dibFromImage(const QByteArray& file, const char* format, Dib& dib, QString* why)
{
    QImage image;
    if (!image.loadFromData(file, format) || image.isNull())
        return fail(why, QStringLiteral("image %1 illisible").arg(QString::fromLatin1(format)));
    if (image.width() > 32767 || image.height() > 32767)
        return fail(why, QStringLiteral("image trop grande"));
    if (image.hasAlphaChannel()) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        QImage flat(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            QRgb* dst = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(src[x]);
                auto mix = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
                dst[x] = qRgb(mix(qRed(src[x])), mix(qGreen(src[x])), mix(qBlue(src[x])));
            }
        }
        image = flat;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    dib = Dib{};
    dib.width = image.width();
    dib.height = image.height();
    dib.xdpi = dpiOf(image.dotsPerMeterX());
    dib.ydpi = dpiOf(image.dotsPerMeterY());
    // Few colours (drawings, screenshots): a palette of 16 or 256 keeps them exact and small. Its
    // colours stand in the order the picture meets them, top row first, so the same picture always
    // gives the same bytes (a hash's order changes from one run of the program to the next).
    QHash<QRgb, int> colours;
    std::vector<QRgb> order;
    for (int y = 0; y < image.height() && colours.size() <= 256; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width() && colours.size() <= 256; ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (colours.contains(c))
                continue;
            colours.insert(c, static_cast<int>(order.size()));
            order.push_back(c);
        }
    }
    if (colours.size() <= 256) {
        dib.bits = colours.size() <= 16 ? 4 : 8;
        for (const QRgb c : order)
            dib.palette.append(static_cast<char>(qBlue(c))).append(static_cast<char>(qGreen(c))).append(static_cast<char>(qRed(c))).append('\0');
    } else {
        dib.bits = 24;
    }
    const qsizetype stride = strideOf(dib.width, dib.bits);
    dib.pixels = QByteArray(stride * dib.height, '\0');
    for (int y = 0; y < dib.height; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* dst = reinterpret_cast<unsigned char*>(dib.pixels.data() + stride * (dib.height - 1 - y));
        for (int x = 0; x < dib.width; ++x) {
            const QRgb c = src[x] | 0xFF000000u;
            if (dib.bits == 24) {
                dst[3 * x] = static_cast<unsigned char>(qBlue(c));
                dst[3 * x + 1] = static_cast<unsigned char>(qGreen(c));
                dst[3 * x + 2] = static_cast<unsigned char>(qRed(c));
            } else if (dib.bits == 8) {
                dst[x] = static_cast<unsigned char>(colours.value(c));
            } else {
                const int index = colours.value(c);
                dst[x / 2] |= static_cast<unsigned char>(x % 2 ? index : index << 4);
            }
        }
    }
    return true;
}

QByteArray bmpFromDib(const Dib& dib)
{
    const auto le16 = [](QByteArray& b, unsigned v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    const auto le32 = [&le16](QByteArray& b, std::uint32_t v) {
        le16(b, v & 0xFFFF);
        le16(b, v >> 16);
    };
    const std::uint32_t offset = 14 + 40 + std::uint32_t(dib.palette.size());
    QByteArray b;
    b.reserve(offset + dib.pixels.size());
    b.append("BM");
    le32(b, offset + std::uint32_t(dib.pixels.size()));
    le32(b, 0);
    le32(b, offset);
    le32(b, 40);
    le32(b, std::uint32_t(dib.width));
    le32(b, std::uint32_t(dib.height));
    le16(b, 1);
    le16(b, dib.bits);
    le32(b, 0);
    le32(b, std::uint32_t(dib.pixels.size()));
    le32(b, std::uint32_t(dib.xdpi * 10000 / 254));
    le32(b, std::uint32_t(dib.ydpi * 10000 / 254));
    le32(b, std::uint32_t(dib.palette.size() / 4));
    le32(b, 0);
    return b + dib.palette + dib.pixels;
}

bool dibFromHelpPicture(const QByteArray& container, Dib& dib, QString* why)
{
    HelpPictureInfo info;
    if (!readHelpPicture(container, info, nullptr, why))
        return false;
    if (info.type == 8)
        return fail(why, QStringLiteral("métafichier"));
    dib = Dib{};
    dib.width = info.width;
    dib.height = info.height;
    dib.bits = static_cast<unsigned>(info.bitCount);
    dib.palette = info.palette;
    dib.pixels = info.pixels;
    if (dib.palette.isEmpty() && dib.bits <= 8) {
        Dib device;
        dibFromDdb(QByteArray(4, '\0'), 1, 1, info.bitCount, 1, 0, device, nullptr);
        dib.palette = device.palette;
    }
    return true;
}

QByteArray pictureFromDib(const Dib& dib, bool compress)
{
    int packing = 0;
    const QByteArray data = packed(dib.pixels, compress, packing);
    ByteWriter head;
    head.u8(6); // device-independent bitmap
    head.u8(static_cast<unsigned>(packing));
    head.culong(dib.xdpi);
    head.culong(dib.ydpi);
    head.cushort(1);
    head.cushort(dib.bits);
    head.culong(static_cast<std::uint32_t>(dib.width));
    head.culong(static_cast<std::uint32_t>(dib.height));
    head.culong(static_cast<std::uint32_t>(dib.palette.size() / 4));
    head.culong(0); // 1 would mean a transparent bitmap
    head.culong(static_cast<std::uint32_t>(data.size()));
    head.culong(0); // no hot spots
    const std::uint32_t dataOffset = static_cast<std::uint32_t>(head.size() + 8 + dib.palette.size());
    head.u32(dataOffset);
    head.u32(0);

    ByteWriter out;
    out.u16(0x506C);
    out.u16(1);
    out.u32(8);
    out.raw(head.bytes);
    out.raw(dib.palette);
    out.raw(data);
    return out.bytes;
}

QByteArray pictureFromMetafile(const QByteArray& records, int mapMode, int width, int height, bool compress)
{
    int packing = 0;
    const QByteArray data = packed(records, compress, packing);
    ByteWriter head;
    head.u8(8);
    head.u8(static_cast<unsigned>(packing));
    head.cushort(static_cast<unsigned>(qBound(1, mapMode, 8)));
    head.u16(static_cast<unsigned>(qBound(0, width, 0xFFFF)));
    head.u16(static_cast<unsigned>(qBound(0, height, 0xFFFF)));
    head.culong(static_cast<std::uint32_t>(records.size()));
    head.culong(static_cast<std::uint32_t>(data.size()));
    head.culong(0);
    head.u32(static_cast<std::uint32_t>(head.size() + 8));
    head.u32(0);
    ByteWriter out;
    out.u16(0x506C);
    out.u16(1);
    out.u32(8);
    out.raw(head.bytes);
    out.raw(data);
    return out.bytes;
}

bool metafileRecords(const QByteArray& file, QByteArray& records, int& width, int& height, QString* why)
{
    QByteArray body = file;
    ByteReader r(file);
    if (r.u32() == 0x9AC6CDD7u) {
        // Placeable header: handle, bounding box, units per inch, reserved, checksum.
        r.u16();
        const int left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
        const int inch = static_cast<int>(r.u16());
        if (inch > 0) {
            width = static_cast<int>(qint64(right - left) * 2540 / inch);
            height = static_cast<int>(qint64(bottom - top) * 2540 / inch);
        }
        body = file.mid(22);
    }
    ByteReader h(body);
    const unsigned type = h.u16();
    const unsigned headerWords = h.u16();
    h.u16();
    const std::uint32_t sizeWords = h.u32();
    if (!h.ok() || (type != 1 && type != 2) || headerWords != 9 || qsizetype(sizeWords) * 2 > body.size() || sizeWords < 9)
        return fail(why, QStringLiteral("ce n'est pas un métafichier Windows"));
    records = body.left(qsizetype(sizeWords) * 2);
    return true;
}

QByteArray pictureFromBmp(const QByteArray& bmp, QString* why)
{
    Dib dib;
    if (!dibFromBmp(bmp, dib, why))
        return {};
    return pictureFromDib(dib, false);
}

QByteArray singleImageIcon(const QByteArray& ico, QString* why)
{
    auto failed = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QByteArray();
    };
    ByteReader r(ico);
    if (r.u16() != 0 || r.u16() != 1)
        return failed(QStringLiteral("ce n'est pas un fichier .ico"));
    const int count = static_cast<int>(r.u16());
    if (count < 1 || !r.ok())
        return failed(QStringLiteral("icône vide"));
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        r.seek(6 + 16 * i);
        const unsigned w = r.u8();
        const unsigned h = r.u8();
        if (!r.ok())
            return failed(QStringLiteral("répertoire d'icône tronqué"));
        if (chosen < 0 || (w == 32 && h == 32 && chosen >= 0)) {
            if (chosen < 0 || !(static_cast<unsigned char>(ico[6 + 16 * chosen]) == 32
                                && static_cast<unsigned char>(ico[7 + 16 * chosen]) == 32))
                chosen = i;
        }
    }
    r.seek(6 + 16 * chosen);
    const QByteArray entry = r.bytes(8);
    const std::uint32_t size = r.u32();
    const std::uint32_t offset = r.u32();
    if (!r.ok() || qsizetype(offset) + qsizetype(size) > ico.size() || size == 0)
        return failed(QStringLiteral("image d'icône tronquée"));
    ByteWriter out;
    out.u16(0);
    out.u16(1);
    out.u16(1);
    out.raw(entry);
    out.u32(size);
    out.u32(22);
    out.raw(ico.mid(offset, size));
    return out.bytes;
}

} // namespace hlp
