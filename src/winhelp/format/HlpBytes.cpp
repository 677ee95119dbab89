#include "winhelp/format/HlpBytes.h"

#include <array>

namespace hlp {

void ByteWriter::fixedString(const QByteArray& s, int size)
{
    const QByteArray cut = s.left(size - 1);
    bytes.append(cut);
    zeros(size - static_cast<int>(cut.size()));
}

void ByteWriter::cushort(unsigned v)
{
    if (v < 0x80)
        u8(v * 2);
    else
        u16(v * 2 + 1);
}

void ByteWriter::csshort(int v)
{
    if (v >= -64 && v < 64)
        u8(static_cast<unsigned>(v + 64) * 2);
    else
        u16(static_cast<unsigned>(v + 16384) * 2 + 1); // the long form even for small sums
}

void ByteWriter::culong(std::uint32_t v)
{
    if (v < 0x8000)
        u16(v * 2);
    else
        u32(v * 2 + 1);
}

void ByteWriter::cslong(std::int32_t v)
{
    if (v >= -16384 && v < 16384)
        u16(static_cast<std::uint32_t>(v + 16384) * 2);
    else
        u32(static_cast<std::uint32_t>(v + 0x40000000) * 2 + 1);
}

void putU16(QByteArray& b, int at, unsigned v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void putU32(QByteArray& b, int at, std::uint32_t v)
{
    putU16(b, at, v & 0xFFFF);
    putU16(b, at + 2, v >> 16);
}

bool ByteReader::need(int n)
{
    // p > e - n rather than p + n > e: no overflow near the end of int.
    if (!good || p < 0 || n < 0 || p > e - n) {
        good = false;
        return false;
    }
    return true;
}

unsigned ByteReader::u8()
{
    if (!need(1))
        return 0;
    return static_cast<unsigned char>(d[p++]);
}

unsigned ByteReader::u16()
{
    if (!need(2))
        return 0;
    const unsigned v = static_cast<unsigned char>(d[p]) | (static_cast<unsigned char>(d[p + 1]) << 8);
    p += 2;
    return v;
}

std::uint32_t ByteReader::u32()
{
    const std::uint32_t lo = u16();
    const std::uint32_t hi = u16();
    return lo | (hi << 16);
}

QByteArray ByteReader::stringz()
{
    if (!need(1))
        return {};
    const int start = p;
    while (p < e && d[p] != '\0')
        ++p;
    if (p >= e) {
        good = false;
        return {};
    }
    const QByteArray s = d.mid(start, p - start);
    ++p;
    return s;
}

QByteArray ByteReader::bytes(int n)
{
    if (n < 0 || !need(n))
        return {};
    const QByteArray b = d.mid(p, n);
    p += n;
    return b;
}

unsigned ByteReader::cushort()
{
    if (!need(1))
        return 0;
    if (d[p] & 1)
        return u16() >> 1;
    return u8() >> 1;
}

int ByteReader::csshort()
{
    if (!need(1))
        return 0;
    if (d[p] & 1)
        return static_cast<int>(u16() >> 1) - 16384;
    return static_cast<int>(u8() >> 1) - 64;
}

std::uint32_t ByteReader::culong()
{
    if (!need(1))
        return 0;
    if (d[p] & 1)
        return u32() >> 1;
    return u16() >> 1;
}

std::int32_t ByteReader::cslong()
{
    if (!need(1))
        return 0;
    if (d[p] & 1)
        return static_cast<std::int32_t>(u32() >> 1) - 0x40000000;
    return static_cast<std::int32_t>(u16() >> 1) - 16384;
}

namespace {

// The viewer's table: one signed value per byte, built from its rules rather than typed out.
std::array<std::int8_t, 256> makeHashTable()
{
    std::array<std::int8_t, 256> t{};
    auto set = [&t](int c, int v) { t[static_cast<size_t>(c)] = static_cast<std::int8_t>(static_cast<std::uint8_t>(v)); };
    for (int c = 0x01; c <= 0x1F; ++c)
        set(c, 0xD1 + (c - 0x01));
    set(' ', 0xF0);
    set('!', 0x0B);
    for (int c = 0x22; c <= 0x2D; ++c)
        set(c, 0xF2 + (c - 0x22));
    set('.', 12);
    set('/', 0xFF);
    set('0', 10);
    for (int c = '1'; c <= '9'; ++c)
        set(c, c - '0');
    const char punct[] = ":;<=>?@";
    for (int i = 0; punct[i]; ++i)
        set(punct[i], 0x0A + i);
    for (int c = 'A'; c <= 'Z'; ++c) {
        set(c, 17 + (c - 'A'));
        set(c + 32, 17 + (c - 'A'));
    }
    set('[', 0x0B);
    set('\\', 0x0C);
    set(']', 0x0D);
    set('^', 0x0E);
    set('_', 13);
    set('`', 0x10);
    for (int c = '{'; c <= 0x7F; ++c)
        set(c, 0x2B + (c - '{'));
    for (int c = 0x80; c <= 0xFF; ++c)
        set(c, c - 0x30);
    set(0xB4, 0x0B);
    return t;
}

} // namespace

std::int32_t contextHash(const QByteArray& context)
{
    static const std::array<std::int8_t, 256> table = makeHashTable();
    if (context.isEmpty())
        return 1;
    std::uint32_t h = 0;
    for (const char c : context)
        h = h * 43u + static_cast<std::uint32_t>(static_cast<std::int32_t>(table[static_cast<unsigned char>(c)]));
    return static_cast<std::int32_t>(h);
}

bool isPortableContextChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

} // namespace hlp

namespace hlp {

namespace {

struct FoldTables {
    std::array<unsigned char, 256> base{};  // upper case, accents removed
    std::array<unsigned char, 256> upper{}; // upper case, accents kept
};

const FoldTables& foldTables()
{
    static const FoldTables t = [] {
        FoldTables f;
        for (int c = 0; c < 256; ++c) {
            f.base[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
            f.upper[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
        }
        for (int c = 'a'; c <= 'z'; ++c) {
            f.base[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 32);
            f.upper[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 32);
        }
        // Code page 1252 letters: lower-case 0xE0-0xFE (except 0xF7) map to 0xC0-0xDE.
        for (int c = 0xE0; c <= 0xFE; ++c) {
            if (c != 0xF7)
                f.upper[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 0x20);
        }
        f.upper[0x9A] = 0x8A;
        f.upper[0x9C] = 0x8C;
        f.upper[0x9E] = 0x8E;
        f.upper[0xFF] = 0x9F;
        const char* groups[] = {"A\xC0\xC1\xC2\xC3\xC4\xC5", "C\xC7", "E\xC8\xC9\xCA\xCB", "I\xCC\xCD\xCE\xCF", "N\xD1",
                                "O\xD2\xD3\xD4\xD5\xD6\xD8", "U\xD9\xDA\xDB\xDC", "Y\xDD\x9F", "S\x8A", "Z\x8E"};
        std::array<unsigned char, 256> plain{};
        for (int c = 0; c < 256; ++c)
            plain[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
        for (const char* g : groups) {
            const unsigned char letter = static_cast<unsigned char>(g[0]);
            for (const char* p = g + 1; *p; ++p)
                plain[static_cast<unsigned char>(*p)] = letter;
        }
        for (int c = 0; c < 256; ++c)
            f.base[static_cast<size_t>(c)] = plain[f.upper[static_cast<size_t>(c)]];
        return f;
    }();
    return t;
}

int compareWith(const std::array<unsigned char, 256>& table, const QByteArray& a, const QByteArray& b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char x = table[static_cast<unsigned char>(a[i])];
        const unsigned char y = table[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

int compareKeywords(const QByteArray& a, const QByteArray& b)
{
    const FoldTables& t = foldTables();
    const int first = compareWith(t.base, a, b);
    return first != 0 ? first : compareWith(t.upper, a, b);
}

void keywordFoldKeys(const QByteArray& keyword, std::string& base, std::string& upper)
{
    const FoldTables& t = foldTables();
    base.resize(static_cast<size_t>(keyword.size()));
    upper.resize(static_cast<size_t>(keyword.size()));
    for (qsizetype i = 0; i < keyword.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(keyword[i]);
        base[static_cast<size_t>(i)] = static_cast<char>(t.base[c]);
        upper[static_cast<size_t>(i)] = static_cast<char>(t.upper[c]);
    }
}

} // namespace hlp
