// |TOPIC: the blocks (stored, or packed with LZ77), the chain of topic links through them, the
// topic headers (title, macros, browse sequence, non-scrolling region) and where every topic is
// (TOPICPOS, TOPICOFFSET), which the indexes point at.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <limits>

namespace hlp::fileread {

namespace {

constexpr int kLinkHeader = 21;

QString hex(std::int64_t v)
{
    return QStringLiteral("0x") + QString::number(static_cast<qulonglong>(v) & 0xFFFFFFFFull, 16);
}

} // namespace

// The blocks' data one after the other, as the viewers join them: a link that does not fit in
// its block goes on in the next one.
void HelpReader::unpackBlocks(const QByteArray& t)
{
    const qsizetype blocks = (t.size() + m_blockSize - 1) / m_blockSize;
    m_flat.clear();
    m_blockStart.clear();
    m_blockLength.clear();
    if (!m_lz77) {
        m_flat.reserve(t.size());
        for (qsizetype b = 0; b < blocks; ++b) {
            const qsizetype start = b * m_blockSize + 12;
            const qsizetype n = qMax<qsizetype>(0, qMin<qsizetype>(m_blockSize, t.size() - b * m_blockSize) - 12);
            m_blockStart.push_back(m_flat.size());
            m_blockLength.push_back(n);
            m_flat.append(t.constData() + qMin(start, t.size()), n);
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
}

// Where a TOPICPOS is in the joined data, or -1.
qsizetype HelpReader::flatAt(std::int32_t pos) const
{
    if (pos < 12)
        return -1;
    const qsizetype block = (pos - 12) / m_decompressSize;
    const qsizetype inBlock = (pos - 12) % m_decompressSize;
    if (block >= static_cast<qsizetype>(m_blockStart.size()) || inBlock >= m_blockLength[static_cast<size_t>(block)])
        return -1;
    return m_blockStart[static_cast<size_t>(block)] + inBlock;
}

void HelpReader::readTopics()
{
    const FileSystem::Entry* entry = m_fs.find("|TOPIC");
    if (!entry)
        refuse(QStringLiteral("|TOPIC : fichier interne absent (l'aide n'a pas de rubriques)"));
    const QByteArray t = m_fs.content(*entry);
    unpackBlocks(t);

    std::int32_t pos = 12;
    qsizetype countBlock = -1;
    std::uint32_t count = 0;
    bool warnedType = false;
    for (;;) {
        const qsizetype at = flatAt(pos);
        if (at < 0 || at + kLinkHeader > m_flat.size())
            refuse(QStringLiteral("|TOPIC : l'enregistrement %1 est hors des blocs de rubriques (fichier tronqué ou endommagé)").arg(hex(pos)));
        ByteReader h(m_flat, static_cast<int>(at));
        const std::int32_t linkSize = h.i32();
        const std::int32_t dataLen2 = h.i32();
        h.i32();
        const std::int32_t next = h.i32();
        const std::int32_t dataLen1 = h.i32();
        const unsigned type = h.u8();
        if (dataLen1 < kLinkHeader || linkSize < dataLen1 || at + linkSize > m_flat.size() || dataLen2 < 0)
            refuse(QStringLiteral("|TOPIC : l'enregistrement %1 a des tailles impossibles (%2, %3)").arg(hex(pos)).arg(linkSize).arg(dataLen1));
        const qsizetype block = (pos - 12) / m_decompressSize;
        if (block != countBlock) {
            countBlock = block;
            count = 0;
        }
        Record r;
        r.pos = pos;
        r.type = type;
        r.ld1 = m_flat.constData() + at + kLinkHeader;
        r.ld1Size = dataLen1 - kLinkHeader;
        r.ld2 = expandText(m_flat.constData() + at + dataLen1, linkSize - dataLen1, dataLen2, pos);
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
                ByteReader l(m_flat, static_cast<int>(at + kLinkHeader), static_cast<int>(at + dataLen1));
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
    Topic topic;
    const QList<QByteArray> parts = r.ld2.split('\0');
    topic.title = parts.value(0);
    for (qsizetype i = 1; i < parts.size(); ++i)
        if (!parts[i].isEmpty())
            topic.macros << parts[i];
    m_doc.topics.push_back(std::move(topic));
    m_places.push_back(place);
    m_format = m_fonts.empty() ? CharFormat{} : m_fonts.front();
}

} // namespace hlp::fileread
