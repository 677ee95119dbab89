#include "winhelp/html/HtmlFolder.h"

#include "platform/core/SafeFile.h"
#include "winhelp/model/Diagnostics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hlp::html {

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// True when the regular file `name` of the open folder `folder` holds exactly `bytes`. A FIFO or
// a device in the earlier site is never waited on.
bool sameBytes(int folder, const QByteArray& name, const QByteArray& bytes, QByteArray& buffer)
{
    const int fd = ::openat(folder, name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == bytes.size();
    if (same) {
        // One byte more than expected tells a file that grew since.
        buffer.resize(bytes.size() + 1);
        same = ::read(fd, buffer.data(), size_t(buffer.size())) == bytes.size()
            && std::memcmp(buffer.constData(), bytes.constData(), size_t(bytes.size())) == 0;
    }
    ::close(fd);
    return same;
}

} // namespace

bool isHelpSite(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("contextes.json"));
    if (!safefile::notRegularFile(path).isEmpty())
        return false;
    QFile map(path);
    if (!map.open(QIODevice::ReadOnly))
        return false;
    // A site is not synced: a crash soon after its build can leave its files empty, and the next
    // build must still be able to replace it.
    if (map.size() == 0)
        return safefile::notRegularFile(QDir(folder).filePath(QStringLiteral("index.html"))).isEmpty();
    return map.read(200).contains("\"generateur\": \"Tyx Plumet\"");
}

SiteFolder::SiteFolder(const QString& folder) : m_target(QDir::cleanPath(QDir(folder).absolutePath()))
{
    m_shown = quoted(QDir::toNativeSeparators(m_target));
}

SiteFolder::~SiteFolder()
{
    if (m_earlier >= 0)
        ::close(m_earlier);
}

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
    m_work = std::make_unique<safefile::NewFolder>(m_target);
    QString why;
    if (!m_work->open(&why)) {
        m_work.reset();
        return fail(error, QStringLiteral("impossible de créer le dossier %1 : %2.").arg(m_shown, why));
    }
    if (m_replacing)
        m_earlier = ::open(QFile::encodeName(m_target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return true;
}

bool SiteFolder::add(const QString& name, const QByteArray& bytes, QString* error)
{
    if (!m_work)
        return fail(error, QStringLiteral("le dossier de l'aide HTML n'est pas prêt."));
    // A large help has ten thousand pages, and a new file costs far more than a new name for an
    // old one on many file systems.
    if (m_earlier >= 0) {
        const QByteArray old = QFile::encodeName(name);
        if (sameBytes(m_earlier, old, bytes, m_buffer) && m_work->addSame(name, m_earlier, old))
            return true;
    }
    QString why;
    if (!m_work->add(name, bytes, &why))
        return fail(error, QStringLiteral("impossible d'écrire %1 : %2.").arg(quoted(name), why));
    return true;
}

bool SiteFolder::commit(QString* error)
{
    if (!m_work)
        return fail(error, QStringLiteral("le dossier de l'aide HTML n'est pas prêt."));
    if (m_earlier >= 0)
        ::close(m_earlier);
    m_earlier = -1;
    QString why;
    if (!m_work->commit(&why))
        return fail(error, QStringLiteral("impossible de mettre la nouvelle aide HTML à la place de %1 : %2. "
                                          "L'aide qui s'y trouvait reste telle qu'elle était.")
                               .arg(m_shown, why));
    m_work.reset();
    return true;
}

struct FolderWriter::State {
    SiteFolder& folder;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<SiteFile> waiting;
    bool closing = false;
    bool failed = false;
    // Who sleeps, so that the other wakes it only then: a wake-up for every page of ten thousand
    // costs more than writing most of them.
    bool writerSleeps = false;
    bool makerSleeps = false;
    QString error;
    std::thread thread;

    static constexpr size_t Ahead = 32; // pages made ahead at most: the site is never held whole in memory
    static constexpr size_t Batch = 8;  // a sleeper is woken for this many pages at once

    explicit State(SiteFolder& f) : folder(f) {}

    void run()
    {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            while (!closing && waiting.empty()) {
                writerSleeps = true;
                changed.wait(hold);
                writerSleeps = false;
            }
            if (waiting.empty())
                return;
            const SiteFile file = std::move(waiting.front());
            waiting.pop_front();
            if (makerSleeps && waiting.size() + Batch <= Ahead)
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
    while (!s.failed && s.waiting.size() >= State::Ahead) {
        s.makerSleeps = true;
        s.changed.wait(hold);
        s.makerSleeps = false;
    }
    if (s.failed || s.closing)
        return false;
    s.waiting.push_back({name, bytes});
    if (s.writerSleeps && s.waiting.size() >= State::Batch)
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
