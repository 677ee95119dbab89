#include "platform/core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

QMutex hookLock;
FaultHook faultHook;

// Zero, or the error the seam wants this step to fail with.
int injected(Step step, const QString& path)
{
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

QString notRegular(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier");
    return QStringLiteral("ce n'est pas un fichier ordinaire (tube, périphérique ou autre)");
}

// Where the bytes of `path` go: a symbolic link is followed so that the link stays a link.
QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// The longest name a folder entry takes, in bytes.
constexpr qsizetype NameMax = 255;

// `name`, cut at a character's end when needed, so that it and `extra` more bytes make a name a
// folder takes: a target whose name is near the limit still gets its side files.
QString fitted(const QString& name, qsizetype extra)
{
    QString cut = name;
    while (!cut.isEmpty() && native(cut).size() + extra > NameMax)
        cut.chop(cut.size() >= 2 && cut.back().isLowSurrogate() ? 2 : 1);
    return cut;
}

QString sideName(const QString& target, const char* kind)
{
    const QFileInfo info(target);
    const qsizetype extra = 3 + qsizetype(qstrlen(kind)) + 8; // two dots, a dash and eight digits
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2-%3").arg(fitted(info.fileName(), extra), QLatin1String(kind))
                                           .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

// Writes every byte to `fd`, piece by piece; 0 or the error number.
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

// Makes a temporary file beside `target` holding `bytes`, synced and closed. Returns 0 and its
// name in `temp`, or the error number (and no temporary file is left).
int writeTemporary(const QString& path, const QString& target, QByteArrayView bytes, QString& temp)
{
    struct stat old {};
    const bool existed = ::stat(native(target).constData(), &old) == 0;
    if (const int e = injected(Step::Create, path))
        return e;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = sideName(target, "tyx");
        fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    // The new file keeps the old one's permissions (the owner cannot be given away).
    if (existed)
        (void)::fchmod(fd, old.st_mode & 07777);
    int e = writeAll(fd, bytes, path);
    if (!e && !(e = injected(Step::Sync, path)) && ::fsync(fd) != 0)
        e = errno;
    if (!e)
        e = injected(Step::Close, path);
    // close() may be the first to report a failed write (network file systems): it counts too.
    if (::close(fd) != 0 && !e && errno != EINTR)
        e = errno;
    if (e)
        ::unlink(native(temp).constData());
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

int renameOver(const QString& from, const QString& to, Step step, const QString& path)
{
    if (const int e = injected(step, path))
        return e;
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : errno;
}

// Makes the renames durable; the files are in place whatever it says.
void syncFolder(const QString& target)
{
    const int fd = ::open(native(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

QString journalField(const QString& s)
{
    return QString::fromLatin1(s.toUtf8().toBase64());
}

QString fromJournalField(const QByteArray& s)
{
    return QString::fromUtf8(QByteArray::fromBase64(s));
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
    QString temp;
    if (const int e = writeTemporary(path, target, bytes, temp))
        return failed(reason(e));
    if (const int e = renameOver(temp, target, Step::Rename, path)) {
        ::unlink(native(temp).constData());
        return failed(reason(e));
    }
    syncFolder(target);
    return true;
}

void setFaultHook(FaultHook hook)
{
    QMutexLocker lock(&hookLock);
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
    }
}

void FileSet::dropBackups()
{
    for (Entry& e : entries_) {
        if (!e.backup.isEmpty())
            ::unlink(native(e.backup).constData());
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
        recoverSets(folder); // a set left half done by a killed program goes back first
    if (const QString why = targetProblem(e.target, e.existed); !why.isEmpty())
        return fail(path, why);
    if (const int err = writeTemporary(path, e.target, bytes, e.temp)) {
        dropTemps();
        return fail(path, reason(err));
    }
    entries_.push_back(e);
    return true;
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
            if (!read(e.target, old, &why))
                err = EIO;
            else if (!(err = writeTemporary(e.path, e.backup, old, temp))
                && ::rename(native(temp).constData(), native(e.backup).constData()) != 0) {
                err = errno;
                ::unlink(native(temp).constData());
            }
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
    journalPath_ = sideName(entries_.front().target, "tyxset");
    journal_ = ::open(native(journalPath_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (journal_ < 0)
        return errno;
    QByteArray text;
    for (const Entry& e : entries_)
        text += (journalField(e.target) + QLatin1Char('\t') + journalField(e.backup) + QLatin1Char('\t')
                    + QLatin1Char(e.existed ? '1' : '0') + QLatin1Char('\t') + journalField(e.temp)
                    + QStringLiteral("\tfin\n"))
                    .toLatin1();
    int err = ::flock(journal_, LOCK_EX) == 0 ? writeAll(journal_, text, entries_.front().path) : errno;
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

// ---- NewFolder ----

namespace {

// 0 or the error number; the folders that exist already are fine.
int makePath(const QString& path, const QString& shown)
{
    QString sofar;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        sofar += (i ? QStringLiteral("/") : QString()) + parts[i];
        if (parts[i].isEmpty())
            continue;
        struct stat st {};
        if (::stat(native(sofar).constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return ENOTDIR;
            continue;
        }
        if (const int e = injected(Step::Folder, shown))
            return e;
        if (::mkdir(native(sofar).constData(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

// Swaps two folders in one step where the file system can; 0 or the error number.
int exchange(const QString& a, const QString& b)
{
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(), RENAME_EXCHANGE) == 0)
        return 0;
    return errno;
#else
    (void)a;
    (void)b;
    return EINVAL;
#endif
}

// The file-creation mask, read without changing it (umask() would change it for every thread
// for a moment).
mode_t creationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8) & 0777);
    return 022;
}

} // namespace

// A link to a folder stays a link: the new folder takes the place of the folder it leads to.
NewFolder::NewFolder(const QString& target) : target_(resolvedTarget(QDir::cleanPath(QDir(target).absolutePath()))) {}

NewFolder::~NewFolder()
{
    if (!work_.isEmpty())
        QDir(work_).removeRecursively();
}

bool NewFolder::open(QString* error)
{
    const auto failed = [&](int e) {
        if (error)
            *error = reason(e);
        return false;
    };
    if (!work_.isEmpty())
        return true;
    const QFileInfo info(target_);
    if (const int e = makePath(info.absolutePath(), target_))
        return failed(e);
    if (const int e = injected(Step::Folder, target_))
        return failed(e);
    QByteArray pattern = native(info.absoluteDir().filePath(QStringLiteral(".%1-XXXXXX").arg(fitted(info.fileName(), 8))));
    if (!::mkdtemp(pattern.data()))
        return failed(errno);
    work_ = QFile::decodeName(pattern);
    // mkdtemp makes a private folder; this one is read as any new folder would be (browsers, web servers).
    (void)::chmod(pattern.constData(), 0777 & ~creationMask());
    return true;
}

bool NewFolder::makeSubfolders(const QString& name, QString* error)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return true;
    if (const int e = makePath(work_ + QLatin1Char('/') + name.left(slash), target_ + QLatin1Char('/') + name)) {
        if (error)
            *error = reason(e);
        return false;
    }
    return true;
}

bool NewFolder::add(const QString& name, QByteArrayView bytes, QString* error)
{
    const QString shown = target_ + QLatin1Char('/') + name;
    const auto failed = [&](int e) {
        if (error)
            *error = reason(e);
        return false;
    };
    if (work_.isEmpty())
        return failed(ENOENT);
    if (!makeSubfolders(name, error))
        return false;
    if (const int e = injected(Step::Create, shown))
        return failed(e);
    const QByteArray path = native(work_ + QLatin1Char('/') + name);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    // No sync per file: commit() syncs the whole folder at once, far faster for thousands of pages.
    int e = writeAll(fd, bytes, shown);
    if (!e)
        e = injected(Step::Close, shown);
    if (::close(fd) != 0 && !e && errno != EINTR)
        e = errno;
    if (e) {
        ::unlink(path.constData());
        return failed(e);
    }
    return true;
}

bool NewFolder::addSame(const QString& name, const QString& existing)
{
    return !work_.isEmpty() && makeSubfolders(name, nullptr)
        && ::link(native(existing).constData(), native(work_ + QLatin1Char('/') + name).constData()) == 0;
}

bool NewFolder::commit(QString* error)
{
    const auto failed = [&](int e) {
        if (error)
            *error = reason(e);
        return false;
    };
    if (work_.isEmpty())
        return failed(ENOENT);
    // Every byte on the disk before the new folder is the target: a write error the system held
    // back until now is seen here, while the earlier folder is still in place.
    int e = injected(Step::Sync, target_);
    if (!e) {
        const int fd = ::open(native(work_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 || ::syncfs(fd) != 0)
            e = errno;
        if (fd >= 0)
            ::close(fd);
    }
    if (e)
        return failed(e);
    struct stat st {};
    const bool existed = ::lstat(native(target_).constData(), &st) == 0;
    if (existed && !S_ISDIR(st.st_mode))
        return failed(ENOTDIR);
    if (!existed) {
        if ((e = renameOver(work_, target_, Step::Rename, target_)))
            return failed(e);
        work_.clear();
    } else if (!(e = injected(Step::Rename, target_)) && !(e = exchange(work_, target_))) {
        // One step: the earlier folder is now under the hidden name.
        QDir(work_).removeRecursively();
        work_.clear();
    } else if (e == EINVAL || e == ENOSYS || e == EOPNOTSUPP) {
        // No exchange on this file system: the earlier folder steps aside, then comes back on a failure.
        const QString aside = sideName(target_, "old");
        if ((e = renameOver(target_, aside, Step::Backup, target_)))
            return failed(e);
        if ((e = renameOver(work_, target_, Step::Rename, target_))) {
            if (const int back = renameOver(aside, target_, Step::Restore, target_)) {
                if (error)
                    *error = QStringLiteral("%1 ; le dossier n'a pas pu être remis (%2), il est gardé sous « %3 »")
                                 .arg(reason(e), reason(back), aside);
                return false;
            }
            return failed(e);
        }
        work_.clear();
        QDir(aside).removeRecursively();
    } else {
        return failed(e);
    }
    syncFolder(target_);
    return true;
}

void recoverSets(const QString& folder)
{
    const QStringList journals = QDir(folder).entryList({QStringLiteral(".*.tyxset-*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : journals) {
        const QString path = QDir(folder).filePath(name);
        const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) { // its program is still at work
            ::close(fd);
            continue;
        }
        QByteArray text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
        // A line cut short was being written before any rename: nothing to undo for it.
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() != 5 || f[4] != "fin")
                continue;
            const QString target = fromJournalField(f[0]), backup = fromJournalField(f[1]);
            ::unlink(native(fromJournalField(f[3])).constData()); // a temporary file not renamed yet
            if (f[2] == "1" && !backup.isEmpty() && QFileInfo::exists(backup)) {
                ::rename(native(backup).constData(), native(target).constData());
                ::unlink(native(backup).constData()); // when it was still the same file as the target
            } else if (f[2] == "0") {
                ::unlink(native(target).constData());
            }
        }
        syncFolder(path);
        ::unlink(native(path).constData());
        ::close(fd);
    }
}

} // namespace safefile
