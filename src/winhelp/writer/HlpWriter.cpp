#include "winhelp/writer/HlpWriter.h"

#include "winhelp/writer/HlpBTree.h"
#include "winhelp/format/HlpBytes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <map>
#include <unordered_map>

namespace hlp {

namespace {

constexpr int kBlockSize = 4096;
constexpr int kBlockData = kBlockSize - 12;
constexpr int kLinkHeader = 21;

// LinkData1 and LinkData2 of every record follow each other in one shared buffer (Writer::m_data):
// one growing buffer instead of two small allocations per record.
struct Record {
    std::uint8_t type = 0x20;
    qsizetype data = 0; // where LinkData1 starts in the shared buffer; LinkData2 follows it
    int ld1Size = 0;
    int ld2Size = 0;
    int topicLength = 0; // characters this record adds to TOPICOFFSET
    int topic = -1;
    bool nonScroll = false;
    // layout
    std::int32_t pos = 0;
    std::uint32_t offset = 0;
    int size() const { return kLinkHeader + ld1Size + ld2Size; }
};

// Little-endian encoding into a std::string, whose buffer is kept when cleared: the scratch
// buffers of one paragraph are reused for the next.
class Scratch {
public:
    std::string s;

    void clear() { s.clear(); }
    int size() const { return static_cast<int>(s.size()); }
    void u8(unsigned v) { s.push_back(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v)
    {
        const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
        s.append(b, 2);
    }
    void u32(std::uint32_t v)
    {
        const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
                           static_cast<char>((v >> 24) & 0xFF)};
        s.append(b, 4);
    }
    void i16(int v) { u16(static_cast<unsigned>(v) & 0xFFFF); }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void raw(const char* b, qsizetype n) { s.append(b, static_cast<size_t>(n)); }
    void raw(const QByteArray& b) { raw(b.constData(), b.size()); }
    void stringz(const QByteArray& b)
    {
        raw(b);
        s.push_back('\0');
    }
    // The compressed forms, as ByteWriter writes them.
    void cushort(unsigned v)
    {
        if (v < 0x80)
            u8(v * 2);
        else
            u16(v * 2 + 1);
    }
    void csshort(int v)
    {
        if (v >= -64 && v < 64)
            u8(static_cast<unsigned>(v + 64) * 2);
        else
            u16(static_cast<unsigned>(v + 16384) * 2 + 1);
    }
    void cslong(std::int32_t v)
    {
        if (v >= -16384 && v < 16384)
            u16(static_cast<std::uint32_t>(v + 16384) * 2);
        else
            u32(static_cast<std::uint32_t>(v + 0x40000000) * 2 + 1);
    }
};

class FontTable {
public:
    int index(const CharFormat& f)
    {
        const std::uint64_t key = (static_cast<std::uint64_t>(f.face & 0xFFFF) << 48)
            | (static_cast<std::uint64_t>(f.halfPoints & 0xFF) << 40) | (static_cast<std::uint64_t>(f.attrs) << 32)
            | (static_cast<std::uint64_t>(f.red) << 16) | (static_cast<std::uint64_t>(f.green) << 8) | f.blue;
        const auto it = m_index.find(key);
        if (it != m_index.end())
            return it->second;
        const int n = static_cast<int>(m_formats.size());
        m_formats.push_back(f);
        m_index.emplace(key, n);
        return n;
    }
    const std::vector<CharFormat>& formats() const { return m_formats; }

private:
    std::unordered_map<std::uint64_t, int> m_index;
    std::vector<CharFormat> m_formats;
};

int halfPointsFromTwips(int twips)
{
    return qBound(-16384, twips / 10, 16383);
}

class Writer {
public:
    explicit Writer(const HlpWriteInput& in) : m_in(in), m_project(*in.project), m_doc(*in.document) {}
    QByteArray run();

private:
    void buildRecords();
    Record paragraphRecord(const Topic& topic, const Paragraph& para);
    int fontIndex(const CharFormat& f);
    void layout();
    void topicHeaders();
    qsizetype topicSize() const;
    void renderTopic(char* base) const;
    QByteArray systemFile();
    QByteArray fontFile();
    QByteArray contextFile();
    QByteArray titleFile();
    void keywordFiles(QByteArray& btree, QByteArray& data, QByteArray& map);
    QByteArray mapFile();
    int windowNumber(const QByteArray& name) const;

