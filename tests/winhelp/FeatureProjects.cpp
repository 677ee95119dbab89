#include "FeatureProjects.h"

#include "SampleProject.h"
#include "winhelp/format/HlpBytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace hlptest {

namespace {

QString dataFolder()
{
    return QStringLiteral(TYX_TEST_DATA "/winhelp-projects");
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

QStringList featureProjects()
{
    return {QStringLiteral("tables"), QStringLiteral("pictures"), QStringLiteral("workshop"), QStringLiteral("macros"),
            QStringLiteral("russian")};
}

QString writeFeatureProject(const QString& name, const QString& folder)
{
    const QDir source(dataFolder() + QLatin1Char('/') + name);
    if (!source.exists())
        return {};
    QString hpj;
    QDirIterator it(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = source.relativeFilePath(from);
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly) || !writeFile(QDir(folder).filePath(relative), in.readAll()))
            return {};
        if (relative.endsWith(QLatin1String(".hpj"), Qt::CaseInsensitive))
            hpj = QDir(folder).filePath(relative);
    }
    if (name == QLatin1String("pictures")
        && (!writeFile(QDir(folder).filePath(QStringLiteral("zones.shg")), sampleShg())
            || !writeFile(QDir(folder).filePath(QStringLiteral("art/logo.bmp")), sampleBmp(48, 32, 4))))
        return {};
    return hpj;
}

} // namespace hlptest
