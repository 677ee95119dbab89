#include "winhelp/render/PictureDecode.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/render/MetafileRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hlp {

namespace {

void le16(QByteArray& b, unsigned v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void le32(QByteArray& b, std::uint32_t v)
{
    le16(b, v & 0xFFFF);
    le16(b, v >> 16);
}

// The .bmp file of a device-independent bitmap, for the image readers.
QByteArray bmpOf(const Dib& dib)
{
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

// The first picture of a .shg or .mrb file, or of a help file's |bmN.
void fromContainer(const QByteArray& container, DecodedPicture& d)
{
    HelpPictureInfo info;
    if (!readHelpPicture(container, info, nullptr, &d.why))
        return;
    if (info.type == 8) {
        d.kind = PictureKind::Metafile;
        d.bytes = info.pixels;
        d.metaWidth = info.width;
        d.metaHeight = info.height;
        return;
    }
    Dib dib;
    dib.width = info.width;
    dib.height = info.height;
    dib.bits = static_cast<unsigned>(info.bitCount);
    dib.palette = info.palette;
    dib.pixels = info.pixels;
    if (dib.palette.isEmpty() && dib.bits <= 8) {
        // A device bitmap has no palette: the one a device bitmap of the RTF gets.
        Dib device;
        dibFromDdb(QByteArray(4, '\0'), 1, 1, info.bitCount, 1, 0, device, nullptr);
        dib.palette = device.palette;
    }
    d.kind = PictureKind::Bitmap;
    d.bytes = bmpOf(dib);
}

} // namespace

DecodedPicture decodePicture(const Picture& p)
{
    DecodedPicture d;
    Dib dib;
    switch (p.source) {
    case PictureSource::File:
        if (p.data.startsWith("BM")) {
            d.kind = PictureKind::Bitmap;
            d.bytes = p.data;
        } else if (p.data.startsWith("lP") || p.data.startsWith("lp")) {
            fromContainer(p.data, d);
        } else if (p.data.startsWith("\x89PNG")) {
            d.kind = PictureKind::Png;
            d.bytes = p.data;
        } else if (p.data.startsWith("\xFF\xD8")) {
            d.kind = PictureKind::Jpeg;
            d.bytes = p.data;
        } else if (isMetafileFile(p.data)) {
            // .wmf, with or without its placeable header
            d.kind = PictureKind::Metafile;
            if (!metafileRecords(p.data, d.bytes, d.metaWidth, d.metaHeight, &d.why))
                d.bytes.clear();
        } else if (!p.data.isEmpty()) {
            d.kind = PictureKind::Bitmap; // any other picture the image readers know
            d.bytes = p.data;
        }
        break;
    case PictureSource::Dib:
        if (dibFromPacked(p.data, dib, &d.why)) {
            d.kind = PictureKind::Bitmap;
            d.bytes = bmpOf(dib);
        }
        break;
    case PictureSource::Ddb:
        if (dibFromDdb(p.data, p.width, p.height, p.ddbBitsPerPixel, p.ddbPlanes, p.ddbWidthBytes, dib, &d.why)) {
            d.kind = PictureKind::Bitmap;
            d.bytes = bmpOf(dib);
        }
        break;
    case PictureSource::Png:
        d.kind = PictureKind::Png;
        d.bytes = p.data;
        break;
    case PictureSource::Jpeg:
        d.kind = PictureKind::Jpeg;
        d.bytes = p.data;
        break;
    case PictureSource::Metafile:
        d.kind = PictureKind::Metafile;
        d.bytes = p.data;
        d.metaWidth = p.width;
        d.metaHeight = p.height;
        d.mapMode = p.mapMode;
        break;
    }
    return d;
}

QImage pictureImage(const Picture& picture, const CodePage& codePage)
{
    const DecodedPicture d = decodePicture(picture);
    QImage image;
    switch (d.kind) {
    case PictureKind::Bitmap:
    case PictureKind::Png:
    case PictureKind::Jpeg:
        image.loadFromData(d.bytes, d.kind == PictureKind::Png ? "PNG" : d.kind == PictureKind::Jpeg ? "JPEG" : nullptr);
        break;
    case PictureKind::Metafile:
        image = renderMetafile(picture, codePage);
        break;
    case PictureKind::Unreadable:
        break;
    }
    return image;
}

void readPictureFiles(HelpDocument& document, const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    QStringList entries;
    for (Picture& p : document.pictures) {
        if (p.source != PictureSource::File || !p.data.isEmpty() || p.name.isEmpty())
            continue;
        QString name = QString::fromLatin1(p.name);
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QString path = dir.filePath(name);
        if (!QFileInfo(path).isFile()) {
            if (entries.isEmpty())
                entries = dir.entryList(QDir::Files);
            const QString wanted = QFileInfo(name).fileName();
            path.clear();
            for (const QString& entry : entries)
                if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
                    path = dir.filePath(entry);
        }
        QFile f(path);
        if (!path.isEmpty() && f.open(QIODevice::ReadOnly))
            p.data = f.readAll();
    }
}

} // namespace hlp
