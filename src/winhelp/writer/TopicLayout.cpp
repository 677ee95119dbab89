// Where the topic records go: TOPICPOS and TOPICOFFSET of every record, the fields of the topic
// headers that point at other records, and |TOPIC in uncompressed 4 KB blocks.
#include "winhelp/writer/WriterParts.h"

#include "winhelp/model/BrowseSequence.h"

#include "winhelp/format/HlpBytes.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace hlp::writer {

// The header fields that depend on no position: the topic's size and number.
void Writer::fixedHeaderFields()
{
    const int n = static_cast<int>(m_doc.topics.size());
    for (int t = 0; t <= n; ++t) {
        const int first = m_headerRecord[static_cast<size_t>(t)];
        const int next = t < n ? m_headerRecord[static_cast<size_t>(t + 1)] : static_cast<int>(m_records.size());
        std::int32_t blockSize = 0;
        for (int i = first; i < next; ++i)
            blockSize += m_records[static_cast<size_t>(i)].size();
        const int at = static_cast<int>(m_records[static_cast<size_t>(first)].data);
        putU32(m_data, at + 0, static_cast<std::uint32_t>(blockSize));
        putU32(m_data, at + 12, static_cast<std::uint32_t>(t));
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
        if (r.type != 0x02)
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

// Browse sequences and the regions of each topic, once every record has its place.
void Writer::positionalHeaderFields()
{
    const int n = static_cast<int>(m_doc.topics.size());

    // Browse sequences: topics with a '+' footnote, chained within their group in sequence order.
    m_browseBack.assign(static_cast<size_t>(n), -1);
    m_browseFor.assign(static_cast<size_t>(n), -1);
    const std::vector<BrowseNeighbours> browse = browseSequences(m_doc);
    for (size_t t = 0; t < browse.size(); ++t) {
        if (browse[t].next >= 0)
            m_browseFor[t] = static_cast<std::int32_t>(m_topicOffset[static_cast<size_t>(browse[t].next)]);
        if (browse[t].previous >= 0)
            m_browseBack[t] = static_cast<std::int32_t>(m_topicOffset[static_cast<size_t>(browse[t].previous)]);
    }

    m_nonScroll.assign(static_cast<size_t>(n) + 1, -1);
    m_scroll.assign(static_cast<size_t>(n) + 1, -1);
    for (int t = 0; t <= n; ++t) {
        const int first = m_headerRecord[static_cast<size_t>(t)];
        const int next = t < n ? m_headerRecord[static_cast<size_t>(t + 1)] : static_cast<int>(m_records.size());
        for (int i = first; i < next; ++i) {
            const Record& r = m_records[static_cast<size_t>(i)];
            if (r.type == 0x02)
                continue;
            if (r.nonScroll && m_nonScroll[static_cast<size_t>(t)] < 0)
                m_nonScroll[static_cast<size_t>(t)] = r.pos;
            if (!r.nonScroll && m_scroll[static_cast<size_t>(t)] < 0)
                m_scroll[static_cast<size_t>(t)] = r.pos;
        }
        const int at = static_cast<int>(m_records[static_cast<size_t>(first)].data);
        for (const int field : {kHeaderBrowseBack, kHeaderBrowseFor, kHeaderNonScroll, kHeaderScroll, kHeaderNextTopic})
            putU32(m_data, at + field, static_cast<std::uint32_t>(headerField(t, field)));
    }
}

std::int32_t Writer::headerField(int t, int field) const
{
    const int n = static_cast<int>(m_doc.topics.size());
    switch (field) {
    case kHeaderBrowseBack:
        return t < n ? m_browseBack[static_cast<size_t>(t)] : -1;
    case kHeaderBrowseFor:
        return t < n ? m_browseFor[static_cast<size_t>(t)] : -1;
    case kHeaderNonScroll:
        return m_nonScroll[static_cast<size_t>(t)];
    case kHeaderScroll:
        return m_scroll[static_cast<size_t>(t)];
    default:
        return t < n ? m_records[static_cast<size_t>(m_headerRecord[static_cast<size_t>(t + 1)])].pos : -1;
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

void Writer::blockHeader(Scratch& head, int b) const
{
    head.clear();
    head.i32(m_blockLastLink[static_cast<size_t>(b)]);
    head.i32(m_blockFirstLink[static_cast<size_t>(b)]);
    head.i32(m_blockLastHeader[static_cast<size_t>(b)]);
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
    Scratch head;
    for (int b = 0; b < m_blocks; ++b) {
        blockHeader(head, b);
        memcpy(base + qsizetype(b) * kBlockSize, head.s.data(), 12);
    }
}

} // namespace hlp::writer
