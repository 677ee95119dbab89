#include "winhelp/project/ProjectFiles.h"

#include <QDir>
#include <QFileInfo>

namespace hlp {

ProjectFiles::ProjectFiles(const QString& projectFolder) : m_folder(projectFolder) {}

QString ProjectFiles::matchEntry(const QString& folder, const QString& entry)
{
    auto it = m_listings.find(folder);
    if (it == m_listings.end()) {
        QHash<QString, QString> names;
        const QStringList all = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (const QString& n : all)
            names.insert(n.toLower(), n);
        it = m_listings.insert(folder, names);
    }
    return it->value(entry.toLower());
}

QString ProjectFiles::findIn(const QString& base, const QString& relative)
{
    const QString direct = QDir(base).filePath(relative);
    if (QFileInfo(direct).isFile())
        return QDir::cleanPath(direct);
    QString folder = QDir::isAbsolutePath(relative) ? QStringLiteral("/") : base;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String(".")) {
            continue;
        }
        if (part == QLatin1String("..")) {
            folder = QDir(folder).filePath(QStringLiteral(".."));
            continue;
        }
        const QString real = matchEntry(QDir::cleanPath(folder), part);
        if (real.isEmpty())
            return {};
        folder = QDir(folder).filePath(real);
    }
    return QFileInfo(folder).isFile() ? QDir::cleanPath(folder) : QString();
}

QString ProjectFiles::find(const QString& name, const QStringList& extraFolders)
{
    QString relative = name.trimmed();
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.isEmpty())
        return {};
    // A Windows drive prefix means nothing here: look for the bare path in the project.
    if (relative.size() > 1 && relative[1] == QLatin1Char(':'))
        relative = relative.mid(2);
    QString found = findIn(m_folder, relative);
    if (!found.isEmpty())
        return found;
    const QString bare = relative.section(QLatin1Char('/'), -1);
    for (const QString& extra : extraFolders) {
        QString folder = extra.trimmed();
        folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (folder.size() > 1 && folder[1] == QLatin1Char(':'))
            folder = folder.mid(2);
        found = findIn(m_folder, folder + QLatin1Char('/') + bare);
        if (!found.isEmpty())
            return found;
    }
    if (bare != relative)
        return findIn(m_folder, bare);
    return {};
}

} // namespace hlp
