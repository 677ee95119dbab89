#pragma once
// Plain whole-file reads and writes for setting up and checking test folders (never the
// program's own write path, which the tests examine).
#include <QByteArray>
#include <QFile>
#include <QString>

namespace testfile {

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Empty when the file cannot be read.
inline QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testfile
