#include "winhelp/html/HtmlPictures.h"

#include "winhelp/project/HlpBitmap.h"
#include "winhelp/render/MetafileRenderer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

namespace hlp::html {

namespace {

enum class Kind { Bitmap, Png, Jpeg, Metafile, Unreadable };

struct Decoded {
    Kind kind = Kind::Unreadable;
    QByteArray bytes; // Bitmap: a .bmp file; Png, Jpeg: the file itself
    QString why;
};

Decoded decode(const Picture& p)
{
    Decoded d;
    Dib dib;
    switch (p.source) {
    case PictureSource::File:
        if (p.data.startsWith("BM")) {
            d.kind = Kind::Bitmap;
            d.bytes = p.data;
        } else if (p.data.startsWith("lP") || p.data.startsWith("lp")) {
            if (dibFromHelpPicture(p.data, dib, &d.why)) {
                d.kind = Kind::Bitmap;
                d.bytes = bmpFromDib(dib);
            } else if (d.why == QLatin1String("métafichier")) {
                d.kind = Kind::Metafile;
            }
        } else if (p.data.startsWith("\x89PNG")) {
            d.kind = Kind::Png;
            d.bytes = p.data;
        } else if (p.data.startsWith("\xFF\xD8")) {
            d.kind = Kind::Jpeg;
            d.bytes = p.data;
        } else if (p.data.startsWith("\xD7\xCD\xC6\x9A") || p.data.startsWith(QByteArray("\x01\x00\x09\x00", 4))
                   || p.data.startsWith(QByteArray("\x02\x00\x09\x00", 4))) {
            d.kind = Kind::Metafile; // .wmf, with or without its placeable header
        } else if (!p.data.isEmpty()) {
            d.kind = Kind::Bitmap; // any other picture the image readers know
            d.bytes = p.data;
        }
        break;
    case PictureSource::Dib:
        if (dibFromPacked(p.data, dib, &d.why)) {
            d.kind = Kind::Bitmap;
            d.bytes = bmpFromDib(dib);
        }
        break;
    case PictureSource::Ddb:
        if (dibFromDdb(p.data, p.width, p.height, p.ddbBitsPerPixel, p.ddbPlanes, p.ddbWidthBytes, dib, &d.why)) {
            d.kind = Kind::Bitmap;
            d.bytes = bmpFromDib(dib);
        }
        break;
    case PictureSource::Png:
        d.kind = Kind::Png;
        d.bytes = p.data;
        break;
    case PictureSource::Jpeg:
        d.kind = Kind::Jpeg;
        d.bytes = p.data;
        break;
    case PictureSource::Metafile:
        d.kind = Kind::Metafile;
        break;
    }
    return d;
}

} // namespace

QString pictureAlt(const QString& fileName)
{
    QString name = fileName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(name).completeBaseName();
}

bool convertPictures(const HelpDocument& document, SiteNames& names, const SiteSink& site, Diagnostics& diagnostics,
    std::vector<PictureOut>& out)
{
    // The topic that shows each picture first, for the messages.
    std::vector<const Topic*> firstUse(document.pictures.size(), nullptr);
    for (const Topic& topic : document.topics)
        for (const Paragraph& p : topic.paragraphs)
            for (const Item& it : p.items)
                if (it.kind == ItemKind::Picture && it.picture >= 0 && static_cast<size_t>(it.picture) < firstUse.size()
                    && !firstUse[static_cast<size_t>(it.picture)])
                    firstUse[static_cast<size_t>(it.picture)] = &topic;

    out.assign(document.pictures.size(), PictureOut{});
    for (size_t i = 0; i < document.pictures.size(); ++i) {
        const Topic* topic = firstUse[i];
        const Picture& picture = document.pictures[i];
        if (!topic)
            continue;
        PictureOut& pic = out[i];
        const QString name = picture.source == PictureSource::File ? diagnostics.text(picture.name) : QString();
        pic.alt = name.isEmpty() ? QStringLiteral("image %1").arg(i + 1) : pictureAlt(name);
        if (picture.source == PictureSource::File && picture.data.isEmpty())
            continue; // not found or unreadable: said when the project was read
        const Decoded d = decode(picture);
        QImage image;
        if (d.kind == Kind::Metafile) {
            // Browsers show no metafile: it is drawn, and the site holds the drawing.
            image = renderMetafile(picture, diagnostics.codePage());
            if (image.isNull()) {
                diagnostics.warning(QStringLiteral("l'image %1 de la rubrique %2 est un métafichier Windows illisible ; "
                                                   "l'aide HTML montre son nom à sa place.")
                                        .arg(name.isEmpty() ? QStringLiteral("n° %1").arg(i + 1) : quoted(name),
                                            topic->displayName(diagnostics.codePage())));
                pic.placeholder = true;
                continue;
            }
        } else if (d.kind != Kind::Unreadable) {
            image.loadFromData(d.bytes, d.kind == Kind::Png ? "PNG" : d.kind == Kind::Jpeg ? "JPEG" : nullptr);
        }
        QByteArray bytes = d.bytes;
        if ((d.kind == Kind::Bitmap || d.kind == Kind::Metafile) && !image.isNull()) {
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        if (image.isNull() || bytes.isEmpty()) {
            diagnostics.warning(QStringLiteral("l'image %1 de la rubrique %2 est illisible pour l'aide HTML%3 ; elle est omise.")
                                    .arg(name.isEmpty() ? QStringLiteral("n° %1").arg(i + 1) : quoted(name),
                                        topic->displayName(diagnostics.codePage()),
                                        d.why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(d.why)));
            continue;
        }
        const QString base = name.isEmpty() ? QStringLiteral("image-%1").arg(i + 1) : QFileInfo(name).completeBaseName();
        pic.file = names.pictureFile(base, d.kind == Kind::Jpeg ? QStringLiteral(".jpg") : QStringLiteral(".png"));
        pic.width = image.width();
        pic.height = image.height();
        if (!site(pic.file, bytes))
            return false;
    }
    return true;
}

} // namespace hlp::html
