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
    auto place = [&](Record& r, qsizetype at) {
        r.pos = block * 0x4000 + 12 + static_cast<std::int32_t>(at);
        r.offset = static_cast<std::uint32_t>(block) * 0x8000u + count;
        if (r.type != 0x02)
            count += static_cast<std::uint32_t>(r.topicLength);
        if (m_blockFirstLink[static_cast<size_t>(block)] < 0)
            m_blockFirstLink[static_cast<size_t>(block)] = r.pos;
        lastLink = r.pos;
        if (r.type == 0x02)
            lastHeader = r.pos;
    };

    for (size_t i = 0; i < m_records.size(); ++i) {
        Record& r = m_records[i];
        Scratch link;
        link.i32(r.size());
        link.i32(r.ld2Size);
        link.i32(i > 0 ? m_records[i - 1].pos : -1);
        link.i32(0); // NextBlock, written later
        link.i32(kLinkHeader + r.ld1Size);
        link.u8(r.type);
        image.assign(link.s);
        image.append(m_data.constData() + r.data, static_cast<size_t>(r.ld1Size + r.ld2Size));
        imageLater.assign(image.size(), 0);
        std::fill_n(imageLater.begin() + kLinkNext, 4, 1);
        if (r.type == 0x02) {
            for (const int field : {kHeaderBrowseBack, kHeaderBrowseFor, kHeaderNonScroll, kHeaderScroll, kHeaderNextTopic})
                std::fill_n(imageLater.begin() + kLinkHeader + field, 4, 1);
        }
        const qsizetype size = static_cast<qsizetype>(image.size());

        for (;;) {
            const qsizetype start = static_cast<qsizetype>(raw.size());
            if (start + size <= kMaxUnpacked) {
                const Lz77Encoder::Mark mark = encoder.mark();
                raw.append(image);
                later.insert(later.end(), imageLater.begin(), imageLater.end());
                encoder.encode(raw.data(), later.data(), static_cast<qsizetype>(raw.size()));
                if (encoder.size() <= kBlockData) {
                    place(r, start);
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
            place(r, 0);
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
// literals.
void Writer::patchCompressed()
{
    auto put = [this](std::int32_t pos, int field, std::int32_t value) {
        const size_t block = static_cast<size_t>((pos - 12) >> 14);
        const qsizetype at = ((pos - 12) & 0x3FFF) + field;
        const auto& patches = m_streamPatches[block];
        std::string& stream = m_streams[block];
        for (int k = 0; k < 4; ++k) {
            const auto it = std::lower_bound(patches.begin(), patches.end(), at + k,
                                             [](const std::pair<qsizetype, qsizetype>& p, qsizetype raw) { return p.first < raw; });
            if (it != patches.end() && it->first == at + k)
                stream[static_cast<size_t>(it->second)] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * k)) & 0xFF);
        }
    };
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& r = m_records[i];
        put(r.pos, kLinkNext, i + 1 < m_records.size() ? m_records[i + 1].pos : -1);
    }
    for (size_t t = 0; t < m_headerRecord.size(); ++t) {
        const Record& r = m_records[static_cast<size_t>(m_headerRecord[t])];
        for (const int field : {kHeaderBrowseBack, kHeaderBrowseFor, kHeaderNonScroll, kHeaderScroll, kHeaderNextTopic})
            put(r.pos, kLinkHeader + field, headerField(static_cast<int>(t), field));
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
