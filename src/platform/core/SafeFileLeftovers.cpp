// What a killed write leaves behind, and how the next write of the same target deals with it: a
// set's journal puts the old files back while nobody touched them since, and the hidden side files
// and folders of dead writers go. Only names this program makes are ever touched, only files of
// this user, and never a side file a live writer holds locked.
#include "platform/core/SafeFile.h"
#include "platform/core/SafeFileParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

using namespace detail;

namespace {

QString fromJournalField(const QByteArray& s)
{
    return QString::fromUtf8(QByteArray::fromBase64(s));
}

// One line of a journal: a file of the set, or a file the set watches.
struct JournalLine {
    QString target;
    QString backup;
    QString temp;
    char kind = 0;   // '1' replaced an old file, '0' a new file, 'w' watched
    QByteArray made; // the new file's identity (empty in journals that did not keep it)
    QByteArray old;  // the old file's identity, or the watched file's
};

std::vector<JournalLine> parseJournal(const QByteArray& text)
{
    std::vector<JournalLine> lines;
    // A line cut short was being written before any rename: nothing to undo for it.
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if ((f.size() != 5 && f.size() != 7) || f.back() != "fin" || f[2].size() != 1)
            continue;
        JournalLine l;
        l.target = fromJournalField(f[0]);
        l.backup = fromJournalField(f[1]);
        l.kind = f[2][0];
        l.temp = fromJournalField(f[3]);
        if (f.size() == 7) {
            l.made = f[4];
            l.old = f[5];
        }
        lines.push_back(l);
    }
    return lines;
}

QByteArray readAll(int fd)
{
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);)
        if (n > 0)
            text.append(buffer, n);
    return text;
}

QString listed(const QStringList& names)
{
    QStringList quoted;
    for (const QString& n : names)
        quoted << QStringLiteral("« %1 »").arg(n);
    return quoted.join(QStringLiteral(", "));
}

// Puts back (or leaves) the set of a dead program's journal; what it did, for the author.
QString recoverSet(const std::vector<JournalLine>& lines)
{
    QStringList files;    // the set's files
    QStringList replaced; // those the killed program had put in place
    QString changed;      // the first file changed since it died
    bool touched = false; // a file of the set is not the old one any more
    std::vector<const JournalLine*> back;
    for (const JournalLine& l : lines) {
        const QString name = QFileInfo(l.target).fileName();
        const QByteArray now = identity(l.target);
        if (l.kind == 'w') {
            if (now != l.old && changed.isEmpty())
                changed = name;
            continue;
        }
        files << name;
        if (l.made.isEmpty()) {
            // A journal that did not keep identities: the files go back as they always did.
            if (l.kind == '0' || (!l.backup.isEmpty() && QFileInfo::exists(l.backup)))
                back.push_back(&l);
            continue;
        }
        if (now == l.made) {
            replaced << name;
            back.push_back(&l);
        } else if (now != (l.kind == '1' ? l.old : QByteArray("-"))) {
            touched = true;
            if (changed.isEmpty())
                changed = name; // neither what it wrote nor what it found: someone wrote it since
        }
    }
    const bool putBack = changed.isEmpty();
    for (const JournalLine* l : back) {
        if (!putBack)
            break;
        if (l->kind == '1')
            ::rename(native(l->backup).constData(), native(l->target).constData());
        else
            ::unlink(native(l->target).constData());
    }
    for (const JournalLine& l : lines) {
        if (!l.temp.isEmpty())
            ::unlink(native(l.temp).constData()); // a temporary file not renamed yet
        if (!l.backup.isEmpty())
            ::unlink(native(l.backup).constData()); // not needed any more, or the same file as the target
        if (l.kind != 'w')
            syncFolder(l.target);
    }
    if (replaced.isEmpty() && !touched)
        return {}; // it died before replacing anything: nothing to undo
    if (!putBack)
        return QStringLiteral("une écriture interrompue (programme arrêté) de %1 n'est pas défaite : « %2 » a changé depuis ; "
                              "les fichiers restent tels qu'ils sont.")
            .arg(listed(files), changed);
    return replaced.size() == 1
        ? QStringLiteral("une écriture interrompue (programme arrêté) avait remplacé %1 : il est remis tel qu'il était avant elle.")
              .arg(listed(replaced))
        : QStringLiteral("une écriture interrompue (programme arrêté) avait remplacé %1 : ils sont remis tels qu'ils étaient avant elle.")
              .arg(listed(replaced));
}

