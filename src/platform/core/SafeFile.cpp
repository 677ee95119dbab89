#include "platform/core/SafeFile.h"
#include "platform/core/SafeFileParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace safefile {

namespace detail {

namespace {
QMutex hookLock;
FaultHook faultHook;
std::atomic<bool> hookSet{false};
// The longest name a folder entry takes, in bytes.
constexpr qsizetype NameMax = 255;
} // namespace

bool hooked()
{
    return hookSet.load(std::memory_order_relaxed);
}

int injected(Step step, const QString& path)
{
    if (!hooked())
        return 0;
    FaultHook hook;
    {
        QMutexLocker lock(&hookLock);
        hook = faultHook;
    }
    return hook ? hook(step, path) : 0;
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// A target whose name is near the limit still gets its side files.
QString fitted(const QString& name, qsizetype extra)
{
    QString cut = name;
    while (!cut.isEmpty() && native(cut).size() + extra > NameMax)
        cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1);
    return cut;
}

QString sidePrefix(const QString& target, const char* kind, int digits)
{
    const QFileInfo info(target);
    const qsizetype extra = 3 + qsizetype(qstrlen(kind)) + digits; // two dots, a dash and the digits
    return QStringLiteral(".%1.%2-").arg(fitted(info.fileName(), extra), QLatin1String(kind));
}

QString sideName(const QString& target, const char* kind)
{
    return QFileInfo(target).absoluteDir().filePath(
        sidePrefix(target, kind, 8) + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

void syncFolder(const QString& target)
{
    const int fd = ::open(native(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

int holdLock(const QString& path, bool folder)
{
    const QByteArray name = native(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (folder ? O_DIRECTORY : O_NONBLOCK));
    if (fd < 0)
        return -1;
    struct stat held {}, named {};
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // A cleaner may have taken the object between its making and the lock: then it is not ours.
    if (::fstat(fd, &held) != 0 || ::lstat(name.constData(), &named) != 0 || held.st_dev != named.st_dev
        || held.st_ino != named.st_ino) {
        ::close(fd);
        return -1;
    }
    return fd;
}

namespace {
QByteArray identityOf(const struct stat& st)
{
    return QByteArray::number(qulonglong(st.st_dev)) + '.' + QByteArray::number(qulonglong(st.st_ino)) + '.'
        + QByteArray::number(qlonglong(st.st_size)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}
} // namespace

QByteArray identity(const QString& path)
{
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 ? identityOf(st) : QByteArray("-");
}

QByteArray identity(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? identityOf(st) : QByteArray("-");
}

QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

int writeAll(int fd, QByteArrayView bytes, const QString& path)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        if (const int e = injected(Step::Write, path))
            return e;
        const ssize_t n = ::write(fd, p, size_t(qMin(left, WritePiece)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC; // nothing more goes in
        p += n;
        left -= n;
    }
    return 0;
}

// writeAll for a file about to be synced: the disk is set to work on each few megabytes as soon
// as they are written, so that the sync at the end waits only for the last of them rather than
// for all of a large file.
static int writeDurably(int fd, QByteArrayView bytes, const QString& path)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    constexpr qsizetype Step = 2 << 20;
    for (qsizetype at = 0; at < bytes.size(); at += Step) {
        const qsizetype n = qMin(Step, bytes.size() - at);
        if (const int e = writeAll(fd, bytes.sliced(at, n), path))
            return e;
        (void)::sync_file_range(fd, off_t(at), off_t(n), SYNC_FILE_RANGE_WRITE);
    }
    return 0;
#else
    return writeAll(fd, bytes, path);
#endif
}

int holdOld(const QString& path)
{
    return ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

void releaseLater(int fd)
{
    if (fd >= 0)
        std::thread([fd] { ::close(fd); }).detach();
}

int renameOver(const QString& from, const QString& to, Step step, const QString& path)
{
    if (const int e = injected(step, path))
        return e;
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : errno;
}

} // namespace detail

using namespace detail;

namespace {

QString notRegular(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier");
    return QStringLiteral("ce n'est pas un fichier ordinaire (tube, périphérique ou autre)");
}



// Locks the file just made at `name` through `fd` and returns another descriptor that holds the
// lock until it is closed (the lock outlives `fd`), or -1 when a cleaner took the file first.
int lockNewFile(int fd, const QString& name)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return -1;
    }
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0 || ::lstat(native(name).constData(), &named) != 0 || held.st_dev != named.st_dev
        || held.st_ino != named.st_ino)
        return -1;
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

// Makes a temporary file beside `target` holding `bytes`, synced and closed. Returns 0 and its
// name in `temp`, or the error number (and no temporary file is left). While `lock` is open the
// file is known as a live writer's (removeLeftovers leaves it alone); `made` is its identity.
int writeTemporary(const QString& path, const QString& target, QByteArrayView bytes, QString& temp, int& lock,
                   QByteArray* made = nullptr)
{
    struct stat old {};
    const bool existed = ::stat(native(target).constData(), &old) == 0;
    if (const int e = injected(Step::Create, path))
        return e;
    int fd = -1;
    lock = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = sideName(target, "tyx");
        fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return errno;
        if (fd >= 0 && (lock = lockNewFile(fd, temp)) < 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return EEXIST;
    // The new file keeps the old one's permissions (the owner cannot be given away).
    if (existed)
        (void)::fchmod(fd, old.st_mode & 07777);
    int e = writeDurably(fd, bytes, path);
    if (!e && !(e = injected(Step::Sync, path)) && ::fsync(fd) != 0)
        e = errno;
    if (!e)
        e = injected(Step::Close, path);
    // close() may be the first to report a failed write (network file systems): it counts too.
    if (made && !e)
        *made = identity(fd);
    if (::close(fd) != 0 && !e && errno != EINTR)
        e = errno;
    if (e) {
        ::unlink(native(temp).constData());
        ::close(lock);
        lock = -1;
    }
    return e;
}

// Empty when the target is a regular file we may replace, or absent; else why not. A file the
// author made read-only stays as it is.
QString targetProblem(const QString& target, bool& existed)
{
    struct stat st {};
    existed = ::stat(native(target).constData(), &st) == 0;
    if (!existed)
        return {};
    if (!S_ISREG(st.st_mode))
        return notRegular(st);
    if (::access(native(target).constData(), W_OK) != 0)
        return reason(errno);
    return {};
}


QString journalField(const QString& s)
{
    return QString::fromLatin1(s.toUtf8().toBase64());
}


} // namespace

QString reason(int e)
{
    switch (e) {
    case ENOSPC: return QStringLiteral("disque plein");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("quota de disque dépassé");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("accès refusé");
    case EROFS: return QStringLiteral("disque en lecture seule");
    case EIO: return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case ENOENT: return QStringLiteral("fichier ou dossier introuvable");
    case ENOTDIR: return QStringLiteral("une partie du chemin n'est pas un dossier");
    case EISDIR: return QStringLiteral("c'est un dossier");
    case ENAMETOOLONG: return QStringLiteral("nom de fichier trop long");
    case EMFILE:
    case ENFILE: return QStringLiteral("trop de fichiers ouverts");
    case EFBIG: return QStringLiteral("fichier trop grand");
    case ETXTBSY:
    case EBUSY: return QStringLiteral("fichier occupé");
    case ENOMEM: return QStringLiteral("mémoire insuffisante");
    case ELOOP: return QStringLiteral("trop de liens symboliques");
    case EEXIST: return QStringLiteral("le fichier existe déjà");
    case EINVAL: return QStringLiteral("nom de fichier incorrect");
    case ENXIO:
    case ENODEV: return QStringLiteral("périphérique absent");
    case EXDEV: return QStringLiteral("le fichier est sur un autre disque");
    default: return QStringLiteral("erreur système n° %1").arg(e);
    }
}

QString notRegularFile(const QString& path)
{
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return reason(errno);
    return S_ISREG(st.st_mode) ? QString() : notRegular(st);
}

bool read(const QString& path, QByteArray& bytes, QString* error)
{
    const auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // O_NONBLOCK: opening a FIFO without a writer must not wait; a regular file ignores it.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(reason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return failed(reason(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(notRegular(st));
    }
    // The size is a hint only: the file may grow or shrink while it is read.
    QByteArray out(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == out.size())
            out.resize(out.size() + WritePiece);
        const ssize_t n = ::read(fd, out.data() + size, size_t(out.size() - size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            return failed(reason(e));
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    out.truncate(size);
    bytes.swap(out);
    return true;
}

bool write(const QString& path, QByteArrayView bytes, QString* error)
{
    const auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return failed(reason(ENOENT));
    const QString target = resolvedTarget(path);
    bool existed = false;
    if (const QString why = targetProblem(target, existed); !why.isEmpty())
        return failed(why);
    removeLeftovers(target);
    QString temp;
    int lock = -1;
    if (const int e = writeTemporary(path, target, bytes, temp, lock))
        return failed(reason(e));
    const int old = existed ? holdOld(target) : -1;
    const int e = renameOver(temp, target, Step::Rename, path);
    if (e)
        ::unlink(native(temp).constData());
    ::close(lock);
    releaseLater(old);
    if (e)
        return failed(reason(e));
    syncFolder(target);
    return true;
}

void setFaultHook(FaultHook hook)
{
    QMutexLocker lock(&hookLock);
    hookSet = bool(hook);
    faultHook = std::move(hook);
}

// ---- FileSet ----

FileSet::~FileSet()
{
    if (committed_) {
        keep();
        return;
    }
    dropTemps();
    if (journal_ >= 0)
        ::close(journal_); // old files that could not be put back: the journal stays for recoverSets
}

bool FileSet::fail(const QString& path, const QString& why)
{
    failed_ = true;
    failedPath_ = path;
    error_ = why;
    return false;
}

void FileSet::dropTemps()
{
    for (Entry& e : entries_) {
        if (!e.temp.isEmpty())
            ::unlink(native(e.temp).constData());
        e.temp.clear();
        if (e.lock >= 0)
            ::close(e.lock);
        e.lock = -1;
    }
}

void FileSet::dropBackups()
{
    for (Entry& e : entries_) {
        if (!e.backup.isEmpty()) {
            const int old = holdOld(e.backup);
            ::unlink(native(e.backup).constData());
            releaseLater(old);
        }
        e.backup.clear();
    }
}

bool FileSet::add(const QString& path, QByteArrayView bytes)
{
    if (failed_ || committed_)
        return false;
    if (path.isEmpty())
        return fail(path, reason(ENOENT));
    Entry e;
    e.path = path;
    e.target = resolvedTarget(path);
    const QString folder = QFileInfo(e.target).absolutePath();
    bool seen = false;
    for (const Entry& other : entries_)
        seen = seen || QFileInfo(other.target).absolutePath() == folder;
    if (!seen)
        notes_ << recoverSets(folder); // a set left half done by a killed program goes back first
    if (const QString why = targetProblem(e.target, e.existed); !why.isEmpty())
        return fail(path, why);
    removeLeftovers(e.target);
    if (const int err = writeTemporary(path, e.target, bytes, e.temp, e.lock, &e.made)) {
        dropTemps();
        return fail(path, reason(err));
    }
    entries_.push_back(e);
    return true;
}

void FileSet::watch(const QString& path)
{
    if (!path.isEmpty())
        watched_ << resolvedTarget(path);
}

bool FileSet::commit()
{
    if (failed_ || committed_)
        return false;
    // The journal first, naming the old files' second names before they exist: whenever the
    // program dies from here on, recoverSets finds what to undo.
    for (Entry& e : entries_)
        e.backup = e.existed ? sideName(e.target, "old") : QString();
    if (const int err = openJournal()) {
        for (Entry& e : entries_)
            e.backup.clear();
        dropTemps();
        return fail(entries_.front().path, reason(err));
    }
    // The old files are kept under their second name, so that whatever fails later they can come
    // back: a hard link costs no space; where the file system has none, a copy.
    for (Entry& e : entries_) {
        if (!e.existed)
            continue;
        int err = injected(Step::Backup, e.path);
        if (!err && ::link(native(e.target).constData(), native(e.backup).constData()) != 0) {
            QByteArray old;
            QString why;
            QString temp;
            int lock = -1;
            if (!read(e.target, old, &why))
                err = EIO;
            else if (!(err = writeTemporary(e.path, e.backup, old, temp, lock))
                && ::rename(native(temp).constData(), native(e.backup).constData()) != 0) {
                err = errno;
                ::unlink(native(temp).constData());
            }
            if (lock >= 0)
                ::close(lock);
        }
        if (err) {
            dropBackups();
            dropTemps();
            closeJournal();
            return fail(e.path, reason(err));
        }
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (const int err = renameOver(e.temp, e.target, Step::Rename, e.path)) {
            fail(e.path, reason(err));
            // Every file already renamed goes back; the set is old again.
            bool all = true;
            for (size_t j = 0; j < i; ++j)
                all = putBack(entries_[j]) && all;
            if (!restoreError_.isEmpty())
                error_ += QStringLiteral(" ; ") + restoreError_;
            dropTemps();
            dropBackups();
            if (all)
                closeJournal();
            return false;
        }
        e.temp.clear();
        ::close(e.lock); // the file is the target now
        e.lock = -1;
    }
    committed_ = true;
    for (const Entry& e : entries_)
        syncFolder(e.target);
    return true;
}

bool FileSet::putBack(Entry& e)
{
    int err = 0;
    if (e.existed)
        err = renameOver(e.backup, e.target, Step::Restore, e.path);
    else if (::unlink(native(e.target).constData()) != 0 && errno != ENOENT)
        err = errno;
    if (!err) {
        e.backup.clear(); // it is the target again
        syncFolder(e.target);
        return true;
    }
    // The old bytes stay under their temporary name, never removed: say where they are.
    restoreError_ += (restoreError_.isEmpty() ? QString() : QStringLiteral(" ; "))
        + QStringLiteral("« %1 » n'a pas pu être remis (%2)").arg(e.path, reason(err))
        + (e.existed ? QStringLiteral(", l'ancien fichier est gardé sous « %1 »").arg(e.backup) : QString());
    e.backup.clear();
    return false;
}

bool FileSet::revert()
{
    if (!committed_)
        return false;
    bool all = true;
    for (Entry& e : entries_)
        all = putBack(e) && all;
    committed_ = false;
    failed_ = true;
    if (!all) {
        failedPath_ = entries_.front().path;
        error_ = restoreError_;
    } else {
        closeJournal();
    }
    return all;
}

void FileSet::keep()
{
    if (!committed_)
        return;
    closeJournal(); // first: from now on the new files are the set
    dropBackups();
    entries_.clear();
    committed_ = false;
}

// 0 or the error number. The journal stays open and locked: a set whose journal can be locked
// belongs to a program that is gone.
int FileSet::openJournal()
{
    if (const int e = injected(Step::Journal, entries_.front().path))
        return e;
    for (int attempt = 0; journal_ < 0 && attempt < 100; ++attempt) {
        journalPath_ = sideName(entries_.front().target, "tyxset");
        journal_ = ::open(native(journalPath_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (journal_ < 0 && errno != EEXIST && errno != EINTR)
            return errno;
        // Locked at once; a recovery that took it first (empty, so finished) made it go.
        if (const int held = journal_ >= 0 ? lockNewFile(journal_, journalPath_) : -1; held >= 0) {
            ::close(held);
        } else if (journal_ >= 0) {
            ::close(journal_);
            journal_ = -1;
        }
    }
    if (journal_ < 0)
        return EEXIST;
    // Each file with what the set found and made, so that a recovery can tell whether the files
    // are still the ones this program left: the new file's identity and the old one's.
    QByteArray text;
    for (const Entry& e : entries_)
        text += (journalField(e.target) + QLatin1Char('\t') + journalField(e.backup) + QLatin1Char('\t')
                    + QLatin1Char(e.existed ? '1' : '0') + QLatin1Char('\t') + journalField(e.temp) + QLatin1Char('\t'))
                    .toLatin1()
            + e.made + '\t' + (e.existed ? identity(e.target) : QByteArray("-")) + "\tfin\n";
    for (const QString& w : watched_)
        text += (journalField(w) + QStringLiteral("\t\tw\t\t\t")).toLatin1() + identity(w) + "\tfin\n";
    int err = writeAll(journal_, text, entries_.front().path);
    if (!err && ::fsync(journal_) != 0)
        err = errno;
    if (err)
        closeJournal();
    return err;
}

void FileSet::closeJournal()
{
    if (journal_ < 0)
        return;
    ::unlink(native(journalPath_).constData());
    ::close(journal_);
    journal_ = -1;
}

} // namespace safefile
