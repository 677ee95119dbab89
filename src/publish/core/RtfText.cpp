#include "publish/core/RtfText.h"

#include "platform/core/Cp1252.h"
#include "store/core/Blocks.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"
#include "winhelp/project/RtfReader.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace publish {

namespace {

struct Rgb {
    int r, g, b;
};

// The colour table of the header, in index order.
constexpr std::array<Rgb, 15> kColourTable = {{{0, 0, 0}, {0, 0, 255}, {0, 255, 255}, {0, 255, 0},
    {255, 0, 255}, {255, 0, 0}, {255, 255, 0}, {128, 128, 128}, {255, 255, 255}, {0, 0, 128},
    {0, 128, 128}, {0, 128, 0}, {128, 0, 128}, {128, 0, 0}, {192, 192, 192}}};

} // namespace

namespace {

#if defined(__SSE2__)
// Stores the bytes of the sixteen characters at `d` at `p` and tells how many of them, from the
// first, are printable ASCII (those bytes are right; the others are to be written again).
inline int printableAscii16(const char16_t* d, char* p)
{
    const __m128i low = _mm_set1_epi16(0x1F);
    const __m128i high = _mm_set1_epi16(0x7F);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 8));
    // Signed compares: a character from U+8000 up is negative and fails the first one.
    const __m128i okA = _mm_and_si128(_mm_cmpgt_epi16(a, low), _mm_cmplt_epi16(a, high));
    const __m128i okB = _mm_and_si128(_mm_cmpgt_epi16(b, low), _mm_cmplt_epi16(b, high));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(a, b));
    const unsigned ok = unsigned(_mm_movemask_epi8(_mm_packs_epi16(okA, okB)));
    return ok == 0xFFFF ? 16 : __builtin_ctz(~ok);
}
#endif

} // namespace

char* escapeInto(char* p, QStringView line)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const qsizetype n = line.size();
    const char16_t* d = line.utf16();
    qsizetype i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Printable ASCII, nearly all of any text, is its own bytes: sixteen characters at a time,
        // or as many as come before the first that needs care (the store writes all sixteen; the
        // room is there, and what follows overwrites the rest).
        if (i + 16 <= n) {
            const int plain = printableAscii16(d + i, p);
            p += plain;
            i += plain;
            if (plain == 16)
                continue;
        }
#endif
        const char16_t u = d[i++];
        if (u >= 32 && u < 128) {
            *p++ = char(u);
            continue;
        }
        if (u == 9) {
            std::memcpy(p, "\\tab ", 5);
            p += 5;
            continue;
        }
        if (u < 32)
            continue; // other control characters are dropped
        // One byte of the code page; a character it cannot hold is written as '?', as the file
        // itself would hold it.
        const unsigned char b = u >= 0xA0 && u <= 0xFF ? static_cast<unsigned char>(u) : cp1252::toByte(QChar(u));
        if (b < 128 || b == 0xB6) { // the paragraph mark stays itself wherever it stands
            *p++ = char(b);
        } else {
            p[0] = '\\';
            p[1] = '\'';
            p[2] = kHex[b >> 4];
            p[3] = kHex[b & 15];
            p += 4;
        }
    }
    return p;
}

void appendEscaped(QByteArray& out, QStringView line)
{
    const qsizetype at = out.size();
    out.resize(at + EscapeRoom * line.size());
    char* const start = out.data();
    out.resize(escapeInto(start + at, line) - start);
}

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters after the backslash at `i` that its escape takes, or -1 when it is unfinished.
qsizetype escapeLength(const char* b, qsizetype n, qsizetype i)
{
    if (i + 1 >= n)
        return -1;
    if (b[i + 1] != '\'')
        return 1;
    return i + 3 < n && isHex(b[i + 2]) && isHex(b[i + 3]) ? 3 : -1;
}

// The first brace or backslash at or after `i`, or `n`.
inline qsizetype nextSyntax(const char* s, qsizetype i, qsizetype n)
{
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i slash = _mm_set1_epi8('\\');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, close)), _mm_cmpeq_epi8(v, slash)));
        if (hits)
            return i + __builtin_ctz(unsigned(hits));
    }
#endif
    for (; i < n; ++i)
        if (s[i] == '{' || s[i] == '}' || s[i] == '\\')
            return i;
    return n;
}

} // namespace

