#include "publish/core/OwnHelp.h"

#include "platform/core/Cp1252.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "winhelp/reader/HlpFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace publish::ownhelp {

QStringList searchFolders(const Places& places)
{
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        if (folder.isEmpty())
            return;
        const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
        if (!folders.contains(clean))
            folders << clean;
    };
    add(places.startDirectory);
    if (!places.executableDirectory.isEmpty() && !places.dataFromExecutable.isEmpty())
        add(QDir(places.executableDirectory).filePath(places.dataFromExecutable));
    add(places.installedData);
    add(places.executableDirectory);
    return folders;
}

QString find(const QStringList& folders, const QString& name, bool folder)
{
    for (const QString& f : folders) {
        const QDir dir(f);
        if (!dir.exists())
            continue;
        const QFileInfo exact(dir.filePath(name));
        if (exact.exists() && exact.isDir() == folder)
            return exact.absoluteFilePath();
        const QDir::Filters kinds = folder ? QDir::Dirs | QDir::NoDotAndDotDot : QDir::Files;
        for (const QFileInfo& entry : dir.entryInfoList(kinds | QDir::Hidden, QDir::Name)) {
            if (entry.fileName().compare(name, Qt::CaseInsensitive) == 0)
                return entry.absoluteFilePath();
        }
    }
    return {};
}

QString contextString(const QString& hlpPath, int number)
{
    if (number <= 0)
        return {};
    QFile f(hlpPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    hlp::HlpFile help;
    if (!help.load(f.readAll()))
        return {};
    const auto offset = help.mapOffset(std::uint32_t(number));
    if (!offset)
        return {};
    // Topics are named after their titles; the name is only taken when the file's own context
    // index leads back to the same topic.
    const QString context = store::topicContext(cp1252::decode(help.titleAt(*offset)));
    const auto found = help.contextOffset(context.toLatin1());
    return found && *found == *offset ? context : QString();
}

QString htmlPage(const QString& folder, int number)
{
    const QDir dir(folder);
    const QString first = dir.filePath(QStringLiteral("index.html"));
    if (!QFileInfo(first).isFile())
        return {};
    QFile map(dir.filePath(QStringLiteral("contextes.json")));
    if (number <= 0 || !map.open(QIODevice::ReadOnly))
        return first;
    const QString page = QJsonDocument::fromJson(map.readAll())
                             .object()
                             .value(QStringLiteral("numeros"))
                             .toObject()
                             .value(QString::number(number))
                             .toString();
    // Only a page of the folder itself: the map is data, not a path to follow anywhere.
    if (page.isEmpty() || page.contains(QLatin1Char('/')) || page.contains(QLatin1Char('\\')) || page.startsWith(QLatin1Char('.')))
        return first;
    const QString path = dir.filePath(page);
    return QFileInfo(path).isFile() ? path : first;
}

} // namespace publish::ownhelp
