#pragma once
// Fault injection for the tests: every step the file code takes is a point where a write can
// fail. A dry run lists the points; then each one is made to fail in turn.
#include "platform/core/SafeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QMap>
#include <functional>

namespace faults {

struct Point {
    safefile::Step step;
    QString path;
};

// The points `action` passes through, in order.
inline QList<Point> record(const std::function<void()>& action)
{
    QList<Point> seen;
    safefile::setFaultHook([&seen](safefile::Step step, const QString& path) {
        seen.append({step, path});
        return 0;
    });
    action();
    safefile::setFaultHook({});
    return seen;
}

// While it lives, point number `index` (counted from 0) fails with the system error `error`.
class Inject {
public:
    Inject(int index, int error)
    {
        safefile::setFaultHook([this, index, error](safefile::Step, const QString&) { return count_++ == index ? error : 0; });
    }
    ~Inject() { safefile::setFaultHook({}); }
    Inject(const Inject&) = delete;
    Inject& operator=(const Inject&) = delete;
    bool reached() const { return count_.loadRelaxed() > 0; }

private:
    QAtomicInt count_ = 0;
};

// Every file under `folder` (hidden ones too: a left-over temporary file counts) with its bytes.
inline QMap<QString, QByteArray> folderBytes(const QString& folder)
{
    QMap<QString, QByteArray> all;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        all.insert(QDir(folder).relativeFilePath(path), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<illisible>"));
    }
    return all;
}

inline const char* stepName(safefile::Step s)
{
    switch (s) {
    case safefile::Step::Create: return "create";
    case safefile::Step::Write: return "write";
    case safefile::Step::Sync: return "sync";
    case safefile::Step::Close: return "close";
    case safefile::Step::Backup: return "backup";
    case safefile::Step::Journal: return "journal";
    case safefile::Step::Rename: return "rename";
    case safefile::Step::Restore: return "restore";
    case safefile::Step::Folder: return "folder";
    }
    return "?";
}

} // namespace faults
