#include "platform/core/TextFile.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SafeFile.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textfile {

namespace {

// The first CR or LF at or after `i`, or `n`.
qsizetype lineEnd(const char* s, qsizetype i, qsizetype n)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))))
            return i + __builtin_ctz(unsigned(hits));
    }
#endif
    for (; i < n; ++i)
        if (s[i] == '\r' || s[i] == '\n')
            return i;
    return n;
}

} // namespace

QStringList splitLines(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes = bytes.first(nul);
    const qsizetype n = bytes.size();
    const char* const s = bytes.data();
    qsizetype ends = 0;
    for (qsizetype i = lineEnd(s, 0, n); i < n; i = lineEnd(s, i + 1, n))
        ++ends;
    // Every line is a slice of one block of characters rather than an allocation of its own: a
    // large project has hundreds of thousands of lines. Each slice ends with a NUL as any string
    // does, and one that changes gets its own copy as usual.
    QString block(n + ends + 1, Qt::Uninitialized);
    char16_t* const base = reinterpret_cast<char16_t*>(block.data());
    qsizetype used = 0;
    QStringList lines;
    lines.reserve(ends + 1);
    const auto add = [&](qsizetype from, qsizetype to) {
        if (from == to) {
            lines.append(QString(0, Qt::Uninitialized));
            return;
        }
        char16_t* const at = base + used;
        cp1252::decodeInto(bytes.sliced(from, to - from), at);
        at[to - from] = u'\0';
        used += to - from + 1;
        QString::DataPointer slice = block.data_ptr(); // one more reference to the block
        slice.ptr = at;
        slice.size = to - from;
        lines.append(QString(std::move(slice)));
    };
    qsizetype start = 0;
    for (qsizetype i = lineEnd(s, 0, n); i < n; i = lineEnd(s, i, n)) {
        add(start, i);
        if (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n')
            ++i;
        start = ++i;
    }
    if (start < n)
        add(start, n);
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