    const HlpWriteInput& m_in;
    const HelpProject& m_project;
    const HelpDocument& m_doc;
    FontTable m_fonts;
    // Text alternates between a few formats (plain, bold, italic...): skip the table for those.
    std::array<std::pair<CharFormat, int>, 4> m_recentFonts{{{{}, -1}, {{}, -1}, {{}, -1}, {{}, -1}}};
    size_t m_nextRecent = 0;
    QByteArray m_data; // LinkData1 and LinkData2 of every record
    Scratch m_ld2, m_cmds, m_info, m_values, m_ext;
    std::vector<Record> m_records;
    std::vector<int> m_headerRecord; // topic -> its type-2 record; one more for the terminator
    std::vector<std::uint32_t> m_topicOffset;
    int m_blocks = 0;
    std::vector<std::int32_t> m_blockFirstLink;
    std::vector<std::int32_t> m_blockLastLink;
    std::vector<std::int32_t> m_blockLastHeader;
};

int Writer::windowNumber(const QByteArray& name) const
{
    for (size_t i = 0; i < m_project.windows.size(); ++i) {
        if (m_project.windows[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int Writer::fontIndex(const CharFormat& f)
{
    for (const auto& [format, index] : m_recentFonts) {
        if (index >= 0 && format == f)
            return index;
    }
    const int n = m_fonts.index(f);
    m_recentFonts[m_nextRecent] = {f, n};
    m_nextRecent = (m_nextRecent + 1) % m_recentFonts.size();
    return n;
}

Record Writer::paragraphRecord(const Topic& topic, const Paragraph& para)
{
    // LinkData2 holds the text, one NUL-terminated string before each command of LinkData1.
    Scratch& ld2 = m_ld2;
    Scratch& cmds = m_cmds;
    ld2.clear();
    cmds.clear();
    auto command = [&]() { ld2.s.push_back('\0'); };
    int font = -1;
    auto setFont = [&](const CharFormat& f) {
        const int n = fontIndex(f);
        if (n == font)
            return;
        font = n;
        command();
        cmds.u8(0x80);
        cmds.u16(static_cast<unsigned>(n));
    };
    setFont(para.items.empty() ? para.markFormat : para.items.front().format);

    for (const Item& it : para.items) {
        switch (it.kind) {
        case ItemKind::Text: {
            setFont(it.format);
            const char* text = it.text.constData();
            const qsizetype n = it.text.size();
            if (!memchr(text, '\0', static_cast<size_t>(n))) {
                ld2.raw(text, n);
                break;
            }
            for (qsizetype i = 0; i < n; ++i) {
                if (text[i] != '\0')
                    ld2.s.push_back(text[i]);
            }
            break;
        }
        case ItemKind::LineBreak:
            command();
            cmds.u8(0x81);
            break;
        case ItemKind::Tab:
            command();
            cmds.u8(0x83);
            break;
        case ItemKind::NbSpace:
            command();
            cmds.u8(0x8B);
            break;
        case ItemKind::Picture: {
            const auto found = m_in.pictureIndex.find(it.text.toLower());
            if (found == m_in.pictureIndex.end())
                break; // reported by the compiler
            command();
            cmds.u8(it.placement == Placement::Character ? 0x86 : it.placement == Placement::Left ? 0x87 : 0x88);
            cmds.u8(3);
            cmds.cslong(4);
            cmds.i16(0);
            cmds.i16(found.value());
            break;
        }
        case ItemKind::HotspotBegin: {
            setFont(it.format);
            command();
            if (it.link == LinkKind::Macro) {
                cmds.u8(it.plainLink ? 0xCC : 0xC8);
                cmds.u16(static_cast<unsigned>(it.text.size() + 1));
                cmds.stringz(it.text);
                break;
            }
            const bool jump = it.link == LinkKind::Jump;
            const std::int32_t hash = contextHash(it.text);
            const LinkTarget& where = topic.linkTarget(it);
            const int window = where.window.isEmpty() ? -1 : windowNumber(where.window);
            if (where.file.isEmpty() && window < 0) {
                cmds.u8((jump ? 0xE3 : 0xE2) | (it.plainLink ? 0x04 : 0));
                cmds.i32(hash);
                break;
            }
            Scratch& ext = m_ext;
            ext.clear();
            if (where.file.isEmpty()) {
                ext.u8(1);
                ext.i32(hash);
                ext.u8(static_cast<unsigned>(window));
            } else if (where.window.isEmpty()) {
                ext.u8(4);
                ext.i32(hash);
                ext.stringz(where.file);
            } else {
                ext.u8(6);
                ext.i32(hash);
                ext.stringz(where.window);
                ext.stringz(where.file);
            }
            cmds.u8((jump ? 0xEB : 0xEA) | (it.plainLink ? 0x04 : 0));
            cmds.u16(static_cast<unsigned>(ext.size()));
            cmds.raw(ext.s.data(), ext.size());
            break;
        }
        case ItemKind::HotspotEnd:
            command();
            cmds.u8(0x89);
            break;
        }
    }
    command();
    cmds.u8(0x82);
    command();
    cmds.u8(0xFF);

    const ParaFormat& f = para.format;
    Scratch& info = m_info;
    info.clear();
    info.u8(0);
    info.u8(0x80);
    info.u16(0);
    unsigned bits = 0;
    Scratch& values = m_values;
    values.clear();
    auto metric = [&](unsigned bit, int twips) {
        const int hp = halfPointsFromTwips(twips);
        if (hp == 0)
            return;
        bits |= bit;
        values.csshort(hp);
    };
    metric(0x0002, f.spaceBefore);
    metric(0x0004, f.spaceAfter);
    metric(0x0008, f.lineSpacing);
    metric(0x0010, f.leftIndent);
    metric(0x0020, f.rightIndent);
    metric(0x0040, f.firstIndent);
    if (f.border) {
        bits |= 0x0100;
        values.u8(f.border);
        values.i16(1);
    }
    if (!f.tabs.empty()) {
        bits |= 0x0200;
        values.csshort(static_cast<int>(f.tabs.size()));
        for (const TabStop& t : f.tabs) {
            const unsigned pos = static_cast<unsigned>(qBound(0, t.position / 10, 0x3FFF));
            if (t.kind == 0) {
                values.cushort(pos);
            } else {
                values.cushort(pos | 0x4000);
                values.cushort(static_cast<unsigned>(t.kind));
            }
        }
    }
    if (f.align == Align::Right)
        bits |= 0x0400;
    else if (f.align == Align::Centre)
        bits |= 0x0800;
    if (f.noWrap)
        bits |= 0x1000;
    info.u16(bits);
    info.raw(values.s.data(), values.size());

    Record r;
    r.type = 0x20;
    r.topicLength = ld2.size();
    const std::int32_t topicSize = static_cast<std::int32_t>(info.size() + cmds.size());
    Scratch head;
    head.cslong(topicSize);
    head.cushort(static_cast<unsigned>(r.topicLength));
    r.data = m_data.size();
    r.ld1Size = head.size() + info.size() + cmds.size();
    r.ld2Size = ld2.size();
    m_data.append(head.s.data(), head.size());
    m_data.append(info.s.data(), info.size());
    m_data.append(cmds.s.data(), cmds.size());
    m_data.append(ld2.s.data(), ld2.size());
    return r;
}

void Writer::buildRecords()
{
    const int n = static_cast<int>(m_doc.topics.size());
    m_records.reserve(static_cast<size_t>(n) * 4 + 1);
    // The records take about as many bytes as the topic files they come from (text plus formatting
    // codes). Reserving that once spares the buffer's repeated growth and copies; a wrong guess
    // only costs a regrowth or unused reserved room.
    m_data.reserve(m_in.topicBytesHint);
    for (int t = 0; t <= n; ++t) {
        Record header;
        header.type = 0x02;
        header.topic = t;
        header.data = m_data.size();
        header.ld1Size = 28;
        m_data.append(28, '\0');
        if (t < n) {
            const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
            m_data.append(topic.title);
            for (const QByteArray& m : topic.macros) {
                m_data.append('\0');
                m_data.append(m);
            }
        }
        header.ld2Size = static_cast<int>(m_data.size() - header.data - header.ld1Size);
        m_headerRecord.push_back(static_cast<int>(m_records.size()));
        m_records.push_back(std::move(header));
        if (t == n)
            break;
        const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
        bool leading = true;
        auto add = [&](const Paragraph& p) {
            Record r = paragraphRecord(topic, p);
            r.topic = t;
            leading = leading && p.format.keepWithNext;
            r.nonScroll = leading;
            m_records.push_back(std::move(r));
        };
        for (const Paragraph& p : topic.paragraphs)
            add(p);
        if (topic.paragraphs.empty()) {
            // Every topic keeps at least one character so that no two topics share an offset.
            add(Paragraph{});
        }
    }
}

void Writer::layout()
{
    int block = 0;
    int pos = 0;
    int countBlock = -1;
    std::uint32_t count = 0;
    std::int32_t lastLink = -1;
    std::int32_t lastHeader = 0;
    m_blockFirstLink.assign(1, -1);
    m_blockLastLink.assign(1, -1);
    m_blockLastHeader.assign(1, 0);
    auto newBlock = [&]() {
        ++block;
        m_blockFirstLink.push_back(-1);
        m_blockLastLink.push_back(lastLink);
        m_blockLastHeader.push_back(lastHeader);
    };
    for (Record& r : m_records) {
        // The link header and LinkData1 never straddle a block; LinkData2 may run on.
        if (pos + kLinkHeader + r.ld1Size > kBlockData) {
            newBlock();
            pos = 0;
        }
        r.pos = block * 0x4000 + 12 + pos;
        if (countBlock != block) {
            countBlock = block;
            count = 0;
        }
        r.offset = static_cast<std::uint32_t>(block) * 0x8000u + count;
        if (r.type == 0x20)
            count += static_cast<std::uint32_t>(r.topicLength);
        if (m_blockFirstLink[static_cast<size_t>(block)] < 0)
            m_blockFirstLink[static_cast<size_t>(block)] = r.pos;
        lastLink = r.pos;
        if (r.type == 0x02)
            lastHeader = r.pos;
        pos += r.size();
        while (pos > kBlockData) {
            newBlock();
            pos -= kBlockData;
        }
    }
    m_blocks = block + 1;
    m_topicOffset.clear();
    for (const int h : m_headerRecord)
        m_topicOffset.push_back(m_records[static_cast<size_t>(h)].offset);
}

void Writer::topicHeaders()
{
    const int n = static_cast<int>(m_doc.topics.size());

    // Browse sequences: topics with a '+' footnote, chained within their group in sequence order.
    std::vector<std::int32_t> browseBack(static_cast<size_t>(n), -1), browseFor(static_cast<size_t>(n), -1);
    {
        std::map<QByteArray, std::vector<int>> groups;
        for (int t = 0; t < n; ++t) {
            const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
            if (!topic.hasBrowse)
                continue;
            const int colon = static_cast<int>(topic.browse.indexOf(':'));
            groups[colon >= 0 ? topic.browse.left(colon).toLower() : QByteArray()].push_back(t);
        }
        for (auto& [group, members] : groups) {
            std::stable_sort(members.begin(), members.end(), [this](int a, int b) {
                const QByteArray& x = m_doc.topics[static_cast<size_t>(a)].browse;
                const QByteArray& y = m_doc.topics[static_cast<size_t>(b)].browse;
                return x.mid(x.indexOf(':') + 1).toLower() < y.mid(y.indexOf(':') + 1).toLower();
            });
            for (size_t i = 0; i + 1 < members.size(); ++i) {
                browseFor[static_cast<size_t>(members[i])] = static_cast<std::int32_t>(m_topicOffset[static_cast<size_t>(members[i + 1])]);
                browseBack[static_cast<size_t>(members[i + 1])] = static_cast<std::int32_t>(m_topicOffset[static_cast<size_t>(members[i])]);
            }
        }
    }

    // Topic headers and the links' chain.
    for (int t = 0; t <= n; ++t) {
        const int first = m_headerRecord[static_cast<size_t>(t)];
        const int next = t < n ? m_headerRecord[static_cast<size_t>(t + 1)] : static_cast<int>(m_records.size());
        std::int32_t blockSize = 0;
        std::int32_t nonScroll = -1, scroll = -1;
        for (int i = first; i < next; ++i) {
            const Record& r = m_records[static_cast<size_t>(i)];
            blockSize += r.size();
            if (r.type != 0x20)
                continue;
            if (r.nonScroll && nonScroll < 0)
                nonScroll = r.pos;
            if (!r.nonScroll && scroll < 0)
                scroll = r.pos;
        }
        QByteArray& h = m_data;
        const int at = static_cast<int>(m_records[static_cast<size_t>(first)].data);
        putU32(h, at + 0, static_cast<std::uint32_t>(blockSize));
        putU32(h, at + 4, static_cast<std::uint32_t>(t < n ? browseBack[static_cast<size_t>(t)] : -1));
        putU32(h, at + 8, static_cast<std::uint32_t>(t < n ? browseFor[static_cast<size_t>(t)] : -1));
        putU32(h, at + 12, static_cast<std::uint32_t>(t));
        putU32(h, at + 16, static_cast<std::uint32_t>(nonScroll));
        putU32(h, at + 20, static_cast<std::uint32_t>(scroll));
        putU32(h, at + 24, static_cast<std::uint32_t>(t < n ? m_records[static_cast<size_t>(next)].pos : -1));
    }

}

// Where a record starts in the topic blocks' data, block headers left out.
static qsizetype flatPosition(std::int32_t pos)
{
    const std::int32_t rel = pos - 12;
    return qsizetype(rel >> 14) * kBlockData + (rel & 0x3FFF);
}

qsizetype Writer::topicSize() const
{
    // The last block ends with its last record.
    const Record& last = m_records.back();
    const qsizetype used = flatPosition(last.pos) + last.size();
    const qsizetype lastStart = qsizetype(m_blocks - 1) * kBlockData;
    return qsizetype(m_blocks - 1) * kBlockSize + 12 + (used - lastStart);
}

// Writes |TOPIC into topicSize() zeroed bytes, in place in the output.
void Writer::renderTopic(char* const base) const
{
    // The records go straight to their place in the blocks; LinkData2 may run on past a block's
    // end, after the next block's header.
    auto put = [base](qsizetype flat, const char* src, qsizetype n) {
        while (n > 0) {
            const qsizetype block = flat / kBlockData;
            const qsizetype inBlock = flat % kBlockData;
            const qsizetype chunk = qMin(n, kBlockData - inBlock);
            memcpy(base + block * kBlockSize + 12 + inBlock, src, static_cast<size_t>(chunk));
            flat += chunk;
            src += chunk;
            n -= chunk;
        }
    };
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        const qsizetype at = flatPosition(r.pos);
        Scratch link;
        link.i32(r.size());
        link.i32(r.ld2Size);
        link.i32(i > 0 ? m_records[i - 1].pos : -1);
        link.i32(i + 1 < m_records.size() ? m_records[i + 1].pos : -1);
        link.i32(kLinkHeader + r.ld1Size);
        link.u8(r.type);
        put(at, link.s.data(), link.size());
        put(at + link.size(), m_data.constData() + r.data, r.ld1Size + r.ld2Size);
    }
    for (int b = 0; b < m_blocks; ++b) {
        Scratch head;
        head.i32(m_blockLastLink[static_cast<size_t>(b)]);
        head.i32(m_blockFirstLink[static_cast<size_t>(b)]);
        head.i32(m_blockLastHeader[static_cast<size_t>(b)]);
        memcpy(base + qsizetype(b) * kBlockSize, head.s.data(), 12);
    }
}

QByteArray Writer::systemFile()
{
    ByteWriter s;
    s.u16(0x036C);
    s.u16(33); // Windows 95 help
    s.u16(1);
    s.u32(m_in.generationDate);
    s.u16(0); // no compression, 4 KB topic blocks
    auto record = [&s](unsigned type, const QByteArray& data) {
        s.u16(type);
        s.u16(static_cast<unsigned>(data.size()));
        s.raw(data);
    };
    auto stringz = [](const QByteArray& text) {
        QByteArray b = text;
        b.append('\0');
        return b;
    };
    if (!m_project.title.isEmpty())
        record(1, stringz(m_project.title));
    record(2, stringz(m_project.copyright));
    if (!m_doc.topics.empty()) {
        ByteWriter c;
        c.u32(m_topicOffset[static_cast<size_t>(m_in.contentsTopic)]);
        record(3, c.bytes);
    }
    for (const QByteArray& macro : m_project.configMacros)
        record(4, stringz(macro));
    if (!m_in.icon.isEmpty())
        record(5, m_in.icon);
    for (const WindowDef& w : m_project.windows) {
        const bool main = w.name.compare("main", Qt::CaseInsensitive) == 0;
        unsigned flags = 0x0001 | 0x0002;
        if (!w.caption.isEmpty())
            flags |= 0x0004;
        if (w.hasPosition)
            flags |= 0x0008 | 0x0010 | 0x0020 | 0x0040;
        if (w.maximize)
            flags |= 0x0080;
        if (w.hasColour)
            flags |= 0x0100;
        if (w.hasNonScrollColour)
            flags |= 0x0200;
        if (w.onTop)
            flags |= 0x0400;
        ByteWriter win;
        win.u16(flags);
        win.fixedString(main ? QByteArray("main") : QByteArray("secondary"), 10);
        win.fixedString(w.name, 9);
        win.fixedString(w.caption, 51);
        win.i16(w.x);
        win.i16(w.y);
        win.i16(w.width);
        win.i16(w.height);
        win.u16(static_cast<unsigned>(w.maximize));
        win.u32(w.colour);
        win.u32(w.nonScrollColour);
        record(6, win.bytes);
    }
    if (!m_project.citation.isEmpty())
        record(8, stringz(m_project.citation));
    ByteWriter lcid;
    lcid.zeros(8);
    lcid.u16(m_project.hasLcid ? m_project.lcid : 0x040C);
    record(9, lcid.bytes);
    return s.bytes;
}

QByteArray Writer::fontFile()
{
    std::vector<FontFace> faces = m_doc.faces;
    if (faces.empty())
        faces.push_back({"MS Sans Serif", 3});
    const std::vector<CharFormat>& formats = m_fonts.formats();
    ByteWriter f;
    f.u16(static_cast<unsigned>(faces.size()));
    f.u16(static_cast<unsigned>(formats.size()));
    f.u16(8);
    f.u16(static_cast<unsigned>(8 + faces.size() * 32));
    for (const FontFace& face : faces)
        f.fixedString(face.name, 32);
    for (const CharFormat& c : formats) {
        const size_t face = c.face >= 0 && static_cast<size_t>(c.face) < faces.size() ? static_cast<size_t>(c.face) : 0;
        f.u8(c.attrs);
        f.u8(static_cast<unsigned>(c.halfPoints));
        f.u8(faces[face].family ? faces[face].family : 3);
        f.u16(static_cast<unsigned>(face));
        f.u8(c.red);
        f.u8(c.green);
        f.u8(c.blue);
        f.zeros(3);
    }
    return f.bytes;
}

QByteArray Writer::contextFile()
{
    std::map<std::int32_t, std::uint32_t> byHash; // signed order, as the viewer compares
    for (size_t t = 0; t < m_doc.topics.size(); ++t) {
        for (const QByteArray& c : m_doc.topics[t].contexts)
            byHash.emplace(contextHash(c), m_topicOffset[t]);
    }
    std::vector<BTreeEntry> entries;
    entries.reserve(byHash.size());
    for (const auto& [hash, offset] : byHash) {
        ByteWriter leaf;
        leaf.i32(hash);
        leaf.u32(offset);
        ByteWriter key;
        key.i32(hash);
        entries.push_back({leaf.bytes, key.bytes});
    }
    return buildBTree({"L4", 0x0002, 0x800}, entries).bytes;
}

QByteArray Writer::titleFile()
{
    std::vector<BTreeEntry> entries;
    entries.reserve(m_doc.topics.size() + 1);
    for (size_t t = 0; t <= m_doc.topics.size(); ++t) {
        ByteWriter leaf;
        leaf.u32(m_topicOffset[t]);
        leaf.stringz(t < m_doc.topics.size() ? m_doc.topics[t].title.left(1000) : QByteArray());
        ByteWriter key;
        key.u32(m_topicOffset[t]);
        entries.push_back({leaf.bytes, key.bytes});
    }
    return buildBTree({"Lz", 0x0002, 0x800}, entries).bytes;
}

void Writer::keywordFiles(QByteArray& btree, QByteArray& data, QByteArray& map)
{
    // Sorted by their folded keys, computed once per keyword: the same order as compareKeywords,
    // without folding both keywords again at each of the sort's comparisons.
    struct Keyword {
        QByteArray text;
        std::vector<std::uint32_t> offsets;
        std::string base, upper;
    };
    std::vector<Keyword> all;
    for (size_t t = 0; t < m_doc.topics.size(); ++t) {
        for (const QByteArray& k : m_doc.topics[t].keywords) {
            all.push_back({k, {m_topicOffset[t]}, {}, {}});
            keywordFoldKeys(k, all.back().base, all.back().upper);
        }
    }
    const auto order = [](const Keyword& a, const Keyword& b) {
        const int first = a.base.compare(b.base);
        return first != 0 ? first : a.upper.compare(b.upper);
    };
    std::stable_sort(all.begin(), all.end(), [&order](const Keyword& a, const Keyword& b) { return order(a, b) < 0; });
    std::vector<Keyword> merged;
    for (Keyword& k : all) {
        if (!merged.empty() && order(merged.back(), k) == 0)
            merged.back().offsets.push_back(k.offsets.front());
        else
            merged.push_back(std::move(k));
    }
    ByteWriter kwdata;
    std::vector<BTreeEntry> entries;
    entries.reserve(merged.size());
    for (Keyword& k : merged) {
        std::sort(k.offsets.begin(), k.offsets.end());
        k.offsets.erase(std::unique(k.offsets.begin(), k.offsets.end()), k.offsets.end());
        ByteWriter leaf;
        leaf.stringz(k.text);
        leaf.u16(static_cast<unsigned>(k.offsets.size()));
        leaf.u32(static_cast<std::uint32_t>(kwdata.size()));
        for (const std::uint32_t o : k.offsets)
            kwdata.u32(o);
        ByteWriter key;
        key.stringz(k.text);
        entries.push_back({leaf.bytes, key.bytes});
    }
    const BTree tree = buildBTree({"F24", 0x0002, 0x800}, entries);
    btree = tree.bytes;
    data = kwdata.bytes;
    ByteWriter kwmap;
    kwmap.u16(static_cast<unsigned>(tree.leafFirstEntry.size()));
    for (size_t page = 0; page < tree.leafFirstEntry.size(); ++page) {
        kwmap.u32(static_cast<std::uint32_t>(tree.leafFirstEntry[page]));
        kwmap.u16(static_cast<unsigned>(page));
    }
    map = kwmap.bytes;
}

QByteArray Writer::mapFile()
{
    std::unordered_map<std::int32_t, std::uint32_t> byHash;
    for (size_t t = 0; t < m_doc.topics.size(); ++t) {
        for (const QByteArray& c : m_doc.topics[t].contexts)
            byHash.emplace(contextHash(c), m_topicOffset[t]);
    }
    std::map<std::uint32_t, std::uint32_t> entries;
    for (const MapEntry& e : m_project.map) {
        const auto it = byHash.find(contextHash(e.context));
        if (it != byHash.end())
            entries.emplace(e.number, it->second);
    }
    ByteWriter m;
    m.u16(static_cast<unsigned>(entries.size()));
    for (const auto& [number, offset] : entries) {
        m.u32(number);
        m.u32(offset);
    }
    return m.bytes;
}

QByteArray Writer::run()
{
    buildRecords();
    layout();
    topicHeaders();

    // |TOPIC, the largest by far, is written in place in the output rather than copied there.
    std::vector<std::pair<QByteArray, QByteArray>> files;
    // Room for every internal file at once: no reallocation (GCC 12 at -O3 also misreads a first
    // growth from an empty vector as an out-of-bounds access).
    files.reserve(16 + m_in.pictures.size());
    files.emplace_back("|TOPIC", QByteArray());
    files.emplace_back("|SYSTEM", systemFile());
    files.emplace_back("|FONT", fontFile());
    files.emplace_back("|CONTEXT", contextFile());
    files.emplace_back("|TTLBTREE", titleFile());
    files.emplace_back("|CTXOMAP", mapFile());
    bool anyKeyword = false;
    for (const Topic& t : m_doc.topics)
        anyKeyword = anyKeyword || !t.keywords.isEmpty();
    if (anyKeyword) {
        QByteArray btree, data, map;
        keywordFiles(btree, data, map);
        files.emplace_back("|KWBTREE", btree);
        files.emplace_back("|KWDATA", data);
        files.emplace_back("|KWMAP", map);
    }
    for (size_t i = 0; i < m_in.pictures.size(); ++i)
        files.emplace_back("|bm" + QByteArray::number(static_cast<qulonglong>(i)), m_in.pictures[i]);

    ByteWriter out;
    out.u32(0x00035F3F);
    out.i32(0); // directory start, patched below
    out.i32(-1);
    out.u32(0); // file size, patched below
    std::vector<BTreeEntry> directory;
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const qsizetype topicBytes = topicSize();
    qsizetype total = 16 + 9 + 0x400 * 4;
    for (const auto& [name, content] : files)
        total += 9 + (name == "|TOPIC" ? topicBytes : content.size());
    out.bytes.reserve(total);
    for (const auto& [name, content] : files) {
        ByteWriter leaf;
        leaf.stringz(name);
        leaf.i32(out.size());
        ByteWriter key;
        key.stringz(name);
        directory.push_back({leaf.bytes, key.bytes});
        const bool topic = name == "|TOPIC";
        const qsizetype size = topic ? topicBytes : content.size();
        out.i32(static_cast<std::int32_t>(size + 9));
        out.i32(static_cast<std::int32_t>(size));
        out.u8(0);
        if (topic) {
            const qsizetype at = out.bytes.size();
            out.bytes.append(size, '\0');
            renderTopic(out.bytes.data() + at);
        } else {
            out.raw(content);
        }
    }
    const QByteArray dir = buildBTree({"z4", 0x0402, 0x400}, directory).bytes;
    const int dirStart = out.size();
    out.i32(static_cast<std::int32_t>(dir.size() + 9));
    out.i32(static_cast<std::int32_t>(dir.size()));
    out.u8(4);
    out.raw(dir);
    putU32(out.bytes, 4, static_cast<std::uint32_t>(dirStart));
    putU32(out.bytes, 12, static_cast<std::uint32_t>(out.size()));
    return out.bytes;
}

} // namespace

QByteArray writeHlp(const HlpWriteInput& input)
{
    Writer w(input);
    return w.run();
}

} // namespace hlp
