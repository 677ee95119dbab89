#pragma once
// Little-endian byte building and reading for the .hlp format, its compressed integers and the
// context-string hash.
#include <QByteArray>
#include <cstdint>
#include <string>

namespace hlp {

class ByteWriter {
public:
    QByteArray bytes;

    void u8(unsigned v) { bytes.append(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xFFFF); }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void raw(const QByteArray& b) { bytes.append(b); }
    void stringz(const QByteArray& s)
    {
        bytes.append(s);
        bytes.append('\0');
    }
    // Fixed-size field, NUL padded; the text is cut so that one NUL always remains.
    void fixedString(const QByteArray& s, int size);
    void zeros(int n) { bytes.append(n, '\0'); }

    // Compressed forms: the low bit of the first byte tells the long form.
    void cushort(unsigned v);
    void csshort(int v);
    void culong(std::uint32_t v);
    void cslong(std::int32_t v);

    int size() const { return static_cast<int>(bytes.size()); }
};

void putU16(QByteArray& b, int at, unsigned v);
void putU32(QByteArray& b, int at, std::uint32_t v);

// Reads little-endian values from `data` between `pos` and `end` (-1: its end). Every read is
// bounded on both sides: a position before the data's start or past `end` (a negative or too
// large offset taken from a damaged file) reads nothing and leaves ok() false for good.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& data, int pos = 0, int end = -1)
        : d(data), p(pos), e(end < 0 || end > data.size() ? static_cast<int>(qMin<qsizetype>(data.size(), 0x7FFFFFFF)) : end)
    {
    }
    bool ok() const { return good; }
    int pos() const { return p; }
    void seek(int pos) { p = pos; }
    int end() const { return e; }
    const QByteArray& data() const { return d; }
    bool atEnd() const { return p >= e; }

    unsigned u8();
    unsigned u16();
    std::uint32_t u32();
    int i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    QByteArray stringz();
    QByteArray bytes(int n);

    unsigned cushort();
    int csshort();
    std::uint32_t culong();
    std::int32_t cslong();

private:
    bool need(int n);
    const QByteArray& d;
    int p;
    int e;
    bool good = true;
};

// The WinHelp context hash (case-insensitive). The empty string hashes to 1.
std::int32_t contextHash(const QByteArray& context);

// Characters that both Microsoft's viewer and other readers hash alike.
bool isPortableContextChar(char c);

} // namespace hlp

namespace hlp {

// Keyword order of |KWBTREE: without regard to case, accented letters beside their base letter.
// Zero means the same keyword (they differ at most in letter case).
int compareKeywords(const QByteArray& a, const QByteArray& b);

// The same order as byte strings: compareKeywords(a, b) orders a and b as their base keys do,
// then, if those are equal, as their upper keys do (std::string compares bytes as unsigned).
void keywordFoldKeys(const QByteArray& keyword, std::string& base, std::string& upper);

} // namespace hlp
