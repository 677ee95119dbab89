#include "winhelp/html/HtmlFolder.h"

#include "winhelp/model/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
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

#ifdef Q_OS_UNIX
QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// True when the file at `path` holds exactly `bytes`.
bool sameBytes(const char* path, const QByteArray& bytes, QByteArray& buffer)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && st.st_size == bytes.size();
    if (same) {
        // One byte more than expected tells a file that grew since.
        buffer.resize(bytes.size() + 1);
        same = ::read(fd, buffer.data(), size_t(buffer.size())) == bytes.size()
            && std::memcmp(buffer.constData(), bytes.constData(), size_t(bytes.size())) == 0;
    }
    ::close(fd);
    return same;
}
#endif

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
    m_workPath = QFile::encodeName(m_work->path()) + '/';
    m_targetPath = QFile::encodeName(m_target) + '/';
    return true;
}

bool SiteFolder::add(const QString& name, const QByteArray& bytes, QString* error)
{
    if (!m_work)
        return fail(error, QStringLiteral("le dossier de l'aide HTML n'est pas prêt."));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        const QDir out(m_work->path());
        if (!out.exists(name.left(slash)) && !out.mkpath(name.left(slash)))
            return fail(error, QStringLiteral("impossible de créer le dossier %1.").arg(quoted(name.left(slash))));
    }
#ifdef Q_OS_UNIX
    // Straight system calls: a large help has ten thousand pages, and a new file costs far more
    // than a new name for an old one on many file systems.
    const QByteArray path = m_workPath + QFile::encodeName(name);
    if (m_replacing) {
        const QByteArray old = m_targetPath + QFile::encodeName(name);
        if (sameBytes(old.constData(), bytes, m_buffer) && ::link(old.constData(), path.constData()) == 0)
            return true;
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? n : 0;
    }
    const int why = errno;
    if (fd >= 0 && ::close(fd) != 0 && written)
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), systemError(errno)));
    if (!written)
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), systemError(why)));
    return true;
#else
    QFile file(QDir(m_work->path()).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2").arg(quoted(name), file.errorString()));
    return true;
#endif
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

struct FolderWriter::State {
    SiteFolder& folder;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<SiteFile> waiting;
    bool closing = false;
    bool failed = false;
    QString error;
    std::thread thread;

    explicit State(SiteFolder& f) : folder(f) {}

    void run()
    {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            changed.wait(hold, [this] { return closing || !waiting.empty(); });
            if (waiting.empty())
                return;
            const SiteFile file = std::move(waiting.front());
            waiting.pop_front();
            changed.notify_all();
            hold.unlock();
            QString why;
            const bool written = folder.add(file.name, file.bytes, &why);
            hold.lock();
            if (!written) {
                failed = true;
                error = why;
                waiting.clear();
                changed.notify_all();
                return;
            }
        }
    }
};

FolderWriter::FolderWriter(SiteFolder& folder) : m_state(std::make_unique<State>(folder))
{
    m_state->thread = std::thread([s = m_state.get()] { s->run(); });
}

FolderWriter::~FolderWriter()
{
    finish(nullptr);
}

bool FolderWriter::add(const QString& name, const QByteArray& bytes)
{
    State& s = *m_state;
    std::unique_lock<std::mutex> hold(s.lock);
    // A few pages ahead at most: the site is never held whole in memory.
    s.changed.wait(hold, [&s] { return s.failed || s.waiting.size() < 32; });
    if (s.failed || s.closing)
        return false;
    s.waiting.push_back({name, bytes});
    s.changed.notify_all();
    return true;
}

bool FolderWriter::finish(QString* error)
{
    State& s = *m_state;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        s.closing = true;
        s.changed.notify_all();
    }
    if (s.thread.joinable())
        s.thread.join();
    if (s.failed && error)
        *error = s.error;
    return !s.failed;
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
