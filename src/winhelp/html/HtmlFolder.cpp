#include "winhelp/html/HtmlFolder.h"

#include "winhelp/model/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace hlp::html {

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// A name beside `path` that nothing uses yet.
QString freeName(const QDir& parent, const QString& base)
{
    QString name = base;
    for (int k = 2; QFileInfo::exists(parent.filePath(name)); ++k)
        name = base + QString::number(k);
    return parent.filePath(name);
}

} // namespace

bool isHelpSite(const QString& folder)
{
    QFile map(QDir(folder).filePath(QStringLiteral("contextes.json")));
    return map.open(QIODevice::ReadOnly) && map.read(200).contains("\"generateur\": \"Tyx Plumet\"");
}

bool writeSiteFolder(const QString& folder, const std::vector<SiteFile>& files, QString* error)
{
    const QFileInfo target(QDir::cleanPath(QDir(folder).absolutePath()));
    const QString shown = quoted(QDir::toNativeSeparators(target.filePath()));
    if (target.exists()) {
        if (!target.isDir())
            return fail(error, QStringLiteral("%1 existe déjà et n'est pas un dossier.").arg(shown));
        if (!QDir(target.filePath()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
            && !isHelpSite(target.filePath()))
            return fail(error, QStringLiteral("le dossier %1 n'est pas vide et ne contient pas une aide HTML écrite par ce programme ; "
                                              "il n'est pas remplacé.")
                                   .arg(shown));
    }
    const QDir parent = target.absoluteDir();
    if (!parent.exists() && !QDir().mkpath(parent.path()))
        return fail(error, QStringLiteral("impossible de créer le dossier %1.").arg(quoted(QDir::toNativeSeparators(parent.path()))));

    QTemporaryDir work(parent.filePath(QStringLiteral(".") + target.fileName() + QStringLiteral("-XXXXXX")));
    if (!work.isValid())
        return fail(error, QStringLiteral("impossible d'écrire dans le dossier %1 : %2")
                               .arg(quoted(QDir::toNativeSeparators(parent.path())), work.errorString()));
    const QDir out(work.path());
    for (const SiteFile& f : files) {
        const qsizetype slash = f.name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !out.mkpath(f.name.left(slash)))
            return fail(error, QStringLiteral("impossible de créer le dossier %1.").arg(quoted(f.name.left(slash))));
        QFile file(out.filePath(f.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(f.bytes) != f.bytes.size() || !file.flush()) {
            const QString why = file.errorString();
            return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(f.name), why));
        }
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(f.name), file.errorString()));
    }
    // A temporary folder is private; a site is read by browsers and web servers.
    QFile::setPermissions(work.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);

    QString old;
    if (target.exists()) {
        old = freeName(parent, QStringLiteral(".") + target.fileName() + QStringLiteral("-ancien"));
        if (!QDir().rename(target.filePath(), old))
            return fail(error, QStringLiteral("impossible de remplacer le dossier %1 : il est peut-être ouvert par un autre programme.")
                                   .arg(shown));
    }
    if (!QDir().rename(work.path(), target.filePath())) {
        if (!old.isEmpty())
            QDir().rename(old, target.filePath());
        return fail(error, QStringLiteral("impossible de mettre le nouveau site à la place de %1.").arg(shown));
    }
    work.setAutoRemove(false);
    if (!old.isEmpty())
        QDir(old).removeRecursively();
    return true;
}

} // namespace hlp::html
