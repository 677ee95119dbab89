// |TOPIC: the blocks (stored, or packed with LZ77), the chain of topic links through them, the
// topic headers (title, macros, browse sequence, non-scrolling region) and where every topic is
// (TOPICPOS, TOPICOFFSET), which the indexes point at.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <cstring>
#include <limits>

namespace hlp::fileread {

namespace {

constexpr int kLinkHeader = 21;

QString hex(std::int64_t v)
{
    return QStringLiteral("0x") + QString::number(static_cast<qulonglong>(v) & 0xFFFFFFFFull, 16);
}

} // namespace

// Where the data of each block is. Stored blocks are read in place; packed ones are unpacked
// one after the other into m_flat, as the viewers join them (a link that does not fit in its
// block goes on in the next one).
void HelpReader::unpackBlocks(const QByteArray& t)
{
    const qsizetype blocks = (t.size() + m_blockSize - 1) / m_blockSize;
    m_flat.clear();
    m_blockStart.clear();
    m_blockLength.clear();
    if (!m_lz77) {
        m_source = t;
        for (qsizetype b = 0; b < blocks; ++b) {
            const qsizetype n = qMax<qsizetype>(0, qMin<qsizetype>(m_blockSize, t.size() - b * m_blockSize) - 12);
            m_blockStart.push_back(qMin(b * m_blockSize + 12, t.size()));
            m_blockLength.push_back(n);
        }
        return;
    }
    // A block never unpacks to more than 16 KB: TOPICPOS has 14 bits for the place in a block.
    m_flat.reserve(blocks * 3 * m_blockSize);
    for (qsizetype b = 0; b < blocks; ++b) {
        const qsizetype start = b * m_blockSize + 12;
        const qsizetype n = qMax<qsizetype>(0, qMin<qsizetype>(m_blockSize, t.size() - b * m_blockSize) - 12);
        bool truncated = false;
        const QByteArray data = lz77DecodeAtMost(t.constData() + qMin(start, t.size()), n, m_decompressSize, &truncated);
        if (truncated)
            warn(QStringLiteral("|TOPIC : le bloc %1 est endommagé (compression LZ77) ; sa fin est perdue.").arg(b));
        m_blockStart.push_back(m_flat.size());
        m_blockLength.push_back(data.size());
        m_flat.append(data);
    }
    m_source = m_flat;
}

// `length` bytes of the blocks' data from TOPICPOS `pos`, going on in the next blocks; null when
// they run past the last one. Valid until the next call.
const char* HelpReader::topicBytes(std::int32_t pos, qsizetype length)
{
    if (pos < 12 || length < 0)
        return nullptr;
    const qsizetype blocks = static_cast<qsizetype>(m_blockStart.size());
    qsizetype block = (pos - 12) / m_decompressSize;
    const qsizetype inBlock = (pos - 12) % m_decompressSize;
    if (block >= blocks || inBlock >= m_blockLength[static_cast<size_t>(block)])
        return nullptr;
    const qsizetype at = m_blockStart[static_cast<size_t>(block)] + inBlock;
    if (inBlock + length <= m_blockLength[static_cast<size_t>(block)] || (m_lz77 && at + length <= m_source.size()))
        return m_source.constData() + at;
    // Stored blocks have their headers between them: the pieces are gathered (never more than
    // the topic file holds).
    if (m_lz77 || length > m_source.size())
        return nullptr;
    m_scratch.resize(length);
    qsizetype done = 0;
    qsizetype from = at;
    qsizetype available = m_blockLength[static_cast<size_t>(block)] - inBlock;
    for (;;) {
        const qsizetype n = qMin(available, length - done);
        std::memcpy(m_scratch.data() + done, m_source.constData() + from, static_cast<size_t>(n));
        done += n;
        if (done == length)
            return m_scratch.constData();
        if (++block >= blocks)
            return nullptr;
        from = m_blockStart[static_cast<size_t>(block)];
        available = m_blockLength[static_cast<size_t>(block)];
    }
}

void HelpReader::readTopics()
{
    const FileSystem::Entry* entry = m_fs.find("|TOPIC");
    if (!entry)
        refuse(QStringLiteral("|TOPIC : fichier interne absent (l'aide n'a pas de rubriques)"));
    // Read in place: only packed blocks are unpacked (into m_flat).
    const QByteArray t = m_fs.view(*entry);
    unpackBlocks(t);

    std::int32_t pos = 12;
    qsizetype countBlock = -1;
    std::uint32_t count = 0;
    bool warnedType = false;
    for (;;) {
        const char* head = topicBytes(pos, kLinkHeader);
        if (!head)
            refuse(QStringLiteral("|TOPIC : l'enregistrement %1 est hors des blocs de rubriques (fichier tronqué ou endommagé)").arg(hex(pos)));
        const QByteArray header = QByteArray::fromRawData(head, kLinkHeader);
        ByteReader h(header);
        const std::int32_t linkSize = h.i32();
        const std::int32_t dataLen2 = h.i32();
        h.i32();
        const std::int32_t next = h.i32();
        const std::int32_t dataLen1 = h.i32();
        const unsigned type = h.u8();
        const char* link = dataLen1 < kLinkHeader || linkSize < dataLen1 || dataLen2 < 0 ? nullptr : topicBytes(pos, linkSize);
        if (!link)
            refuse(QStringLiteral("|TOPIC : l'enregistrement %1 a des tailles impossibles (%2, %3)").arg(hex(pos)).arg(linkSize).arg(dataLen1));
        const qsizetype block = (pos - 12) / m_decompressSize;
        if (block != countBlock) {
            countBlock = block;
            count = 0;
        }
        Record r;
        r.pos = pos;
        r.type = type;
        r.ld1 = link + kLinkHeader;
        r.ld1Size = dataLen1 - kLinkHeader;
        r.ld2 = expandText(link + dataLen1, linkSize - dataLen1, dataLen2, pos);
        switch (type) {
        case 0x02:
            topicHeader(r, static_cast<std::uint32_t>(block) * 0x8000u + count);
            break;
        case 0x01:
        case 0x20:
        case 0x23:
            if (m_doc.topics.empty()) {
                warn(QStringLiteral("|TOPIC : du texte précède la première rubrique ; il est ignoré."));
                break;
            }
            if (type != 0x01) {
                const QByteArray ld1 = QByteArray::fromRawData(r.ld1, r.ld1Size);
                ByteReader l(ld1);
                l.cslong();
                m_recordOffset = static_cast<std::uint32_t>(block) * 0x8000u + count;
                count += l.cushort();
            }
            textRecord(r);
            break;
        default:
            if (!warnedType)
                warn(QStringLiteral("|TOPIC : enregistrement de type %1 inconnu ; il est ignoré.").arg(hex(type)));
            warnedType = true;
            break;
        }
        // 3.0 gives the distance to the next link, later versions its TOPICPOS; both end with a
        // value of 0 or -1. Links only go forward: one that turns back would loop.
        if (next <= 0)
            break;
        std::int64_t following = m_before31 ? std::int64_t(pos) + next : next;
        if (m_before31 && following >= t.size())
            break;
        if (following <= pos || following > std::numeric_limits<std::int32_t>::max())
            refuse(QStringLiteral("|TOPIC : la chaîne des enregistrements revient en arrière en %1 (boucle)").arg(hex(pos)));
        pos = static_cast<std::int32_t>(following);
    }
    // The chain ends with an empty header that is no topic.
    if (!m_doc.topics.empty()) {
        const Topic& last = m_doc.topics.back();
        if (last.title.isEmpty() && last.macros.isEmpty() && last.paragraphs.empty()) {
            m_doc.topics.pop_back();
            m_places.pop_back();
        }
    }
    if (m_doc.topics.empty())
        refuse(QStringLiteral("|TOPIC : l'aide n'a aucune rubrique"));
    m_source.clear();
    m_scratch.clear();
    m_flat.clear();
    m_flat.squeeze();
}

void HelpReader::topicHeader(const Record& r, std::uint32_t offset)
{
    TopicPlace place;
    place.pos = r.pos;
    place.offset = offset;
    const QByteArray ld1 = QByteArray::fromRawData(r.ld1, r.ld1Size);
    ByteReader h(ld1);
    h.i32();
    place.browseBack = h.i32();
    place.browseFor = h.i32();
    m_nonScrollEnd = -1;
    if (!m_before31) {
        h.i32();
        const std::int32_t nonScroll = h.i32();
        const std::int32_t scroll = h.i32();
        if (nonScroll != -1)
            m_nonScrollEnd = scroll == -1 ? std::numeric_limits<std::int32_t>::max() : scroll;
    }
    if (!h.ok())
        refuse(QStringLiteral("|TOPIC : en-tête de rubrique tronqué en %1").arg(hex(r.pos)));
    // The title, then the macros, each ended by a NUL but the last (copies: LinkData2 is read
    // in place).
    Topic topic;
    const char* const ld2 = r.ld2.constData();
    for (qsizetype start = 0, part = 0; start <= r.ld2.size(); ++part) {
        const qsizetype nul = r.ld2.indexOf('\0', start);
        const qsizetype end = nul < 0 ? r.ld2.size() : nul;
        if (part == 0)
            topic.title = QByteArray(ld2 + start, end - start);
        else if (end > start)
            topic.macros << QByteArray(ld2 + start, end - start);
        start = end + 1;
    }
    m_doc.topics.push_back(std::move(topic));
    m_places.push_back(place);
    m_format = m_fonts.empty() ? CharFormat{} : m_fonts.front();
}

} // namespace hlp::fileread
