#include "winhelp/render/PictureDecode.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/render/MetafileRenderer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hlp {

namespace {

// The first picture of a .shg or .mrb file, or of a help file's |bmN.
void fromContainer(const QByteArray& container, DecodedPicture& d)
{
    Dib dib;
    if (dibFromHelpPicture(container, dib, &d.why)) {
        d.kind = PictureKind::Bitmap;
        d.bytes = bmpFromDib(dib);
        return;
    }
    HelpPictureInfo info;
    if (readHelpPicture(container, info, nullptr, nullptr) && info.type == 8) {
        d.kind = PictureKind::Metafile;
        d.bytes = info.pixels;
        d.metaWidth = info.width;
        d.metaHeight = info.height;
        d.mapMode = info.mapMode;
        d.why.clear();
    }
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
            d.bytes = bmpFromDib(dib);
        }
        break;
    case PictureSource::Ddb:
        if (dibFromDdb(p.data, p.width, p.height, p.ddbBitsPerPixel, p.ddbPlanes, p.ddbWidthBytes, dib, &d.why)) {
            d.kind = PictureKind::Bitmap;
            d.bytes = bmpFromDib(dib);
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
