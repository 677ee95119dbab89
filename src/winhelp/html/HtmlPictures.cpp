#include "winhelp/html/HtmlPictures.h"

#include "winhelp/render/MetafileRenderer.h"
#include "winhelp/render/PictureDecode.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

namespace hlp::html {

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
        const DecodedPicture d = decodePicture(picture);
        QImage image;
        if (d.kind == PictureKind::Metafile) {
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
        } else if (d.kind != PictureKind::Unreadable) {
            image.loadFromData(d.bytes, d.kind == PictureKind::Png ? "PNG" : d.kind == PictureKind::Jpeg ? "JPEG" : nullptr);
        }
        QByteArray bytes = d.bytes;
        if ((d.kind == PictureKind::Bitmap || d.kind == PictureKind::Metafile) && !image.isNull()) {
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
        pic.file = names.pictureFile(base, d.kind == PictureKind::Jpeg ? QStringLiteral(".jpg") : QStringLiteral(".png"));
        pic.width = image.width();
        pic.height = image.height();
        if (!site(pic.file, bytes))
            return false;
    }
    return true;
}

} // namespace hlp::html
