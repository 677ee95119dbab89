#include "platform/core/TextFile.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SafeFile.h"

#include <cstring>

namespace textfile {

QStringList splitLines(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes = bytes.first(nul);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(cp1252::decode(bytes.sliced(start, i - start)));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(cp1252::decode(bytes.sliced(start)));
    return lines;
}

bool readLines(const QString& path, QStringList& lines, QString* error)
{
    QByteArray bytes;
    if (!safefile::read(path, bytes, error))
        return false;
    lines = splitLines(bytes);
    return true;
}

QByteArray joinLines(const QStringList& lines, bool* lossy)
{
    qsizetype total = 0;
    for (const QString& l : lines)
        total += l.size() + 2;
    QByteArray out(total, Qt::Uninitialized);
    char* d = out.data();
    bool lost = false;
    for (const QString& l : lines) {
        lost |= cp1252::encodeInto(l, d);
        // Reading stops at a 0 byte: one written here would cut the file at the next opening.
        for (char* z = static_cast<char*>(std::memchr(d, 0, size_t(l.size()))); z;
             z = static_cast<char*>(std::memchr(z, 0, size_t(d + l.size() - z)))) {
            *z = '?';
            lost = true;
        }
        d += l.size();
        *d++ = '\r';
        *d++ = '\n';
    }
    if (lossy)
        *lossy = lost;
    return out;
}

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    return safefile::write(path, bytes, error);
}

bool writeLines(const QString& path, const QStringList& lines, QString* error, bool* lossy)
{
    return writeBytes(path, joinLines(lines, lossy), error);
}

} // namespace textfile
