// The pictures of a help as files beside its project. Bitmaps become .bmp files the author can
// open and change; a help picture that a .bmp cannot hold (hot spots, several resolutions, a
// metafile) stays a help picture file (.shg, .mrb), which the compiler stores as it is.
#include "winhelp/format/HelpPicture.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/writer/ProjectParts.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace hlp::project {

namespace {

struct PictureFile {
    QString extension; // ".bmp" ...; empty when the picture cannot be used
    QByteArray bytes;
    QString why;
};

bool isMetafile(const QByteArray& data)
{
    return data.startsWith("\xD7\xCD\xC6\x9A") || data.startsWith(QByteArray("\x01\x00\x09\x00", 4))
        || data.startsWith(QByteArray("\x02\x00\x09\x00", 4));
}

PictureFile bitmap(bool ok, const Dib& dib, const QString& why)
{
    return ok ? PictureFile{QStringLiteral(".bmp"), bmpFromDib(dib), {}} : PictureFile{{}, {}, why};
}

PictureFile fileFor(const Picture& p)
{
    Dib dib;
    QString why;
    switch (p.source) {
    case PictureSource::File:
        if (p.data.startsWith("lP") || p.data.startsWith("lp")) {
            HelpPictureInfo info;
            int count = 0;
            if (!readHelpPicture(p.data, info, &count, &why))
                return {{}, {}, why};
            if (!info.hotspots.empty())
                return {QStringLiteral(".shg"), p.data, {}};
            if (info.type == 8 || count > 1)
                return {QStringLiteral(".mrb"), p.data, {}};
            return bitmap(dibFromHelpPicture(p.data, dib, &why), dib, why);
        }
        if (p.data.startsWith("BM"))
            return {QStringLiteral(".bmp"), p.data, {}};
        if (isMetafile(p.data))
            return {QStringLiteral(".wmf"), p.data, {}};
        if (p.data.startsWith("\x89PNG"))
            return bitmap(dibFromImage(p.data, "PNG", dib, &why), dib, why);
        if (p.data.startsWith("\xFF\xD8"))
            return bitmap(dibFromImage(p.data, "JPEG", dib, &why), dib, why);
        return {{}, {}, p.data.isEmpty() ? QStringLiteral("image absente") : QStringLiteral("format inconnu")};
    case PictureSource::Dib:
        return bitmap(dibFromPacked(p.data, dib, &why), dib, why);
    case PictureSource::Ddb:
        return bitmap(dibFromDdb(p.data, p.width, p.height, p.ddbBitsPerPixel, p.ddbPlanes, p.ddbWidthBytes, dib, &why), dib, why);
    case PictureSource::Png:
        return bitmap(dibFromImage(p.data, "PNG", dib, &why), dib, why);
    case PictureSource::Jpeg:
        return bitmap(dibFromImage(p.data, "JPEG", dib, &why), dib, why);
    case PictureSource::Metafile:
        return {QStringLiteral(".mrb"), pictureFromMetafile(p.data, p.mapMode, p.width, p.height, false), {}};
    }
    return {};
}

// Letters, digits, '-' and '_' only: a name the picture reference and every file system take.
QString plainName(const QString& name, int length)
{
    QString out;
    for (const QChar c : name) {
        if (out.size() >= length)
            break;
        const char16_t u = c.unicode();
        const bool keep = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'-' || u == u'_';
        out += keep ? c : QChar(u'_');
    }
    return out;
}

} // namespace

QString sideName(const QString& base, const QString& suffix)
{
    return plainName(base, 24) + suffix;
}

std::vector<QString> pictureFiles(const HelpDocument& document, const std::vector<bool>& used, const QString& base,
    std::vector<ProjectSideFile>& files, QStringList& warnings)
{
    std::vector<QString> names(document.pictures.size());
    QSet<QString> taken; // lower-cased
    QHash<QByteArray, QString> written; // the same picture stored twice in the help is one file
    const QString prefix = plainName(base, 24);
    for (size_t i = 0; i < document.pictures.size(); ++i) {
        if (i >= used.size() || !used[i])
            continue;
        const Picture& p = document.pictures[i];
        const QString own = p.source == PictureSource::File ? QFileInfo(QString::fromLatin1(p.name).replace(u'\\', u'/')).completeBaseName()
                                                            : QString();
        PictureFile file = fileFor(p);
        if (file.extension.isEmpty()) {
            warnings << QStringLiteral("l'image n° %1%2 est illisible (%3) ; elle est omise du projet.")
                            .arg(i + 1)
                            .arg(own.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(own), file.why);
            continue;
        }
        if (!p.hotspots.empty() && file.extension != u".shg")
            warnings << QStringLiteral("les zones sensibles de l'image n° %1 ne tiennent pas dans un fichier %2 ; elles sont omises.")
                            .arg(i + 1)
                            .arg(file.extension);
        if (const auto same = written.constFind(file.bytes); same != written.constEnd()) {
            names[i] = same.value();
            continue;
        }
        const QString stem = prefix + QLatin1Char('-') + (own.isEmpty() ? QStringLiteral("image%1").arg(i + 1) : plainName(own, 40));
        QString name = stem + file.extension;
        for (int k = 2; taken.contains(name.toLower()); ++k)
            name = stem + QLatin1Char('-') + QString::number(k) + file.extension;
        taken.insert(name.toLower());
        names[i] = name;
        written.insert(file.bytes, name);
        files.push_back({name, std::move(file.bytes)});
    }
    return names;
}

} // namespace hlp::project