// True when `rest` is `count` characters of the kind our side names end with.
bool sideDigits(QStringView rest, int count, bool hex)
{
    if (rest.size() != count)
        return false;
    for (const QChar c : rest) {
        const char16_t u = c.unicode();
        const bool digit = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f')
            || (!hex && ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')));
        if (!digit)
            return false;
    }
    return true;
}

// Locks `path` without waiting; -1 when a live writer holds it (or it cannot be opened).
int tryLock(const QString& path, bool folder)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (folder ? O_DIRECTORY : O_NONBLOCK));
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The backups and temporary files every journal of `folder` names, dead or alive: a live set
// still needs them, a dead one is for recoverSets to settle.
QSet<QString> namedByJournals(const QString& folder)
{
    QSet<QString> named;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral(".*.tyxset-*")}, QDir::Files | QDir::Hidden)) {
        const int fd = ::open(native(dir.filePath(name)).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        for (const JournalLine& l : parseJournal(readAll(fd))) {
            named.insert(QFileInfo(l.backup).fileName());
            named.insert(QFileInfo(l.temp).fileName());
        }
        ::close(fd);
    }
    return named;
}

} // namespace

QStringList recoverSets(const QString& folder)
{
    QStringList notes;
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
        if (const QString note = recoverSet(parseJournal(readAll(fd))); !note.isEmpty())
            notes << note;
        syncFolder(path);
        ::unlink(native(path).constData());
        ::close(fd);
    }
    return notes;
}

namespace detail {

void removeLeftovers(const QString& target)
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    const QString temporary = sidePrefix(target, "tyx", 8), old = sidePrefix(target, "old", 8),
                  work = sidePrefix(target, "tyxdir", 6);
    enum class Kind { Temporary, Old, Work };
    std::vector<std::pair<QString, Kind>> found;
    if (DIR* dir = ::opendir(native(folder).constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                continue;
            const QString name = QFile::decodeName(entry->d_name);
            if (name.startsWith(temporary) && sideDigits(QStringView(name).mid(temporary.size()), 8, true))
                found.emplace_back(name, Kind::Temporary);
            else if (name.startsWith(old) && sideDigits(QStringView(name).mid(old.size()), 8, true))
                found.emplace_back(name, Kind::Old);
            else if (name.startsWith(work) && sideDigits(QStringView(name).mid(work.size()), 6, false))
                found.emplace_back(name, Kind::Work);
        }
        ::closedir(dir);
    }
    if (found.empty())
        return;
    // Read after the listing: a set writes its journal before it makes the files it names.
    const QSet<QString> named = namedByJournals(folder);
    for (const auto& [name, kind] : found) {
        const QString path = QDir(folder).filePath(name);
        struct stat st {};
        if (::lstat(native(path).constData(), &st) != 0 || st.st_uid != ::geteuid() || named.contains(name))
            continue;
        const bool isFolder = S_ISDIR(st.st_mode);
        if (!isFolder && !S_ISREG(st.st_mode))
            continue;
        if (kind == Kind::Old && !isFolder) {
            ::unlink(native(path).constData()); // the old file of a set that was kept: no journal needs it
            continue;
        }
        if ((kind == Kind::Temporary) == isFolder || (kind == Kind::Work && !isFolder))
            continue;
        const int lock = tryLock(path, isFolder);
        if (lock < 0)
            continue; // a live writer's
        if (!isFolder) {
            ::unlink(native(path).constData());
        } else if (kind == Kind::Old && !QFileInfo::exists(target)) {
            // An earlier folder stepped aside and its writer died before the new one took its
            // place: it is the only one, and comes back.
            ::rename(native(path).constData(), native(target).constData());
        } else {
            QDir(path).removeRecursively();
        }
        ::close(lock);
    }
    syncFolder(target);
}

} // namespace detail

} // namespace safefile
