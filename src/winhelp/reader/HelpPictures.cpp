// The pictures the topics show: |bmN (bmN in 3.0 files), or a picture inside the text. Each is
// kept as the .shg/.mrb file it is, with its hot spots; of the versions a multi-resolution
// picture holds for other screens, the best one.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"
#include "winhelp/project/PictureLoader.h"

namespace hlp::fileread {

namespace {

struct Version {
    int start = 0;      // offset of its type byte
    qsizetype end = 0;  // after its last byte (header, data and hot spots)
    bool metafile = false;
    qint64 pixels = 0;
    int bitCount = 0;
};

// What a version of the container is and where it ends; false when its header is unreadable.
bool version(const QByteArray& bytes, int start, Version& v)
{
    ByteReader p(bytes, start);
    v.start = start;
    const unsigned type = p.u8();
    p.u8();
    std::uint32_t stored = 0, hotspots = 0;
    if (type == 5 || type == 6) {
        p.culong();
        p.culong();
        p.cushort();
        v.bitCount = static_cast<int>(p.cushort());
        const qint64 width = p.culong();
        const qint64 height = p.culong();
        p.culong();
        p.culong();
        stored = p.culong();
        hotspots = p.culong();
        v.pixels = width * height;
    } else if (type == 8) {
        p.cushort();
        p.u16();
        p.u16();
        p.culong();
        stored = p.culong();
        hotspots = p.culong();
        v.metafile = true;
    } else {
        return false;
    }
    const std::uint32_t dataAt = p.u32();
    const std::uint32_t hotspotAt = p.u32();
    if (!p.ok())
        return false;
    v.end = p.pos();
    v.end = qMax<qsizetype>(v.end, qsizetype(start) + dataAt + stored);
    if (hotspots > 0 && hotspotAt > 0)
        v.end = qMax<qsizetype>(v.end, qsizetype(start) + hotspotAt + hotspots);
    v.end = qMin<qsizetype>(v.end, bytes.size());
    return true;
}

// Better: a metafile (it scales), else more pixels, else more colours.
bool better(const Version& a, const Version& b)
{
    if (a.metafile != b.metafile)
        return a.metafile;
    if (a.pixels != b.pixels)
        return a.pixels > b.pixels;
    return a.bitCount > b.bitCount;
}

QByteArray unpacked(const QByteArray& stored, unsigned packing, qsizetype limit)
{
    switch (packing) {
    case 1:
        return rleDecodeAtMost(stored, limit);
    case 2:
        return lz77DecodeAtMost(stored.constData(), stored.size(), limit);
    case 3:
        return rleDecodeAtMost(lz77DecodeAtMost(stored.constData(), stored.size(), limit + limit / 127 + 2), limit);
    default:
        return stored.left(limit);
    }
}

// A one-picture container whose data unpacks to another size than its header gives (the
// viewers show such pictures all the same): its data unpacked, cut or filled with zeros to that
// size, stored without packing, with its palette and hot spots. Empty when its header cannot be
// read either.
QByteArray withExactSize(const QByteArray& bytes)
{
    constexpr int start = 8;
    ByteReader p(bytes, start);
    const unsigned type = p.u8();
    const unsigned packing = p.u8();
    if ((type != 5 && type != 6 && type != 8) || packing > 3)
        return {};
    ByteWriter head;
    head.u8(type);
    head.u8(0);
    qsizetype size = 0;
    int colours = 0;
    std::uint32_t stored = 0, hotspots = 0;
    if (type == 8) {
        head.cushort(p.cushort());
        head.u16(p.u16());
        head.u16(p.u16());
        size = p.culong();
        stored = p.culong();
        hotspots = p.culong();
    } else {
        head.culong(p.culong());
        head.culong(p.culong());
        head.cushort(p.cushort());
        const unsigned bits = p.cushort();
        const std::uint32_t width = p.culong(), height = p.culong(), used = p.culong(), important = p.culong();
        stored = p.culong();
        hotspots = p.culong();
        if (width == 0 || height == 0 || width > 32767 || height > 32767 || (bits != 1 && bits != 4 && bits != 8 && bits != 24)
            || used > 65536)
            return {};
        head.cushort(bits);
        head.culong(width);
        head.culong(height);
        head.culong(used);
        head.culong(important);
        size = ((qsizetype(width) * bits + 31) / 32) * 4 * height;
        colours = type == 6 ? static_cast<int>(used ? used : (bits <= 8 ? 1u << bits : 0u)) : 0;
    }
    const std::uint32_t dataAt = p.u32();
    const std::uint32_t hotspotAt = p.u32();
    if (!p.ok() || size <= 0 || size > (qsizetype(64) << 20) || qsizetype(start) + dataAt + stored > bytes.size()
        || p.pos() + 4 * qsizetype(colours) > bytes.size())
        return {};
    const QByteArray palette = bytes.mid(p.pos(), 4 * colours);
    QByteArray data = unpacked(bytes.mid(start + dataAt, stored), packing, size);
    if (type == 8)
        size = data.size();
    data.append(size - data.size(), '\0');
    const QByteArray spots = hotspots > 0 && qsizetype(start) + hotspotAt + hotspots <= bytes.size() ? bytes.mid(start + hotspotAt, hotspots)
                                                                                                      : QByteArray();
    if (type == 8) {
        // The metafile's size is the one its data has.
        ByteWriter fixed;
        ByteReader again(head.bytes, 2);
        fixed.raw(head.bytes.left(2));
        fixed.cushort(again.cushort());
        fixed.u16(again.u16());
        fixed.u16(again.u16());
        fixed.culong(static_cast<std::uint32_t>(size));
        head = fixed;
    }
    head.culong(static_cast<std::uint32_t>(data.size()));
    head.culong(static_cast<std::uint32_t>(spots.size()));
    const std::uint32_t newDataAt = static_cast<std::uint32_t>(head.size() + 8 + palette.size());
    head.u32(newDataAt);
    head.u32(spots.isEmpty() ? 0 : newDataAt + static_cast<std::uint32_t>(data.size()));
    ByteWriter out;
    out.u16(0x506C);
    out.u16(1);
    out.u32(start);
    out.raw(head.bytes);
    out.raw(palette);
    out.raw(data);
    out.raw(spots);
    return out.bytes;
}

} // namespace

int HelpReader::picture(int number)
{
    const auto known = m_pictures.constFind(number);
    if (known != m_pictures.constEnd())
        return known.value();
    const QByteArray name = "bm" + QByteArray::number(number);
    const FileSystem::Entry* e = m_fs.find("|" + name);
    if (!e)
        e = m_fs.find(name);
    int index = -1;
    if (!e)
        warn(QStringLiteral("|%1 : image absente du fichier d'aide ; elle est omise.").arg(QString::fromLatin1(name)));
    else
        index = addPicture(m_fs.content(*e), name, QStringLiteral("|") + QString::fromLatin1(name));
    m_pictures.insert(number, index);
    return index;
}

int HelpReader::embeddedPicture(const QByteArray& container)
{
    ++m_embedded;
    return addPicture(container, "image" + QByteArray::number(m_embedded), QStringLiteral("|TOPIC"));
}

int HelpReader::addPicture(const QByteArray& bytes, const QByteArray& name, const QString& part)
{
    ByteReader r(bytes);
    const unsigned magic = r.u16();
    const int count = static_cast<int>(r.u16());
    if (!r.ok() || (magic != 0x506C && magic != 0x706C) || count < 1 || 4 + 4 * qsizetype(count) > bytes.size()) {
        warn(QStringLiteral("%1 : ce n'est pas une image d'aide ; elle est omise.").arg(part));
        return -1;
    }
    Version best;
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t at = r.u32();
        Version v;
        if (at >= static_cast<std::uint32_t>(bytes.size()) || !version(bytes, static_cast<int>(at), v))
            continue;
        if (!found || better(v, best))
            best = v;
        found = true;
    }
    if (!found) {
        warn(QStringLiteral("%1 : aucune image lisible dans le fichier ; elle est omise.").arg(part));
        return -1;
    }
    // One version: the container as it is; else the best one alone in a container of its own.
    QByteArray single;
    if (count == 1) {
        single = bytes;
    } else {
        ByteWriter w;
        w.u16(0x506C);
        w.u16(1);
        w.u32(8);
        w.raw(bytes.mid(best.start, best.end - best.start));
        single = w.bytes;
    }
    HelpPictureInfo info;
    QString why;
    if (!readHelpPicture(single, info, nullptr, &why)) {
        // Data of another size than the header says: the viewers show it all the same.
        const QByteArray exact = withExactSize(single);
        if (exact.isEmpty() || !readHelpPicture(exact, info, nullptr, nullptr)) {
            warn(QStringLiteral("%1 : image illisible (%2) ; elle est omise.").arg(part, why));
            return -1;
        }
        warn(QStringLiteral("%1 : %2 ; l'image est gardée à la taille que donne son en-tête.").arg(part, why));
        single = exact;
    }
    Picture picture;
    picture.source = PictureSource::File;
    picture.name = name + (info.hotspots.empty() ? ".mrb" : ".shg");
    picture.data = single;
    picture.width = info.width;
    picture.height = info.height;
    for (const HelpPictureHotspot& h : info.hotspots)
        picture.hotspots.push_back(modelHotspot(h.code, h.x, h.y, h.width, h.height, h.name, h.target));
    m_doc.pictures.push_back(std::move(picture));
    return static_cast<int>(m_doc.pictures.size()) - 1;
}

} // namespace hlp::fileread