bool containInto(const char* b, qsizetype n, int& depth, QByteArray& fixed)
{
    // One pass; a copy is made only from the first byte that changes (nearly every line has none).
    bool copying = false;
    qsizetype copied = 0; // bytes before this are in `fixed` when copying
    const auto change = [&](qsizetype at, QByteArrayView with, qsizetype skip) {
        if (!copying) {
            fixed.clear();
            fixed.reserve(n + 16);
            copying = true;
        }
        fixed.append(b + copied, at - copied);
        fixed.append(with);
        copied = at + skip;
    };
    int d = depth;
    bool groupStart = false; // right after a brace the text opened (and its "\*"): a destination may start there
    // ASCII letters only, as the compiler's reader takes them (the C library's test follows the locale).
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (qsizetype i = 0; i < n; ++i) {
        // Plain text between the braces and backslashes only ends a group's start.
        if (const qsizetype next = nextSyntax(b, i, n); next != i) {
            groupStart = false;
            if (next == n)
                break;
            i = next;
        }
        const char c = b[i];
        if (c == '{') {
            ++d;
            groupStart = true;
            continue;
        }
        if (c == '}') {
            groupStart = false;
            if (d == 0)
                change(i, "\\}", 1);
            else
                --d;
            continue;
        }
        const qsizetype take = escapeLength(b, n, i);
        if (take == 3) { // a character by its code: "\'e9"
            groupStart = false;
            i += 3;
            continue;
        }
        qsizetype word = 0;
        while (i + 1 + word < n && letter(b[i + 1 + word]))
            ++word;
        const bool star = take == 1 && b[i + 1] == '*';
        // Unfinished, or a destination outside a group of the text's own: it would swallow what
        // follows it (the \page, the next topics); a \bin, whose count of raw bytes could run
        // past the topic; or a \page of its own, which would cut the topic in two. Its backslash
        // becomes a plain one.
        const QByteArrayView name(b + i + 1, word);
        if (take < 0 || (star && !groupStart) || name == "page" || name == "bin"
            || (word > 0 && !groupStart && hlp::isRtfDestination(name))) {
            change(i, "\\\\", 1);
            groupStart = false;
            continue;
        }
        groupStart = star && groupStart;
        i += word > 0 ? word : take;
    }
    depth = d;
    if (!copying)
        return false;
    fixed.append(b + copied, n - copied);
    return true;
}

bool containRtf(QByteArray& bytes, qsizetype from, int& depth)
{
    QByteArray fixed;
    if (!containInto(bytes.constData() + from, bytes.size() - from, depth, fixed))
        return false;
    bytes.truncate(from);
    bytes.append(fixed);
    return true;
}

QByteArray RtfTitleBytes(QStringView title)
{
    QByteArray bytes;
    appendEscaped(bytes, title);
    int depth = 0;
    containRtf(bytes, 0, depth);
    bytes.append(QByteArray(depth, '}'));
    return bytes;
}

QString RtfTitle(QStringView title)
{
    return QString::fromLatin1(RtfTitleBytes(title));
}

QString RtfContained(QStringView text)
{
    // Nearly every title holds no brace, backslash or control character: nothing to contain.
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 32 && c != u'{' && c != u'}' && c != u'\\';
    if (plain)
        return text.toString();
    // The control characters the writer drops go first: checked with them, "\\p", ESC, "age"
    // would pass and then be written as a page break.
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 32 || c == u'\t')
            kept += c;
    }
    QByteArray bytes = cp1252::encode(kept);
    int depth = 0;
    if (!containRtf(bytes, 0, depth) && depth == 0)
        return kept;
    bytes.append(QByteArray(depth, '}'));
    return cp1252::decode(bytes);
}

QString RtfEscape(QStringView line)
{
    QByteArray bytes;
    bytes.reserve(line.size() + 8);
    appendEscaped(bytes, line);
    return QString::fromLatin1(bytes);
}

int colourIndex(store::ColourWord colour)
{
    // Only a plain 0x00BBGGRR word is an explicit colour; system and palette references are not.
    if (colour >> 24)
        return -1;
    const int r = int(colour & 0xFF), g = int((colour >> 8) & 0xFF), b = int((colour >> 16) & 0xFF);
    for (size_t i = 0; i < kColourTable.size(); ++i)
        if (kColourTable[i].r == r && kColourTable[i].g == g && kColourTable[i].b == b)
            return int(i);
    return -1;
}

QString ColourCode(store::ColourWord colour)
{
    return QStringLiteral("\\cf") + QString::number(qMax(0, colourIndex(colour))) + QLatin1Char(' ');
}

QString SizeSelector(int points)
{
    return QStringLiteral("\\fs") + QString::number(2 * qint64(points));
}

QStringList RtfHeader()
{
    QString table = QStringLiteral("{\\colortbl");
    for (const Rgb& c : kColourTable)
        table += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.r).arg(c.g).arg(c.b);
    table += u"}}";
    return {QStringLiteral("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"),
        QStringLiteral("{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fswiss\\fprq2 MS Sans Serif;}"),
        QStringLiteral("{\\f3\\froman Times New Roman;}"), table};
}

QByteArray keywordText(QStringView keywordPart)
{
    QByteArray escaped;
    appendEscaped(escaped, keywordPart);
    escaped.remove(0, 1); // the level digit
    // The keyword field stores what the author typed, braces included; written raw, a brace would
    // end the footnote group early and cut the rest of the file off. The part holds no backslash,
    // so every backslash below starts one of our own escapes.
    QByteArray text(2 * escaped.size(), Qt::Uninitialized);
    char* p = text.data();
    for (const char c : std::as_const(escaped)) {
        if (c == '{' || c == '}')
            *p++ = '\\';
        *p++ = c;
    }
    text.truncate(p - text.constData());
    if (text.size() > MaxFootnoteKeywords) {
        text.truncate(MaxFootnoteKeywords);
        // Never leave half an escape at the cut: "\'E" would swallow the closing brace.
        const qsizetype slash = text.lastIndexOf('\\');
        if (slash >= 0) {
            const qsizetype have = text.size() - slash;
            const char kind = have > 1 ? text[slash + 1] : '\0';
            const qsizetype need = kind == '\'' ? 4 : kind == 't' ? 4 : 2;
            if (have < need)
                text.truncate(slash);
        }
    }
    // Spaces (code 32 only) at either end go.
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return text.mid(b, e - b);
}

} // namespace publish
