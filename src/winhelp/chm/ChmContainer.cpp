#include "winhelp/chm/ChmContainer.h"

#include "winhelp/chm/Lzx.h"

#include <QString>
#include <algorithm>
#include <cstring>

namespace hlp::chm {

namespace {

constexpr int ChunkSize = 0x1000;
constexpr int Density = 2; // a quick reference every 1 + 2^2 entries
constexpr int QuickStep = 1 + (1 << Density);
constexpr int WindowBits = 16;
constexpr int ResetFrames = 2;
const char* const LzxGuid = "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}";

void putQword(QByteArray& out, std::uint64_t v)
{
    putDword(out, static_cast<std::uint32_t>(v));
    putDword(out, static_cast<std::uint32_t>(v >> 32));
}
void setDword(QByteArray& out, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void setWord(QByteArray& out, qsizetype at, std::uint32_t v)
{
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A GUID as the file stores it: one DWORD, two WORDs, eight bytes.
void putGuid(QByteArray& out, std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint64_t d)
{
    putDword(out, a);
    putWord(out, b);
    putWord(out, c);
    for (int i = 7; i >= 0; --i)
        out.append(static_cast<char>((d >> (8 * i)) & 0xFF));
}

// Seven bits a byte, the highest first; every byte but the last has its top bit set.
void putEncint(QByteArray& out, std::uint64_t v)
{
    char tmp[10];
    int n = 0;
    do {
        tmp[n++] = static_cast<char>(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n-- > 0)
        out.append(static_cast<char>(tmp[n] | (n > 0 ? 0x80 : 0)));
}

QByteArray utf16(const char* ascii, bool terminated)
{
    QByteArray out;
    for (const char* p = ascii; *p; ++p)
        putWord(out, static_cast<unsigned char>(*p));
    if (terminated)
        putWord(out, 0);
    return out;
}

struct DirEntry {
    QByteArray name;
    int section = 0;
    std::uint64_t offset = 0, length = 0;
};

// Chunks of one level of the directory, each filled with entries and closed with its quick
// reference area (every fifth entry's place, then the count, from the chunk's end backwards).
// `header` is the chunk's fixed start; its free-space field is filled on closing.
class ChunkWriter {
public:
    ChunkWriter(QByteArray& out, QByteArray header) : m_out(out), m_header(std::move(header)) {}

    bool fits(qsizetype entrySize) const
    {
        const qsizetype entries = m_count + 1;
        const qsizetype quick = 2 + 2 * (entries - 1) / QuickStep;
        return m_header.size() + m_body.size() + entrySize + quick <= ChunkSize;
    }
    void add(const QByteArray& entry)
    {
        if (m_count % QuickStep == 0 && m_count > 0)
            m_quick.push_back(static_cast<std::uint16_t>(m_body.size()));
        m_body += entry;
        ++m_count;
    }
    int count() const { return m_count; }
    void close()
    {
        QByteArray chunk = m_header + m_body;
        const qsizetype free = ChunkSize - chunk.size();
        chunk.append(QByteArray(free, '\0'));
        setDword(chunk, 4, static_cast<std::uint32_t>(free));
        setWord(chunk, ChunkSize - 2, static_cast<std::uint32_t>(m_count));
        for (size_t i = 0; i < m_quick.size(); ++i)
            setWord(chunk, ChunkSize - 4 - 2 * static_cast<qsizetype>(i), m_quick[i]);
        m_out += chunk;
        m_body.clear();
        m_quick.clear();
        m_count = 0;
    }

private:
    QByteArray& m_out;
    QByteArray m_header;
    QByteArray m_body;
    std::vector<std::uint16_t> m_quick;
    int m_count = 0;
};

struct Directory {
    QByteArray chunks;
    int depth = 1;
    int root = -1;
    int listings = 0;
    int total = 0;
};

Directory writeDirectory(const std::vector<DirEntry>& entries)
{
    Directory dir;
    // Listing chunks, each linked to the one before and after it.
    QByteArray listingHeader("PMGL", 4);
    listingHeader.append(QByteArray(16, '\0'));
    ChunkWriter listing(dir.chunks, listingHeader);
    std::vector<QByteArray> firstNames;
    for (const DirEntry& e : entries) {
        QByteArray entry;
        putEncint(entry, static_cast<std::uint64_t>(e.name.size()));
        entry += e.name;
        putEncint(entry, static_cast<std::uint64_t>(e.section));
        putEncint(entry, e.offset);
        putEncint(entry, e.length);
        if (!listing.fits(entry.size())) {
            listing.close();
        }
        if (listing.count() == 0)
            firstNames.push_back(e.name);
        listing.add(entry);
    }
    listing.close();
    dir.listings = static_cast<int>(dir.chunks.size() / ChunkSize);
    for (int c = 0; c < dir.listings; ++c) {
        const qsizetype at = qsizetype(c) * ChunkSize;
        setDword(dir.chunks, at + 12, c == 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(c - 1));
        setDword(dir.chunks, at + 16, c + 1 == dir.listings ? 0xFFFFFFFFu : static_cast<std::uint32_t>(c + 1));
    }
    // Index chunks over them, level by level, up to one root.
    std::vector<int> level(static_cast<size_t>(dir.listings));
    for (int c = 0; c < dir.listings; ++c)
        level[static_cast<size_t>(c)] = c;
    while (level.size() > 1) {
        QByteArray indexHeader("PMGI", 4);
        indexHeader.append(QByteArray(4, '\0'));
        ChunkWriter index(dir.chunks, indexHeader);
        std::vector<QByteArray> names;
        std::vector<int> chunks;
        int next = static_cast<int>(dir.chunks.size() / ChunkSize);
        for (size_t i = 0; i < level.size(); ++i) {
            QByteArray entry;
            putEncint(entry, static_cast<std::uint64_t>(firstNames[i].size()));
            entry += firstNames[i];
            putEncint(entry, static_cast<std::uint64_t>(level[i]));
            if (!index.fits(entry.size())) {
                index.close();
                ++next;
            }
            if (index.count() == 0) {
                names.push_back(firstNames[i]);
                chunks.push_back(next);
            }
            index.add(entry);
        }
        index.close();
        firstNames = names;
        level = chunks;
        ++dir.depth;
    }
    dir.total = static_cast<int>(dir.chunks.size() / ChunkSize);
    if (dir.depth > 1)
        dir.root = level.front();
    return dir;
}

} // namespace

bool directoryLess(const QByteArray& a, const QByteArray& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

struct ChmPacker::State {
    std::uint32_t lcid;
    std::vector<DirEntry> dir{{"/", 0, 0, 0}};
    LzxStream stream{WindowBits, ResetFrames}; // the compressed section: its files one after the other
    QByteArray section0;                        // the uncompressed section
};

ChmPacker::ChmPacker(std::uint32_t lcid) : m_state(std::make_unique<State>())
{
    m_state->lcid = lcid;
}

ChmPacker::~ChmPacker() = default;

void ChmPacker::add(const QByteArray& name, QByteArrayView bytes, bool compressed)
{
    State& s = *m_state;
    if (compressed) {
        s.dir.push_back({name, 1, s.stream.size(), static_cast<std::uint64_t>(bytes.size())});
        s.stream.append(bytes);
    } else {
        s.dir.push_back({name, 0, static_cast<std::uint64_t>(s.section0.size()), static_cast<std::uint64_t>(bytes.size())});
        s.section0.append(bytes.data(), bytes.size());
    }
}

void putWord(QByteArray& out, std::uint32_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}
void putDword(QByteArray& out, std::uint32_t v)
{
    putWord(out, v & 0xFFFF);
    putWord(out, v >> 16);
}

QByteArray packChm(const std::vector<ChmEntry>& input, std::uint32_t lcid)
{
    ChmPacker packer(lcid);
    for (const ChmEntry& e : input)
        packer.add(e.name, e.bytes, e.compressed);
    return packer.finish();
}

QByteArray ChmPacker::finish()
{
    std::vector<DirEntry>& dir = m_state->dir;
    QByteArray& section0 = m_state->section0;
    const std::uint32_t lcid = m_state->lcid;
    const std::uint64_t plainSize = m_state->stream.size();
    const LzxOutput lzx = m_state->stream.finish();

    // After the files kept as they are: what describes the stream, then the stream itself.
    const auto add0 = [&](const QByteArray& name, const QByteArray& bytes) {
        dir.push_back({name, 0, static_cast<std::uint64_t>(section0.size()), static_cast<std::uint64_t>(bytes.size())});
        section0 += bytes;
    };

    QByteArray names;
    putWord(names, 2 + 2 * 14);
    putWord(names, 2);
    putWord(names, 12);
    names += utf16("Uncompressed", true);
    putWord(names, 12);
    names += utf16("MSCompressed", true);
    add0("::DataSpace/NameList", names);

    QByteArray control;
    putDword(control, 6);
    control.append("LZXC", 4);
    putDword(control, 2);            // version: the sizes below count 32 KB frames
    putDword(control, ResetFrames);  // reset interval
    putDword(control, (1u << WindowBits) / LzxFrameSize);
    putDword(control, 1);            // windows per reset
    putDword(control, 0);
    add0("::DataSpace/Storage/MSCompressed/ControlData", control);

    QByteArray span;
    putQword(span, plainSize);
    add0("::DataSpace/Storage/MSCompressed/SpanInfo", span);

    add0("::DataSpace/Storage/MSCompressed/Transform/List", utf16(LzxGuid, false));

    QByteArray reset;
    putDword(reset, 2);
    putDword(reset, static_cast<std::uint32_t>(lzx.frameStarts.size()));
    putDword(reset, 8);
    putDword(reset, 0x28);
    putQword(reset, plainSize);
    putQword(reset, static_cast<std::uint64_t>(lzx.data.size()));
    putQword(reset, LzxFrameSize);
    for (std::uint64_t start : lzx.frameStarts)
        putQword(reset, start);
    add0(QByteArray("::DataSpace/Storage/MSCompressed/Transform/") + LzxGuid + "/InstanceData/ResetTable", reset);

    add0("::DataSpace/Storage/MSCompressed/Content", lzx.data);

    std::sort(dir.begin(), dir.end(), [](const DirEntry& a, const DirEntry& b) { return directoryLess(a.name, b.name); });
    const Directory chunks = writeDirectory(dir);

    // ITSF header, header section 0, the directory (ITSP and its chunks), then the content.
    constexpr std::uint32_t itsfSize = 0x60, section0HeaderSize = 0x18, itspSize = 0x54;
    const std::uint64_t directoryOffset = itsfSize + section0HeaderSize;
    const std::uint64_t directorySize = itspSize + static_cast<std::uint64_t>(chunks.chunks.size());
    const std::uint64_t contentOffset = directoryOffset + directorySize;
    const std::uint64_t fileSize = contentOffset + static_cast<std::uint64_t>(section0.size());

    QByteArray out;
    out.reserve(static_cast<qsizetype>(fileSize));
    out.append("ITSF", 4);
    putDword(out, 3);
    putDword(out, itsfSize);
    putDword(out, 1);
    putDword(out, 0); // time stamp: none, so that one project always gives the same bytes
    putDword(out, lcid);
    putGuid(out, 0x7C01FD10, 0x7BAA, 0x11D0, 0x9E0C00A0C922E6ECull);
    putGuid(out, 0x7C01FD11, 0x7BAA, 0x11D0, 0x9E0C00A0C922E6ECull);
    putQword(out, itsfSize);
    putQword(out, section0HeaderSize);
    putQword(out, directoryOffset);
    putQword(out, directorySize);
    putQword(out, contentOffset);

    putDword(out, 0x01FE);
    putDword(out, 0);
    putQword(out, fileSize);
    putDword(out, 0);
    putDword(out, 0);

    out.append("ITSP", 4);
    putDword(out, 1);
    putDword(out, itspSize);
    putDword(out, 0x0A);
    putDword(out, ChunkSize);
    putDword(out, Density);
    putDword(out, static_cast<std::uint32_t>(chunks.depth));
    putDword(out, static_cast<std::uint32_t>(chunks.root));
    putDword(out, 0);
    putDword(out, static_cast<std::uint32_t>(chunks.listings - 1));
    putDword(out, 0xFFFFFFFFu);
    putDword(out, static_cast<std::uint32_t>(chunks.total));
    putDword(out, lcid);
    putGuid(out, 0x5D02926A, 0x212E, 0x11D0, 0x9DF900A0C922E6ECull);
    putDword(out, itspSize);
    putDword(out, 0xFFFFFFFFu);
    putDword(out, 0xFFFFFFFFu);
    putDword(out, 0xFFFFFFFFu);
    out += chunks.chunks;
    out += section0;
    return out;
}

} // namespace hlp::chm
