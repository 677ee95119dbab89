// |TOPIC in LZ77-compressed blocks. Each 4096-byte block holds its 12-byte header and an LZ77
// stream of at most 4084 bytes that unpacks to at most 16384 bytes; TOPICPOS counts in unpacked
// bytes (block * 0x4000 + 12 + offset).
//
// The records are compressed as they are placed, so each block takes as many as fit. The fields
// that point at later records (NextBlock, the topic headers' browse, region and next-topic
// fields) are not known yet: they are stored as literals that the encoder never matches, and are
// written into the streams once every record has its place.
//
// A record too large for a block of its own starts a block and runs on into the next ones; each
// block it fills then has a stream of exactly 4084 bytes, so that the readers, which unpack a
// block's whole 4084 bytes and join the blocks, find the record's bytes back to back.
#include "winhelp/writer/WriterParts.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <algorithm>
#include <cstring>

namespace hlp::writer {

namespace {

constexpr qsizetype kMaxUnpacked = 0x4000;
// A last block shorter than this is read from the wrong place by one viewer.
constexpr qsizetype kShortestLastBlock = 0x44;

} // namespace

void Writer::layoutCompressed()
{
    Lz77Encoder encoder;
    encoder.start();
    std::string raw;                // the block's unpacked bytes
    std::vector<std::uint8_t> later; // bytes written after the layout
    std::string image;
    std::vector<std::uint8_t> imageLater;
    int block = 0;
    std::uint32_t count = 0;
    std::int32_t lastLink = -1;
    std::int32_t lastHeader = 0;
    m_blockFirstLink.assign(1, -1);
    m_blockLastLink.assign(1, -1);
    m_blockLastHeader.assign(1, 0);
    m_streams.clear();
    m_streamPatches.clear();

    auto closeBlock = [&]() {
        m_streams.push_back(encoder.output());
        m_streamPatches.push_back(encoder.patches());
        ++block;
        m_blockFirstLink.push_back(-1);
        m_blockLastLink.push_back(lastLink);
        m_blockLastHeader.push_back(lastHeader);
        raw.clear();
        later.clear();
        count = 0;
        encoder.start();
    };
    auto place = [&](Record& r, qsizetype at, size_t patchIndex) {
        r.pos = block * 0x4000 + 12 + static_cast<std::int32_t>(at);
        r.patchIndex = static_cast<int>(patchIndex);
        r.offset = static_cast<std::uint32_t>(block) * 0x8000u + count;
        if (r.type != 0x02)
            count += static_cast<std::uint32_t>(r.topicLength);
        if (m_blockFirstLink[static_cast<size_t>(block)] < 0)
            m_blockFirstLink[static_cast<size_t>(block)] = r.pos;
        lastLink = r.pos;
        if (r.type == 0x02)
            lastHeader = r.pos;
    };

    // A record's bytes, the fields written later marked.
    auto append = [this](size_t i, std::string& bytes, std::vector<std::uint8_t>& marks) {
        const Record& r = m_records[i];
        Scratch link;
        link.i32(r.size());
        link.i32(r.ld2Size);
        link.i32(i > 0 ? m_records[i - 1].pos : -1);
        link.i32(0); // NextBlock, written later
        link.i32(kLinkHeader + r.ld1Size);
        link.u8(r.type);
        const size_t at = bytes.size();
        bytes.append(link.s);
        bytes.append(m_data.constData() + r.data, static_cast<size_t>(r.ld1Size + r.ld2Size));
        marks.resize(bytes.size(), 0);
        std::fill_n(marks.begin() + static_cast<std::ptrdiff_t>(at) + kLinkNext, 4, 1);
        if (r.type == 0x02) {
            for (const int field : {kHeaderBrowseBack, kHeaderBrowseFor, kHeaderNonScroll, kHeaderScroll, kHeaderNextTopic})
                std::fill_n(marks.begin() + static_cast<std::ptrdiff_t>(at) + kLinkHeader + field, 4, 1);
        }
    };

    for (size_t i = 0; i < m_records.size(); ++i) {
        Record& r = m_records[i];
        const qsizetype size = r.size();

        for (;;) {
            const qsizetype start = static_cast<qsizetype>(raw.size());
            if (start + size <= kMaxUnpacked) {
                const Lz77Encoder::Mark mark = encoder.mark();
                append(i, raw, later);
                encoder.encode(raw.data(), later.data(), static_cast<qsizetype>(raw.size()));
                if (encoder.size() <= kBlockData) {
                    place(r, start, mark.patches);
                    break;
                }
                encoder.rewind(mark);
                raw.resize(static_cast<size_t>(start));
                later.resize(static_cast<size_t>(start));
            }
            if (start > 0) {
                closeBlock(); // and try again in an empty block
                continue;
            }
            // Larger than a block: it starts here and fills blocks to the byte until its end fits.
            encoder.start();
            place(r, 0, 0);
            image.clear();
            imageLater.clear();
            append(i, image, imageLater);
            qsizetype done = 0;
            for (;;) {
                const qsizetype piece = qMin(size - done, kMaxUnpacked);
                raw.assign(image, static_cast<size_t>(done), static_cast<size_t>(piece));
                later.assign(imageLater.begin() + done, imageLater.begin() + done + piece);
                if (!encoder.fill(raw.data(), later.data(), piece, kBlockData))
                    break; // the rest fits: the block stays open for the records that follow
                done += encoder.done();
                raw.resize(static_cast<size_t>(encoder.done()));
                closeBlock();
                if (done == size)
                    break;
            }
            break;
        }
    }
    if (!raw.empty() || m_streams.empty()) {
        m_streams.push_back(encoder.output());
        m_streamPatches.push_back(encoder.patches());
    } else {
        // The last record filled its block to the end: no block follows it.
        m_blockFirstLink.pop_back();
        m_blockLastLink.pop_back();
        m_blockLastHeader.pop_back();
    }
    std::string& last = m_streams.back();
    if (static_cast<qsizetype>(last.size()) + 12 < kShortestLastBlock)
        last.append(static_cast<size_t>(kShortestLastBlock - 12 - static_cast<qsizetype>(last.size())), '\0');
    m_blocks = static_cast<int>(m_streams.size());
    m_topicOffset.clear();
    for (const int h : m_headerRecord)
        m_topicOffset.push_back(m_records[static_cast<size_t>(h)].offset);
}

// Writes the fields known after the layout into the streams, where the encoder left them as
// literals. A record's marked bytes follow each other in its block's list, in the order of the
// record's bytes: NextBlock, then for a topic header its five fields.
void Writer::patchCompressed()
{
    auto put = [this](const Record& r, int& index, int field, std::int32_t value) {
        const size_t block = static_cast<size_t>((r.pos - 12) >> 14);
        const qsizetype at = ((r.pos - 12) & 0x3FFF) + field;
        const auto& patches = m_streamPatches[block];
        std::string& stream = m_streams[block];
        for (int k = 0; k < 4; ++k, ++index) {
            Q_ASSERT(patches[static_cast<size_t>(index)].first == at + k);
            stream[static_cast<size_t>(patches[static_cast<size_t>(index)].second)] =
                static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * k)) & 0xFF);
        }
    };
    int topic = 0;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        int index = r.patchIndex;
        put(r, index, kLinkNext, i + 1 < m_records.size() ? m_records[i + 1].pos : -1);
        if (r.type != 0x02)
            continue;
        for (const int field : {kHeaderBrowseBack, kHeaderBrowseFor, kHeaderNonScroll, kHeaderScroll, kHeaderNextTopic})
            put(r, index, kLinkHeader + field, headerField(topic, field));
        ++topic;
    }
}

qsizetype Writer::compressedTopicSize() const
{
    return qsizetype(m_blocks - 1) * kBlockSize + 12 + static_cast<qsizetype>(m_streams.back().size());
}

// Writes |TOPIC into compressedTopicSize() zeroed bytes: the zeros after a stream fill its block.
void Writer::renderCompressedTopic(char* const base) const
{
    Scratch head;
    for (int b = 0; b < m_blocks; ++b) {
        char* at = base + qsizetype(b) * kBlockSize;
        blockHeader(head, b);
        memcpy(at, head.s.data(), 12);
        const std::string& stream = m_streams[static_cast<size_t>(b)];
        memcpy(at + 12, stream.data(), stream.size());
    }
}

} // namespace hlp::writer
