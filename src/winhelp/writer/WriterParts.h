#pragma once
// The .hlp writer's parts, one file each: TopicRecords.cpp turns topics into topic records,
// TopicLayout.cpp places them in uncompressed 4 KB blocks, CompressedTopic.cpp in LZ77
// blocks, SystemFiles.cpp writes |SYSTEM and |FONT, IndexFiles.cpp |CONTEXT, |TTLBTREE, the
// keyword files and |CTXOMAP, and HlpWriter.cpp puts the internal files together.
#include "winhelp/writer/HlpWriter.h"

#include <QByteArray>
#include <array>
#include <string>
#include <unordered_map>
#include <vector>

namespace hlp::writer {

constexpr int kBlockSize = 4096;
constexpr int kBlockData = kBlockSize - 12;
constexpr int kLinkHeader = 21;
// Offsets in a type-2 record's LinkData1 of the fields known only once every topic is placed.
constexpr int kHeaderBrowseBack = 4, kHeaderBrowseFor = 8, kHeaderNonScroll = 16, kHeaderScroll = 20, kHeaderNextTopic = 24;
// Offset of NextBlock in the 21-byte link header.
constexpr int kLinkNext = 12;

// LinkData1 and LinkData2 of every record follow each other in one shared buffer (Writer::m_data):
// one growing buffer instead of two small allocations per record.
struct Record {
    std::uint8_t type = 0x20; // 0x02 topic header, 0x20 text, 0x23 table row
    qsizetype data = 0; // where LinkData1 starts in the shared buffer; LinkData2 follows it
    int ld1Size = 0;
    int ld2Size = 0;
    int topicLength = 0; // characters this record adds to TOPICOFFSET
    int topic = -1;
    bool nonScroll = false;
    // layout
    std::int32_t pos = 0;
    std::uint32_t offset = 0;
    int patchIndex = 0; // compressed: the first of its bytes written after the layout, in its block's list
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
    int index(const CharFormat& f);
    const std::vector<CharFormat>& formats() const { return m_formats; }

private:
    std::unordered_map<std::uint64_t, int> m_index;
    std::vector<CharFormat> m_formats;
};

class Writer {
public:
    explicit Writer(const HlpWriteInput& in) : m_in(in), m_project(*in.project), m_doc(*in.document) {}
    QByteArray run();

private:
    // TopicRecords.cpp
    void buildRecords();
    Record paragraphRecord(const Topic& topic, const Paragraph& para);
    Record tableRecord(const Topic& topic, size_t first, size_t end);
    int paragraphCommands(const Topic& topic, const Paragraph& para);
    void paragraphInfo(const ParaFormat& f, std::uint8_t extraBorder);
    Record finishRecord(std::uint8_t type, int hotspots);
    int fontIndex(const CharFormat& f);
    int windowNumber(const QByteArray& name) const;

    // TopicLayout.cpp
    void fixedHeaderFields();
    void layout();
    void positionalHeaderFields();
    std::int32_t headerField(int topic, int field) const;
    qsizetype topicSize() const;
    void renderTopic(char* base) const;
    void blockHeader(Scratch& head, int block) const;

    // CompressedTopic.cpp
    void layoutCompressed();
    void patchCompressed();
    qsizetype compressedTopicSize() const;
    void renderCompressedTopic(char* base) const;

    // SystemFiles.cpp
    QByteArray systemFile();
    QByteArray fontFile();

    // IndexFiles.cpp
    QByteArray contextFile();
    QByteArray titleFile();
    void keywordFiles(QByteArray& btree, QByteArray& data, QByteArray& map);
    QByteArray mapFile();
    std::unordered_map<std::int32_t, std::uint32_t> offsetsByHash() const;

    const HlpWriteInput& m_in;
    const HelpProject& m_project;
    const HelpDocument& m_doc;
    FontTable m_fonts;
    // Text alternates between a few formats (plain, bold, italic...): skip the table for those.
    std::array<std::pair<CharFormat, int>, 4> m_recentFonts{{{{}, -1}, {{}, -1}, {{}, -1}, {{}, -1}}};
    size_t m_nextRecent = 0;
    QByteArray m_data; // LinkData1 and LinkData2 of every record
    Scratch m_ld2, m_cmds, m_info, m_values, m_ext, m_body;
    std::vector<Record> m_records;
    std::vector<int> m_headerRecord; // topic -> its type-2 record; one more for the terminator
    std::vector<std::uint32_t> m_topicOffset;
    std::vector<std::int32_t> m_browseBack, m_browseFor, m_nonScroll, m_scroll;
    int m_blocks = 0;
    std::vector<std::int32_t> m_blockFirstLink;
    std::vector<std::int32_t> m_blockLastLink;
    std::vector<std::int32_t> m_blockLastHeader;
    // Compressed blocks: each block's LZ77 stream, and where in it the bytes of the fields known
    // only after the layout are (offset in the block's raw data, offset in the stream), in the
    // order of the records (see Record::patchIndex).
    std::vector<std::string> m_streams;
    std::vector<std::vector<std::pair<qsizetype, qsizetype>>> m_streamPatches;
};

} // namespace hlp::writer
