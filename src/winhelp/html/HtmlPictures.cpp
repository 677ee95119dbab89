#include "winhelp/html/HtmlPictures.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <algorithm>

namespace hlp::html {

QString pictureAlt(const QString& fileName)
{
    QString name = fileName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(name).completeBaseName();
}

bool convertPictures(const QHash<QByteArray, QString>& files, SiteNames& names, const SiteSink& site,
    Diagnostics& diagnostics, QHash<QByteArray, PictureOut>& out)
{
    // In name order, so that the same project always gives the same file names.
    QList<QByteArray> keys = files.keys();
    std::sort(keys.begin(), keys.end());
    QHash<QString, PictureOut> byFile; // one PNG for a file named in two spellings
    for (const QByteArray& key : keys) {
        const QString path = files.value(key);
        const auto same = byFile.constFind(path);
        if (same != byFile.constEnd()) {
            out.insert(key, same.value());
            continue;
        }
        QImageReader reader(path);
        reader.setAutoTransform(false);
        const QImage image = reader.read();
        QByteArray png;
        if (!image.isNull()) {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        if (png.isEmpty()) {
            diagnostics.warning(QStringLiteral("image %1 illisible pour l'aide HTML (%2) ; elle est omise.")
                                    .arg(quoted(QFileInfo(path).fileName()), reader.errorString()));
            continue;
        }
        PictureOut pic;
        pic.file = names.pictureFile(QFileInfo(path).fileName());
        pic.width = image.width();
        pic.height = image.height();
        pic.alt = pictureAlt(path);
        if (!site(pic.file, png))
            return false;
        byFile.insert(path, pic);
        out.insert(key, pic);
    }
    return true;
}

} // namespace hlp::html
