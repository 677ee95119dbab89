// The pictures the topics show: |bmN (bmN in 3.0 files), or a picture inside the text. Each is
// kept as the .shg/.mrb file it is, with its hot spots; of the versions a multi-resolution
// picture holds for other screens, the best one.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
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
        warn(QStringLiteral("%1 : image illisible (%2) ; elle est omise.").arg(part, why));
        return -1;
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
