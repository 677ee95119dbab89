#include "winhelp/project/PictureLoader.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/project/ProjectFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace hlp {

PictureHotspot modelHotspot(const std::uint8_t code[3], int x, int y, int width, int height, const QByteArray& name,
                            const QByteArray& target)
{
    PictureHotspot h;
    std::copy(code, code + 3, h.code);
    h.x = x;
    h.y = y;
    h.width = width;
    h.height = height;
    h.name = name;
    // 0xC8 macro, 0xCC the same without a mark; 0xE2/0xE3 popup/jump, +4 without a mark, +8 to
    // another window or file.
    if (code[0] == 0xC8 || code[0] == 0xCC) {
        h.link = LinkKind::Macro;
        h.plain = code[0] == 0xCC;
        h.target = target;
        return h;
    }
    h.link = (code[0] & 0x01) ? LinkKind::Jump : LinkKind::Popup;
    h.plain = (code[0] & 0x04) != 0;
    QByteArray t = target;
    const int at = static_cast<int>(t.indexOf('@'));
    if (at >= 0) {
        h.file = t.mid(at + 1);
        t = t.left(at);
    }
    const int gt = static_cast<int>(t.indexOf('>'));
    if (gt >= 0) {
        h.window = t.mid(gt + 1);
        t = t.left(gt);
    }
    const int gtInFile = static_cast<int>(h.file.indexOf('>'));
    if (gtInFile >= 0) {
        h.window = h.file.mid(gtInFile + 1);
        h.file = h.file.left(gtInFile);
    }
    h.target = t;
    return h;
}

bool PictureLoader::readFile(Picture& picture, const Topic& topic)
{
    const QString name = m_diag.text(picture.name);
    QStringList folders = m_project.bitmapFolders;
    folders << m_project.rootFolders;
    QString path = m_files.find(name, folders);
    for (int i = 0; path.isEmpty() && i < m_project.bitmaps.size(); ++i) {
        QString listed = m_project.bitmaps[i];
        listed.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (listed.section(QLatin1Char('/'), -1).compare(name, Qt::CaseInsensitive) == 0)
            path = m_files.find(listed);
    }
    if (path.isEmpty()) {
        m_diag.warning(QStringLiteral("image %1 de la rubrique %2 introuvable ; elle est omise.")
                           .arg(quoted(name), topic.displayName(m_diag.codePage())));
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        unusable(picture, topic, f.errorString());
        return false;
    }
    const QDateTime modified = QFileInfo(path).lastModified();
    if (modified.isValid())
        m_newest = qMax(m_newest, modified.toSecsSinceEpoch());
    picture.data = f.readAll();
    return true;
}

void PictureLoader::unusable(const Picture& picture, const Topic& topic, const QString& why)
{
    m_diag.warning(QStringLiteral("image %1 de la rubrique %2 inutilisable (%3) ; elle est omise.")
                       .arg(quoted(m_diag.text(picture.name)), topic.displayName(m_diag.codePage()), why));
}

bool PictureLoader::readHelpPictureFile(Picture& picture, QString* why)
{
    HelpPictureInfo info;
    int count = 0;
    if (!readHelpPicture(picture.data, info, &count, why))
        return false;
    picture.width = info.width;
    picture.height = info.height;
    picture.hotspots.clear();
    for (const HelpPictureHotspot& h : info.hotspots)
        picture.hotspots.push_back(modelHotspot(h.code, h.x, h.y, h.width, h.height, h.name, h.target));
    return true;
}

QByteArray PictureLoader::fromFile(Picture& picture, const Topic& topic, bool compress)
{
    if (!readFile(picture, topic))
        return {};
    QString why;
    QByteArray stored;
    const QByteArray& data = picture.data;
    QByteArray records;
    int width = 0, height = 0;
    if (data.startsWith("lP") || data.startsWith("lp")) {
        // A .shg or .mrb is already a help file picture: stored as it is, hot spots included.
        if (readHelpPictureFile(picture, &why))
            stored = data;
    } else if (data.startsWith("BM")) {
        Dib dib;
        if (dibFromBmp(data, dib, &why)) {
            stored = pictureFromDib(dib, compress);
            picture.width = dib.width;
            picture.height = dib.height;
        }
    } else if (metafileRecords(data, records, width, height, &why)) {
        stored = pictureFromMetafile(records, 8, width, height, compress);
        picture.width = width;
        picture.height = height;
    } else {
        why = QStringLiteral("ni .bmp, ni .shg, ni .mrb, ni .wmf");
    }
    if (stored.isEmpty())
        unusable(picture, topic, why);
    return stored;
}

QByteArray PictureLoader::fromRtf(const Picture& picture, const Topic& topic, bool compress)
{
    QString why;
    Dib dib;
    bool ok = false;
    switch (picture.source) {
    case PictureSource::Metafile: {
        QByteArray records;
        int width = picture.width, height = picture.height;
        if (metafileRecords(picture.data, records, width, height, &why)) {
            // Without \picw, the size shown in the document (twips) in 0.01 mm.
            if (width <= 0)
                width = picture.goalWidth * 2540 / 1440;
            if (height <= 0)
                height = picture.goalHeight * 2540 / 1440;
            return pictureFromMetafile(records, picture.mapMode, width, height, compress);
        }
        break;
    }
    case PictureSource::Dib:
        ok = dibFromPacked(picture.data, dib, &why);
        break;
    case PictureSource::Ddb:
        ok = dibFromDdb(picture.data, picture.width, picture.height, picture.ddbBitsPerPixel, picture.ddbPlanes,
                        picture.ddbWidthBytes, dib, &why);
        break;
    case PictureSource::Png:
        ok = dibFromImage(picture.data, "PNG", dib, &why);
        break;
    case PictureSource::Jpeg:
        ok = dibFromImage(picture.data, "JPEG", dib, &why);
        break;
    case PictureSource::File:
        break;
    }
    if (ok)
        return pictureFromDib(dib, compress);
    m_diag.warning(QStringLiteral("une image de la rubrique %1 est illisible (%2) ; elle est omise.")
                       .arg(topic.displayName(m_diag.codePage()), why));
    return {};
}

void PictureLoader::load(const std::vector<const Topic*>& firstUse, bool compress, std::vector<QByteArray>& stored,
                         std::vector<int>& number)
{
    number.assign(m_doc.pictures.size(), -1);
    for (size_t i = 0; i < m_doc.pictures.size(); ++i) {
        const Topic* topic = i < firstUse.size() ? firstUse[i] : nullptr;
        if (!topic)
            continue;
        Picture& picture = m_doc.pictures[i];
        if (!m_forHelpFile) {
            // Another output judges the pictures by what it can show: only the files are read here.
            if (picture.source != PictureSource::File) {
                number[i] = 0;
            } else if (readFile(picture, *topic)) {
                if (picture.data.isEmpty())
                    unusable(picture, *topic, QStringLiteral("fichier vide"));
                else if (picture.data.startsWith("lP") || picture.data.startsWith("lp"))
                    readHelpPictureFile(picture, nullptr);
                number[i] = picture.data.isEmpty() ? -1 : 0;
            }
            continue;
        }
        const QByteArray bytes = picture.source == PictureSource::File ? fromFile(picture, *topic, compress)
                                                                       : fromRtf(picture, *topic, compress);
        if (bytes.isEmpty())
            continue;
        number[i] = static_cast<int>(stored.size());
        stored.push_back(bytes);
    }
}

} // namespace hlp
