#include "platform/core/Cp1252.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// 0x80..0x9F; the undefined bytes 81, 8D, 8F, 90, 9D keep their C1 code points.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int reverseLookup(char16_t u)
{
    for (int i = 0; i < 32; ++i)
        if (kHigh[static_cast<size_t>(i)] == u)
            return 0x80 + i;
    return -1;
}

} // namespace

namespace cp1252 {

QChar fromByte(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return QChar(kHigh[b - 0x80]);
    return QChar(b);
}

bool representable(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    return reverseLookup(u) >= 0;
}

unsigned char toByte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    const int b = reverseLookup(u);
    return b >= 0 ? static_cast<unsigned char>(b) : '?';
}

namespace {
struct DecodeTable {
    char16_t map[256];
    DecodeTable()
    {
        for (int b = 0; b < 256; ++b)
            map[b] = cp1252::fromByte(static_cast<unsigned char>(b)).unicode();
    }
};
} // namespace

void decodeInto(QByteArrayView bytes, char16_t* d)
{
    static const DecodeTable table;
    const qsizetype n = bytes.size();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time when none is in 0x80..0x9F, the only bytes whose character is not
    // their own code: a project file loads through here.
    const __m128i zero = _mm_setzero_si128();
    const __m128i top3 = _mm_set1_epi8(char(0xE0));
    const __m128i c1 = _mm_set1_epi8(char(0x80));
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, top3), c1))) {
            for (int k = 0; k < 16; ++k)
                d[i + k] = table.map[s[i + k]];
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; i < n; ++i)
        d[i] = table.map[s[i]];
}

QString decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    decodeInto(bytes, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

namespace {
// Every code point the code page holds is below U+2200; -1 marks the others.
struct EncodeTable {
    static constexpr int Size = 0x2200;
    qint16 map[Size];
    EncodeTable()
    {
        for (int u = 0; u < Size; ++u)
            map[u] = -1;
        for (int b = 0; b < 256; ++b)
            map[cp1252::fromByte(static_cast<unsigned char>(b)).unicode()] = qint16(b);
    }
};
} // namespace

namespace {

bool encodeScalar(const char16_t* s, qsizetype n, char* out)
{
    static const EncodeTable table;
    bool lost = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        // ASCII and the Latin-1 letters, nearly all of any text, are their own byte.
        if (u < 0x80 || char16_t(u - 0xA0) < 0x60) {
            out[i] = static_cast<char>(u);
            continue;
        }
        const int b = u < EncodeTable::Size ? table.map[u] : -1;
        lost |= b < 0;
        out[i] = static_cast<char>(b >= 0 ? b : '?');
    }
    return lost;
}

} // namespace

bool encodeInto(QStringView text, char* out)
{
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool lost = false;
#if defined(__SSE2__)
    // Sixteen characters at a time: when all are below U+0100 and none is in 0x80..0x9F (where the
    // code page differs from Latin-1), their bytes are their codes, packed in one instruction.
    const __m128i zero = _mm_setzero_si128();
    const __m128i top3 = _mm_set1_epi8(char(0xE0));
    const __m128i c1 = _mm_set1_epi8(char(0x80));
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i high = _mm_or_si128(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        const __m128i bytes = _mm_packus_epi16(a, b);
        const int wide = _mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) ^ 0xFFFF;
        const int control = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, top3), c1));
        if ((wide | control) == 0)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
        else
            lost |= encodeScalar(s + i, 16, out + i);
    }
#endif
    return encodeScalar(s + i, n - i, out + i) || lost;
}

QByteArray encode(QStringView text, bool* lossy)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    const bool lost = encodeInto(text, out.data());
    if (lossy)
        *lossy = lost;
    return out;
}

int sanitize(QString& text)
{
    int replaced = 0;
    for (QChar& c : text) {
        if (!representable(c)) {
            c = QLatin1Char('?');
            ++replaced;
        }
    }
    return replaced;
}

bool enterable(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return u == u'\t';
    return u != 0x7F && representable(c);
}

int sanitizeEntered(QString& text)
{
    int replaced = 0;
    for (QChar& c : text) {
        if (!enterable(c)) {
            c = QLatin1Char('?');
            ++replaced;
        }
    }
    return replaced;
}

} // namespace cp1252
