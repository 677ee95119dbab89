#include "winhelp/format/HelpPicture.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

namespace hlp {

namespace {

bool fail(QString* why, const QString& reason)
{
    if (why)
        *why = reason;
    return false;
}

// Never more than `limit` bytes: a damaged picture that unpacks to more than it says is refused
// without ever holding all of it.
QByteArray unpack(const QByteArray& stored, int packing, qsizetype limit)
{
    switch (packing) {
    case 1:
        return rleDecodeAtMost(stored, limit);
    case 2:
        return lz77DecodeAtMost(stored.constData(), stored.size(), limit);
    case 3: {
        // The run-length stage is at most one byte in 127 larger than the picture.
        const QByteArray lz = lz77DecodeAtMost(stored.constData(), stored.size(), limit + limit / 127 + 2);
        return rleDecodeAtMost(lz, limit);
    }
    default:
        return stored.left(limit);
    }
}

// More than any screen of the time shows: a header asking for it is damaged.
constexpr qsizetype kMaxPictureBytes = qsizetype(64) << 20;

bool readHotspots(const QByteArray& bytes, qsizetype at, qsizetype size, HelpPictureInfo& info, QString* why)
{
    if (at < 0 || size < 7 || at + size > bytes.size())
        return fail(why, QStringLiteral("zones sensibles hors du fichier"));
    ByteReader r(bytes, static_cast<int>(at), static_cast<int>(at + size));
    if (r.u8() != 1)
        return fail(why, QStringLiteral("zones sensibles d'un format inconnu"));
    const int count = static_cast<int>(r.u16());
    const std::uint32_t macroBytes = r.u32();
    if (qsizetype(count) * 15 + 7 + qsizetype(macroBytes) > size)
        return fail(why, QStringLiteral("zones sensibles tronquées"));
    for (int i = 0; i < count; ++i) {
        HelpPictureHotspot h;
        h.code[0] = static_cast<std::uint8_t>(r.u8());
        h.code[1] = static_cast<std::uint8_t>(r.u8());
        h.code[2] = static_cast<std::uint8_t>(r.u8());
        h.x = static_cast<int>(r.u16());
        h.y = static_cast<int>(r.u16());
        h.width = static_cast<int>(r.u16());
        h.height = static_cast<int>(r.u16());
        h.hash = r.u32();
        info.hotspots.push_back(h);
    }
    r.seek(r.pos() + static_cast<int>(macroBytes));
    for (HelpPictureHotspot& h : info.hotspots) {
        h.name = r.stringz();
        h.target = r.stringz();
    }
    if (!r.ok())
        return fail(why, QStringLiteral("noms des zones sensibles tronqués"));
    return true;
}

} // namespace

bool readHelpPicture(const QByteArray& bytes, HelpPictureInfo& info, int* pictures, QString* why)
{
    info = HelpPictureInfo{};
    ByteReader r(bytes);
    const unsigned magic = r.u16();
    const int count = static_cast<int>(r.u16());
    if (!r.ok() || (magic != 0x506C && magic != 0x706C))
        return fail(why, QStringLiteral("ce n'est pas une image .shg ou .mrb"));
    if (count < 1 || count > 64 || 4 + 4 * qsizetype(count) > bytes.size())
        return fail(why, QStringLiteral("nombre d'images illisible"));
    if (pictures)
        *pictures = count;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t offset = ByteReader(bytes, 4 + 4 * i).u32();
        if (offset < 4 + 4 * static_cast<std::uint32_t>(count) || offset >= static_cast<std::uint32_t>(bytes.size()))
            return fail(why, QStringLiteral("image %1 hors du fichier").arg(i + 1));
    }
    const int start = static_cast<int>(ByteReader(bytes, 4).u32());
    ByteReader p(bytes, start);
    info.type = static_cast<int>(p.u8());
    info.packing = static_cast<int>(p.u8());
    if (info.packing > 3)
        return fail(why, QStringLiteral("compression %1 inconnue").arg(info.packing));
    std::uint32_t storedSize = 0, hotspotSize = 0;
    if (info.type == 5 || info.type == 6) {
        p.culong();
        p.culong();
        const unsigned planes = p.cushort();
        info.bitCount = static_cast<int>(p.cushort());
        info.width = static_cast<int>(p.culong());
        info.height = static_cast<int>(p.culong());
        const std::uint32_t used = p.culong();
        p.culong();
        storedSize = p.culong();
        hotspotSize = p.culong();
        if (planes != 1 || (info.bitCount != 1 && info.bitCount != 4 && info.bitCount != 8 && info.bitCount != 24))
            return fail(why, QStringLiteral("bitmap de %1 plans à %2 bits").arg(planes).arg(info.bitCount));
        if (info.width <= 0 || info.height <= 0 || info.width > 32767 || info.height > 32767)
            return fail(why, QStringLiteral("dimensions illisibles"));
        if (info.type == 6) {
            const std::uint32_t colours = used ? used : (info.bitCount <= 8 ? 1u << info.bitCount : 0u);
            if (colours > 65536)
                return fail(why, QStringLiteral("palette de %1 couleurs").arg(colours));
            info.colours = static_cast<int>(colours);
        }
        info.dataSize = ((qsizetype(info.width) * info.bitCount + 31) / 32) * 4 * info.height;
    } else if (info.type == 8) {
        info.mapMode = static_cast<int>(p.cushort());
        info.width = static_cast<int>(p.u16());
        info.height = static_cast<int>(p.u16());
        info.dataSize = p.culong();
        storedSize = p.culong();
        hotspotSize = p.culong();
    } else {
        return fail(why, QStringLiteral("image de type %1 inconnu").arg(info.type));
    }
    const std::uint32_t dataAt = p.u32();
    const std::uint32_t hotspotAt = p.u32();
    if (!p.ok())
        return fail(why, QStringLiteral("en-tête d'image tronqué"));
    if (info.type == 6 && p.pos() + 4 * qsizetype(info.colours) > bytes.size())
        return fail(why, QStringLiteral("palette tronquée"));
    if (info.type == 6)
        info.palette = bytes.mid(p.pos(), 4 * info.colours);
    const qsizetype data = qsizetype(start) + dataAt;
    if (data + storedSize > bytes.size() || dataAt < static_cast<std::uint32_t>(p.pos() - start))
        return fail(why, QStringLiteral("données d'image hors du fichier"));
    if (info.dataSize > kMaxPictureBytes)
        return fail(why, QStringLiteral("image démesurée (%1 octets annoncés)").arg(info.dataSize));
    const QByteArray unpacked = unpack(bytes.mid(data, storedSize), info.packing, info.dataSize + 1);
    if (unpacked.size() > info.dataSize)
        return fail(why, QStringLiteral("données d'image plus grandes que les %1 octets annoncés").arg(info.dataSize));
    if (unpacked.size() != info.dataSize)
        return fail(why, QStringLiteral("données d'image de %1 octets au lieu de %2").arg(unpacked.size()).arg(info.dataSize));
    info.pixels = unpacked;
    if (hotspotSize > 0 && !readHotspots(bytes, qsizetype(start) + hotspotAt, hotspotSize, info, why))
        return false;
    return true;
}

} // namespace hlp
