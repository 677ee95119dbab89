#include "winhelp/html/HtmlFolder.h"

#include "winhelp/model/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace hlp::html {

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// A name beside the target that nothing uses yet.
QString freeName(const QDir& parent, const QString& base)
{
    QString name = base;
    for (int k = 2; QFileInfo::exists(parent.filePath(name)); ++k)
        name = base + QString::number(k);
    return parent.filePath(name);
}

bool sameBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.size() != bytes.size() || !f.open(QIODevice::ReadOnly))
        return false;
    return f.readAll() == bytes;
}

} // namespace

bool isHelpSite(const QString& folder)
{
    QFile map(QDir(folder).filePath(QStringLiteral("contextes.json")));
    return map.open(QIODevice::ReadOnly) && map.read(200).contains("\"generateur\": \"Tyx Plumet\"");
}

SiteFolder::SiteFolder(const QString& folder) : m_target(QDir::cleanPath(QDir(folder).absolutePath()))
{
    m_shown = quoted(QDir::toNativeSeparators(m_target));
}

SiteFolder::~SiteFolder() = default;

bool SiteFolder::open(QString* error)
{
    const QFileInfo target(m_target);
    if (target.exists()) {
        if (!target.isDir())
            return fail(error, QStringLiteral("%1 existe déjà et n'est pas un dossier.").arg(m_shown));
        m_replacing = !QDir(m_target).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        if (m_replacing && !isHelpSite(m_target))
            return fail(error, QStringLiteral("le dossier %1 n'est pas vide et ne contient pas une aide HTML écrite par ce programme ; "
                                              "il n'est pas remplacé.")
                                   .arg(m_shown));
    }
    const QDir parent = target.absoluteDir();
    if (!parent.exists() && !QDir().mkpath(parent.path()))
        return fail(error, QStringLiteral("impossible de créer le dossier %1.").arg(quoted(QDir::toNativeSeparators(parent.path()))));
    m_work = std::make_unique<QTemporaryDir>(parent.filePath(QStringLiteral(".") + target.fileName() + QStringLiteral("-XXXXXX")));
    if (!m_work->isValid())
        return fail(error, QStringLiteral("impossible d'écrire dans le dossier %1 : %2")
                               .arg(quoted(QDir::toNativeSeparators(parent.path())), m_work->errorString()));
    return true;
}

bool SiteFolder::add(const QString& name, const QByteArray& bytes, QString* error)
{
    if (!m_work)
        return fail(error, QStringLiteral("le dossier de l'aide HTML n'est pas prêt."));
    const QDir out(m_work->path());
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && !out.exists(name.left(slash)) && !out.mkpath(name.left(slash)))
        return fail(error, QStringLiteral("impossible de créer le dossier %1.").arg(quoted(name.left(slash))));
    const QString path = out.filePath(name);
#ifdef Q_OS_UNIX
    // A new file costs far more than a new name for an old one on many file systems.
    if (m_replacing) {
        const QString old = QDir(m_target).filePath(name);
        if (sameBytes(old, bytes) && ::link(QFile::encodeName(old).constData(), QFile::encodeName(path).constData()) == 0)
            return true;
    }
#endif
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), file.errorString()));
    return true;
}

bool SiteFolder::commit(QString* error)
{
    if (!m_work)
        return fail(error, QStringLiteral("le dossier de l'aide HTML n'est pas prêt."));
    // A temporary folder is private; a site is read by browsers and web servers.
    QFile::setPermissions(m_work->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QFileInfo target(m_target);
    QString old;
    if (target.exists()) {
        old = freeName(target.absoluteDir(), QStringLiteral(".") + target.fileName() + QStringLiteral("-ancien"));
        if (!QDir().rename(m_target, old))
            return fail(error, QStringLiteral("impossible de remplacer le dossier %1 : il est peut-être ouvert par un autre programme.")
                                   .arg(m_shown));
    }
    if (!QDir().rename(m_work->path(), m_target)) {
        if (!old.isEmpty())
            QDir().rename(old, m_target);
        return fail(error, QStringLiteral("impossible de mettre le nouveau site à la place de %1.").arg(m_shown));
    }
    m_work->setAutoRemove(false);
    m_work.reset();
    if (!old.isEmpty())
        QDir(old).removeRecursively();
    return true;
}

bool writeSiteFolder(const QString& folder, const std::vector<SiteFile>& files, QString* error)
{
    SiteFolder site(folder);
    if (!site.open(error))
        return false;
    for (const SiteFile& f : files)
        if (!site.add(f.name, f.bytes, error))
            return false;
    return site.commit(error);
}

} // namespace hlp::html
