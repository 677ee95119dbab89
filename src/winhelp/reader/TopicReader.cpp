// The .hlp reader's |TOPIC: the blocks (stored, or LZ77-compressed), the chain of topic links,
// TOPICPOS and TOPICOFFSET of every record, the topic headers, the text records and the table
// records with their paragraphs, commands, hot spots and pictures.
#include "winhelp/reader/HlpFileReader.h"

#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"

#include <algorithm>
#include <set>

namespace hlp {

namespace {

constexpr int kBlockSize = 4096;
constexpr int kBlockData = kBlockSize - 12;

QString hex(std::int64_t v)
{
    return QStringLiteral("0x") + QString::number(static_cast<qulonglong>(v) & 0xFFFFFFFFull, 16);
}

} // namespace

// The blocks' data one after the other, as the viewers join them; where each block starts in it
// and how many bytes it holds.
QByteArray HlpFile::unpackTopic(const QByteArray& t, std::vector<qsizetype>& blockStart, std::vector<qsizetype>& blockSize)
{
    const bool compressed = m_system.flags != 0 && m_system.minor > 16;
    const int size = m_system.flags == 4 || !compressed ? kBlockSize : 2048;
    const int blocks = static_cast<int>((t.size() + size - 1) / size);
    QByteArray flat;
    for (int b = 0; b < blocks; ++b) {
        const qsizetype start = qsizetype(b) * size;
        const qsizetype stored = qMin<qsizetype>(size, t.size() - start) - 12;
        blockStart.push_back(flat.size());
        if (!compressed) {
            flat.append(t.mid(start + 12, kBlockData));
            blockSize.push_back(kBlockData);
            continue;
        }
        if (b + 1 == blocks && stored + 12 < 0x44)
            problem(QStringLiteral("|TOPIC: the last block has %1 bytes; viewers read it from the block before").arg(stored + 12));
        bool truncated = false;
        const QByteArray data = lz77Decode(t.constData() + start + 12, qMax<qsizetype>(0, stored), &truncated);
        if (truncated)
            problem(QStringLiteral("|TOPIC: block %1 ends inside a match or refers before its start").arg(b));
        flat.append(data);
        blockSize.push_back(data.size());
    }
    m_topicBytes = flat.size();
    return flat;
}

// The paragraph info and the commands of one paragraph (a text record, or a table cell), up to
// its 0xFF. `text` is where its strings start in LinkData2, and is left after them.
bool HlpFile::readParagraph(ByteReader& p, const QByteArray& ld2, int& text, Paragraph& para, Topic& topic, std::int32_t pos,
                            int& hotspots)
{
    p.u8();
    p.u8();
    p.u16();
    para.bits = p.u16();
    for (unsigned bit = 0x0002; bit <= 0x0040; bit <<= 1)
        if (para.bits & bit)
            p.csshort();
    if (para.bits & 0x0100) {
        para.border = static_cast<std::uint8_t>(p.u8());
        p.i16();
    }
    if (para.bits & 0x0200) {
        const int tabs = p.csshort();
        for (int i = 0; i < tabs; ++i)
            if (p.cushort() & 0x4000)
                p.cushort();
    }
    // Strings and commands alternate.
    Link* open = nullptr;
    for (;;) {
        const int nul = static_cast<int>(ld2.indexOf('\0', text));
        if (nul < 0) {
            problem(QStringLiteral("|TOPIC: record %1: fewer strings than commands").arg(hex(pos)));
            return false;
        }
        const QByteArray s = ld2.mid(text, nul - text);
        para.text += s;
        if (open)
            open->text += s;
        text = nul + 1;
        const unsigned c = p.u8();
        if (!p.ok()) {
            problem(QStringLiteral("|TOPIC: record %1: commands end without 0xFF").arg(hex(pos)));
            return false;
        }
        switch (c) {
        case 0x80: {
            const int font = static_cast<int>(p.u16());
            if (font >= static_cast<int>(m_fonts.size()))
                problem(QStringLiteral("|TOPIC: record %1 uses font %2 of %3").arg(hex(pos)).arg(font).arg(m_fonts.size()));
            para.fonts << font;
            break;
        }
        case 0x81:
            para.text += '\n';
            break;
        case 0x82:
            // Another paragraph with the same format follows in the same place.
            if (p.pos() < p.end() && ByteReader(p).u8() != 0xFF)
                para.text += '\r';
            break;
        case 0x83:
            para.text += '\t';
            break;
        case 0x8B:
            para.text += ' ';
            break;
        case 0x86:
        case 0x87:
        case 0x88: {
            const unsigned kind = p.u8();
            const std::int32_t size = p.cslong();
            const int spots = kind == 0x22 ? static_cast<int>(p.cushort()) : 0;
            const int start = p.pos();
            if (kind == 3 || kind == 0x22) {
                const int where = p.i16();
                const int n = p.i16();
                const HelpPictureInfo* picture = this->picture(n);
                if (where != 0 || !hasFile("|bm" + QByteArray::number(n)))
                    problem(QStringLiteral("|TOPIC: record %1 shows missing picture |bm%2").arg(hex(pos)).arg(n));
                else if (picture && static_cast<int>(picture->hotspots.size()) != spots)
                    problem(QStringLiteral("|TOPIC: record %1 announces %2 hot spots for |bm%3, which has %4")
                                .arg(hex(pos)).arg(spots).arg(n).arg(picture->hotspots.size()));
                para.pictures << n;
                para.pictureCommands << static_cast<std::uint8_t>(c);
                para.pictureHotspots << spots;
                hotspots += spots;
            }
            p.seek(start + size);
            break;
        }
        case 0x89:
            if (!open)
                problem(QStringLiteral("|TOPIC: record %1 ends a hot spot that was not opened").arg(hex(pos)));
            open = nullptr;
            break;
        case 0xC8:
        case 0xCC: {
            const int len = static_cast<int>(p.u16());
            Link l;
            l.command = static_cast<std::uint8_t>(c);
            l.macro = p.bytes(len);
            if (!l.macro.endsWith('\0'))
                problem(QStringLiteral("|TOPIC: record %1: macro without its NUL").arg(hex(pos)));
            l.macro = l.macro.left(static_cast<int>(l.macro.indexOf('\0')));
            topic.links.push_back(l);
            open = &topic.links.back();
            break;
        }
        case 0xE2:
        case 0xE3:
        case 0xE6:
        case 0xE7: {
            Link l;
            l.command = static_cast<std::uint8_t>(c);
            l.hash = p.i32();
            topic.links.push_back(l);
            open = &topic.links.back();
            break;
        }
        case 0xEA:
        case 0xEB:
        case 0xEE:
        case 0xEF: {
            const int len = static_cast<int>(p.u16());
            const int start = p.pos();
            Link l;
            l.command = static_cast<std::uint8_t>(c);
            const unsigned type = p.u8();
            l.hash = p.i32();
            if (type == 1 && p.u8() >= m_system.windows.size())
                problem(QStringLiteral("|TOPIC: record %1 opens a window that |SYSTEM does not define").arg(hex(pos)));
            p.seek(start + len);
            topic.links.push_back(l);
            open = &topic.links.back();
            break;
        }
        case 0xFF:
            if (open)
                problem(QStringLiteral("|TOPIC: record %1 leaves a hot spot open").arg(hex(pos)));
            return true;
        default:
            problem(QStringLiteral("|TOPIC: record %1: unknown command %2").arg(hex(pos), hex(c)));
            return false;
        }
    }
}

void HlpFile::readTopics()
{
    const QByteArray t = file("|TOPIC");
    if (t.isEmpty()) {
        problem(QStringLiteral("no |TOPIC"));
        return;
    }
    const bool compressed = m_system.flags != 0;
    std::vector<qsizetype> blockStart, blockSize;
    const QByteArray flat = unpackTopic(t, blockStart, blockSize);
    const int blocks = static_cast<int>(blockStart.size());

    struct Seen {
        std::int32_t pos;
        std::uint8_t type;
    };
    std::vector<Seen> links;
    std::int32_t pos = 12, previous = -1;
    int countBlock = -1;
    std::uint32_t count = 0;
    Topic* current = nullptr;
    std::vector<Topic> all;
    std::vector<std::int32_t> nextTopicField;
    std::vector<std::pair<std::int32_t, std::int32_t>> scrollFields; // nonScroll, scroll per topic
    std::vector<std::vector<std::int32_t>> topicRecords;
    while (pos != -1) {
        if (links.size() > 10000000 || pos < 12) {
            problem(QStringLiteral("|TOPIC: link chain broken at %1").arg(hex(pos)));
            return;
        }
        const int block = (pos - 12) >> 14;
        const int inBlock = (pos - 12) & 0x3FFF;
        const qsizetype room = compressed ? (block < blocks ? blockSize[static_cast<size_t>(block)] : 0) : kBlockData;
        const qsizetype at = block < blocks ? blockStart[static_cast<size_t>(block)] + inBlock : flat.size();
        if (block >= blocks || inBlock + 21 > room || at + 21 > flat.size()) {
            problem(QStringLiteral("|TOPIC: link at %1 outside the blocks").arg(hex(pos)));
            return;
        }
        ByteReader h(flat, static_cast<int>(at));
        const std::int32_t linkSize = h.i32();
        const std::int32_t dataLen2 = h.i32();
        const std::int32_t prev = h.i32();
        const std::int32_t next = h.i32();
        const std::int32_t dataLen1 = h.i32();
        const unsigned type = h.u8();
        if (prev != previous)
            problem(QStringLiteral("|TOPIC: link %1 has PrevBlock %2, expected %3").arg(hex(pos), hex(prev), hex(previous)));
        if (dataLen1 < 21 || linkSize < dataLen1 || at + linkSize > flat.size() || (!compressed && inBlock + dataLen1 > kBlockData)) {
            problem(QStringLiteral("|TOPIC: link %1 has bad sizes").arg(hex(pos)));
            return;
        }
        if (dataLen2 != linkSize - dataLen1)
            problem(QStringLiteral("|TOPIC: link %1: DataLen2 %2 but %3 bytes stored").arg(hex(pos)).arg(dataLen2).arg(linkSize - dataLen1));
        const QByteArray ld1 = flat.mid(at + 21, dataLen1 - 21);
        const QByteArray ld2 = flat.mid(at + dataLen1, linkSize - dataLen1);
        if (block != countBlock) {
            countBlock = block;
            count = 0;
        }
        links.push_back({pos, static_cast<std::uint8_t>(type)});
        if (type == 0x02) {
            if (ld1.size() != 28) {
                problem(QStringLiteral("|TOPIC: topic header %1 of %2 bytes").arg(hex(pos)).arg(ld1.size()));
                return;
            }
            ByteReader th(ld1);
            th.i32();
            Topic topic;
            topic.pos = pos;
            topic.offset = static_cast<std::uint32_t>(block) * 0x8000u + count;
            topic.browseBack = th.i32();
            topic.browseFor = th.i32();
            topic.number = th.i32();
            const std::int32_t nonScroll = th.i32();
            const std::int32_t scroll = th.i32();
            nextTopicField.push_back(th.i32());
            scrollFields.push_back({nonScroll, scroll});
            const QList<QByteArray> parts = ld2.split('\0');
            topic.title = parts.value(0);
            for (int i = 1; i < parts.size(); ++i)
                topic.macros << parts[i];
            if (topic.number != static_cast<int>(all.size()))
                problem(QStringLiteral("|TOPIC: topic %1 numbered %2").arg(all.size()).arg(topic.number));
            all.push_back(topic);
            topicRecords.emplace_back();
            current = &all.back();
        } else if (type == 0x20 || type == 0x23) {
            if (!current) {
                problem(QStringLiteral("|TOPIC: text before the first topic header"));
                return;
            }
            topicRecords.back().push_back(pos);
            ByteReader p(ld1);
            const std::int32_t topicSize = p.cslong();
            const unsigned topicLength = p.cushort();
            if (topicSize != ld1.size() - p.pos())
                problem(QStringLiteral("|TOPIC: record %1: TopicSize %2, %3 bytes follow").arg(hex(pos)).arg(topicSize).arg(ld1.size() - p.pos()));
            int text = 0;
            int hotspots = 0;
            if (type == 0x20) {
                Paragraph para;
                readParagraph(p, ld2, text, para, *current, pos, hotspots);
                current->paragraphs.push_back(para);
            } else {
                TableRow row;
                row.columns = static_cast<int>(p.u8());
                row.type = static_cast<int>(p.u8());
                if (row.type == 0 || row.type == 2)
                    p.i16();
                for (int c = 0; c < row.columns; ++c) {
                    const int a = p.i16();
                    row.widths.emplace_back(a, p.i16());
                }
                if (row.columns < 1)
                    problem(QStringLiteral("|TOPIC: table row %1 without columns").arg(hex(pos)));
                const int index = static_cast<int>(current->rows.size());
                current->rows.push_back(row);
                int last = -1;
                for (;;) {
                    const int column = p.i16();
                    if (!p.ok() || column == -1)
                        break;
                    if (column < 0 || column >= row.columns || column < last)
                        problem(QStringLiteral("|TOPIC: table row %1: cell %2 of %3 columns, after %4").arg(hex(pos)).arg(column).arg(row.columns).arg(last));
                    last = column;
                    p.i16();
                    p.u8();
                    Paragraph para;
                    para.row = index;
                    para.column = column;
                    const bool read = readParagraph(p, ld2, text, para, *current, pos, hotspots);
                    current->paragraphs.push_back(para);
                    if (!read)
                        break;
                }
                if (!p.ok())
                    problem(QStringLiteral("|TOPIC: table row %1 does not end with -1").arg(hex(pos)));
            }
            if (static_cast<std::int32_t>(topicLength) != dataLen2 + hotspots)
                problem(QStringLiteral("|TOPIC: record %1: TopicLength %2, DataLen2 %3 and %4 hot spots")
                            .arg(hex(pos)).arg(topicLength).arg(dataLen2).arg(hotspots));
            count += topicLength;
            if (text != ld2.size())
                problem(QStringLiteral("|TOPIC: record %1: %2 bytes of text left over").arg(hex(pos)).arg(ld2.size() - text));
            if (p.pos() != ld1.size())
                problem(QStringLiteral("|TOPIC: record %1: bytes after its end").arg(hex(pos)));
        } else {
            problem(QStringLiteral("|TOPIC: record %1 of type %2").arg(hex(pos), hex(type)));
        }
        previous = pos;
        // Links only go forward: a chain that turns back would loop.
        if (next != -1 && next <= pos) {
            problem(QStringLiteral("|TOPIC: link %1 leads back to %2").arg(hex(pos), hex(next)));
            return;
        }
        pos = next;
    }

    // Block headers.
    for (int b = 0; b < blocks; ++b) {
        ByteReader h(t, b * (compressed && m_system.flags != 4 ? 2048 : kBlockSize));
        const std::int32_t lastLink = h.i32();
        const std::int32_t firstLink = h.i32();
        const std::int32_t lastHeader = h.i32();
        std::int32_t wantFirst = -1, wantLast = -1, wantHeader = 0;
        for (const Seen& s : links) {
            const int sb = (s.pos - 12) >> 14;
            if (sb < b) {
                wantLast = s.pos;
                if (s.type == 0x02)
                    wantHeader = s.pos;
            } else if (sb == b && wantFirst < 0) {
                wantFirst = s.pos;
            }
        }
        if (lastLink != wantLast || firstLink != wantFirst || lastHeader != wantHeader)
            problem(QStringLiteral("|TOPIC: block %1 header (%2, %3, %4), expected (%5, %6, %7)")
                        .arg(b)
                        .arg(hex(lastLink), hex(firstLink), hex(lastHeader), hex(wantLast), hex(wantFirst), hex(wantHeader)));
    }

    // Topic headers against what follows them.
    if (all.empty() || links.back().type != 0x02 || !all.back().title.isEmpty() || !topicRecords.back().empty()) {
        problem(QStringLiteral("|TOPIC: the chain does not end with an empty topic header"));
        return;
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const std::int32_t wantNext = i + 1 < all.size() ? all[i + 1].pos : -1;
        if (nextTopicField[i] != wantNext)
            problem(QStringLiteral("|TOPIC: topic %1 NextTopic %2, expected %3").arg(i).arg(hex(nextTopicField[i]), hex(wantNext)));
        const auto [nonScroll, scroll] = scrollFields[i];
        const std::vector<std::int32_t>& records = topicRecords[i];
        if (nonScroll != -1 && (records.empty() || records.front() != nonScroll))
            problem(QStringLiteral("|TOPIC: topic %1 NonScroll does not point at its first record").arg(i));
        if (scroll != -1 && std::find(records.begin(), records.end(), scroll) == records.end())
            problem(QStringLiteral("|TOPIC: topic %1 Scroll does not point at one of its records").arg(i));
        if (i + 1 < all.size() && nonScroll == -1 && scroll == -1)
            problem(QStringLiteral("|TOPIC: topic %1 has no region").arg(i));
        const bool hasNonScroll = nonScroll != -1;
        // Records and paragraphs: a table record holds several paragraphs.
        size_t record = 0;
        for (size_t k = 0; k < all[i].paragraphs.size(); ++k) {
            Paragraph& para = all[i].paragraphs[k];
            if (k > 0 && !(para.row >= 0 && para.row == all[i].paragraphs[k - 1].row))
                ++record;
            const std::int32_t at = record < records.size() ? records[record] : -1;
            para.nonScroll = hasNonScroll && (scroll == -1 || at < scroll);
        }
        m_allHeaderOffsets.push_back(all[i].offset);
        if (i > 0 && all[i].offset <= all[i - 1].offset)
            problem(QStringLiteral("|TOPIC: topics %1 and %2 share offset %3").arg(i - 1).arg(i).arg(hex(all[i].offset)));
    }
    all.pop_back();
    m_topics = std::move(all);
    for (const Topic& topic : m_topics) {
        for (const std::int32_t target : {topic.browseBack, topic.browseFor}) {
            if (target != -1 && !topicAt(static_cast<std::uint32_t>(target)))
                problem(QStringLiteral("|TOPIC: topic %1 browses to %2, no topic there").arg(topic.number).arg(hex(target)));
        }
        if (topic.browseFor != -1) {
            const Topic* next = topicAt(static_cast<std::uint32_t>(topic.browseFor));
            if (next && next->browseBack != static_cast<std::int32_t>(topic.offset))
                problem(QStringLiteral("|TOPIC: browse sequence not symmetric at topic %1").arg(topic.number));
        }
    }
}

} // namespace hlp
