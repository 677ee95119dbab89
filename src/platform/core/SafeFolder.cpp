// A folder written file by file that then takes the place of another folder whole (a help site);
// see NewFolder in SafeFile.h.
#include "platform/core/SafeFile.h"
#include "platform/core/SafeFileParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

namespace safefile {

using namespace detail;

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

// Removes the folder at `dir` (opened relative to `parent`) and all it holds, without a look at
// each entry beyond its name and type: an earlier site has thousands of files.
void removeTree(int parent, const char* dir, int rounds = 3)
{
    const int fd = ::openat(parent, dir, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (DIR* d = ::fdopendir(fd)) {
        std::vector<std::string> folders;
        while (const dirent* e = ::readdir(d)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            if (e->d_type == DT_DIR || (::unlinkat(fd, name, 0) != 0 && errno == EISDIR))
                folders.emplace_back(name);
        }
        for (const std::string& f : folders)
            removeTree(fd, f.c_str());
        ::closedir(d); // closes fd
    } else {
        ::close(fd);
    }
    // An entry a listing missed while it changed: once more.
    if (::unlinkat(parent, dir, AT_REMOVEDIR) != 0 && errno == ENOTEMPTY && rounds > 1)
        removeTree(parent, dir, rounds - 1);
}

void removeTree(const QString& path)
{
    removeTree(AT_FDCWD, native(path).constData());
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
        removeTree(work_);
    if (lock_ >= 0)
        ::close(lock_);
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
    removeLeftovers(target_);
    QByteArray pattern;
    for (int attempt = 0; lock_ < 0 && attempt < 100; ++attempt) {
        pattern = native(info.absoluteDir().filePath(sidePrefix(target_, "tyxdir", 6) + QStringLiteral("XXXXXX")));
        if (!::mkdtemp(pattern.data()))
            return failed(errno);
        // Locked while this program writes it: never taken for the leftover of a killed one.
        lock_ = holdLock(QFile::decodeName(pattern), true);
        if (lock_ < 0)
            (void)::rmdir(pattern.constData()); // when a cleaner has not taken it already
    }
    if (lock_ < 0)
        return failed(EEXIST);
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
    // Only a test's hook is shown the path: a site has thousands of files.
    const QString shown = hooked() ? target_ + QLatin1Char('/') + name : QString();
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
    // Relative to the folder held open: no walk down the whole path for every file.
    const QByteArray path = native(name);
    const int fd = ::openat(lock_, path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    int e = writeAll(fd, bytes, shown);
    if (!e)
        e = injected(Step::Close, shown);
    if (::close(fd) != 0 && !e && errno != EINTR)
        e = errno;
    if (e) {
        ::unlinkat(lock_, path.constData(), 0);
        return failed(e);
    }
    return true;
}

bool NewFolder::addSame(const QString& name, int folder, const QByteArray& existing)
{
    return !work_.isEmpty() && makeSubfolders(name, nullptr)
        && ::linkat(folder, existing.constData(), lock_, native(name).constData(), 0) == 0;
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
    // Not synced: what is here is output that the next build makes again, and a sync would wait
    // for every other program's writes to the same disk. A write error shows at write() already.
    int e = 0;
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
        removeTree(work_);
        work_.clear();
    } else if (e == EINVAL || e == ENOSYS || e == EOPNOTSUPP) {
        // No exchange on this file system: the earlier folder steps aside, then comes back on a
        // failure. It is locked meanwhile, so that no cleaner takes it for a leftover.
        const QString aside = sideName(target_, "old");
        const int asideLock = holdLock(target_, true);
        const auto unlock = qScopeGuard([asideLock] {
            if (asideLock >= 0)
                ::close(asideLock);
        });
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
        removeTree(aside);
    } else {
        return failed(e);
    }
    return true;
}

} // namespace safefile
