#include "winhelp/project/HlpBitmap.h"

#include "winhelp/format/HlpBytes.h"

namespace hlp {

QByteArray pictureFromBmp(const QByteArray& bmp, QString* why)
{
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QByteArray();
    };
    if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M')
        return fail(QStringLiteral("ce n'est pas un fichier .bmp"));
    ByteReader r(bmp);
    r.seek(10);
    const std::uint32_t pixelOffset = r.u32();
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
        return fail(QStringLiteral("en-tête de bitmap inconnu"));
    }
    if (!r.ok() || width <= 0 || height == 0 || width > 32767 || height > 32767 || height < -32767)
        return fail(QStringLiteral("dimensions illisibles"));
    if (compression != 0)
        return fail(QStringLiteral("bitmap compressé, non pris en charge"));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return fail(QStringLiteral("%1 bits par pixel, non pris en charge").arg(bitCount));

    const bool topDown = height < 0;
    const int rows = topDown ? -height : height;
    int paletteCount = 0;
    if (bitCount <= 8)
        paletteCount = colorsUsed ? static_cast<int>(qMin<std::uint32_t>(colorsUsed, 1u << bitCount)) : (1 << bitCount);
    const qsizetype paletteStart = 14 + static_cast<qsizetype>(headerSize);
    if (paletteStart + qsizetype(paletteCount) * paletteEntrySize > bmp.size())
        return fail(QStringLiteral("palette tronquée"));
    QByteArray palette;
    for (int i = 0; i < paletteCount; ++i) {
        const char* e = bmp.constData() + paletteStart + qsizetype(i) * paletteEntrySize;
        palette.append(e[0]).append(e[1]).append(e[2]).append('\0');
    }

    const qsizetype inStride = ((qsizetype(width) * bitCount + 31) / 32) * 4;
    if (qsizetype(pixelOffset) + inStride * rows > bmp.size())
        return fail(QStringLiteral("données d'image tronquées"));
    const unsigned outBits = bitCount == 32 ? 24 : bitCount;
    const qsizetype outStride = ((qsizetype(width) * outBits + 31) / 32) * 4;
    QByteArray pixels(outStride * rows, '\0');
    for (int y = 0; y < rows; ++y) {
        // Stored bottom-up, as a .bmp normally is.
        const int srcRow = topDown ? rows - 1 - y : y;
        const char* src = bmp.constData() + pixelOffset + inStride * srcRow;
        char* dst = pixels.data() + outStride * y;
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

    // In 64 bits: a resolution near the 32-bit limit must not overflow on the way.
    auto dpi = [](std::int32_t ppm) -> std::uint32_t {
        return ppm > 0 ? static_cast<std::uint32_t>((std::int64_t(ppm) * 254 + 5000) / 10000) : 96;
    };
    ByteWriter head;
    head.u8(6); // device-independent bitmap
    head.u8(0); // no packing
    head.culong(dpi(xppm));
    head.culong(dpi(yppm));
    head.cushort(1);
    head.cushort(outBits);
    head.culong(static_cast<std::uint32_t>(width));
    head.culong(static_cast<std::uint32_t>(rows));
    head.culong(static_cast<std::uint32_t>(paletteCount));
    head.culong(0); // 1 would mean a transparent bitmap
    head.culong(static_cast<std::uint32_t>(pixels.size()));
    head.culong(0); // no hot spots
    const std::uint32_t dataOffset = static_cast<std::uint32_t>(head.size() + 8 + palette.size());
    head.u32(dataOffset);
    head.u32(0);

    ByteWriter out;
    out.u16(0x506C);
    out.u16(1);
    out.u32(8);
    out.raw(head.bytes);
    out.raw(palette);
    out.raw(pixels);
    return out.bytes;
}

QByteArray singleImageIcon(const QByteArray& ico, QString* why)
{
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QByteArray();
    };
    ByteReader r(ico);
    if (r.u16() != 0 || r.u16() != 1)
        return fail(QStringLiteral("ce n'est pas un fichier .ico"));
    const int count = static_cast<int>(r.u16());
    if (count < 1 || !r.ok())
        return fail(QStringLiteral("icône vide"));
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        r.seek(6 + 16 * i);
        const unsigned w = r.u8();
        const unsigned h = r.u8();
        if (!r.ok())
            return fail(QStringLiteral("répertoire d'icône tronqué"));
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
        return fail(QStringLiteral("image d'icône tronquée"));
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
