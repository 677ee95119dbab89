// Topics as topic records: a type-2 header per topic, a 0x20 record per paragraph and a 0x23
// record per table row. LinkData1 holds the paragraph format and the commands, LinkData2 the text,
// one NUL-terminated string before each command.
#include "winhelp/writer/WriterParts.h"

#include "winhelp/format/HlpBytes.h"

#include <cstring>

namespace hlp::writer {

namespace {

int halfPointsFromTwips(int twips)
{
    return qBound(-16384, twips / 10, 16383);
}

} // namespace

int FontTable::index(const CharFormat& f)
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

// Appends the paragraph's text to m_ld2 and its commands to m_cmds, up to and with its 0x82.
// Returns the hot spots of its .shg pictures, which count as characters of the topic.
int Writer::paragraphCommands(const Topic& topic, const Paragraph& para)
{
    Scratch& ld2 = m_ld2;
    Scratch& cmds = m_cmds;
    int hotspots = 0;
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
            if (it.picture < 0 || static_cast<size_t>(it.picture) >= m_in.pictureNumber.size())
                break;
            const int number = m_in.pictureNumber[static_cast<size_t>(it.picture)];
            if (number < 0)
                break; // reported by the compiler
            const int spots = static_cast<int>(m_doc.pictures[static_cast<size_t>(it.picture)].hotspots.size());
            command();
            cmds.u8(it.placement == Placement::Character ? 0x86 : it.placement == Placement::Left ? 0x87 : 0x88);
            cmds.u8(spots ? 0x22 : 3);
            cmds.cslong(4);
            if (spots)
                cmds.cushort(static_cast<unsigned>(spots));
            cmds.i16(0);
            cmds.i16(number);
            hotspots += spots;
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
    return hotspots;
}

// The paragraph info (the 4 fixed bytes, the bits and their values) into m_info. `extraBorder`:
// the borders of the table cell the paragraph is in.
void Writer::paragraphInfo(const ParaFormat& f, std::uint8_t extraBorder)
{
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
    const std::uint8_t border = f.border | extraBorder;
    if (border) {
        bits |= 0x0100;
        values.u8(border);
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
}

// The record of LinkData1 m_body (after its two size fields) and LinkData2 m_ld2.
Record Writer::finishRecord(std::uint8_t type, int hotspots)
{
    Record r;
    r.type = type;
    r.topicLength = m_ld2.size() + hotspots;
    Scratch head;
    head.cslong(static_cast<std::int32_t>(m_body.size()));
    head.cushort(static_cast<unsigned>(r.topicLength));
    r.data = m_data.size();
    r.ld1Size = head.size() + m_body.size();
    r.ld2Size = m_ld2.size();
    m_data.append(head.s.data(), head.size());
    m_data.append(m_body.s.data(), m_body.size());
    m_data.append(m_ld2.s.data(), m_ld2.size());
    return r;
}

Record Writer::paragraphRecord(const Topic& topic, const Paragraph& para)
{
    m_ld2.clear();
    m_cmds.clear();
    const int hotspots = paragraphCommands(topic, para);
    m_ld2.s.push_back('\0');
    m_cmds.u8(0xFF);
    paragraphInfo(para.format, 0);
    m_body.clear();
    m_body.raw(m_info.s.data(), m_info.size());
    m_body.raw(m_cmds.s.data(), m_cmds.size());
    return finishRecord(0x20, hotspots);
}

// One table row, paragraphs [first, end) of the topic. The column widths come from the row's
// \cellx, \trleft and \trgaph (half-points), in the pairs both known readers turn back into them.
Record Writer::tableRecord(const Topic& topic, size_t first, size_t end)
{
    const TableRow& row = topic.rows[static_cast<size_t>(topic.paragraphs[first].row)];
    const int columns = static_cast<int>(qMin<size_t>(row.cells.size(), 255));
    m_ld2.clear();
    m_body.clear();
    m_body.u8(static_cast<unsigned>(columns));
    m_body.u8(1); // fixed column widths
    const int gap = row.gap;
    auto hp = [](int twips) { return qBound(-32768, twips / 10, 32767); };
    if (columns == 1) {
        m_body.i16(hp(row.cells[0].right));
        m_body.i16(hp(row.left));
    } else {
        for (int k = 0; k < columns; ++k) {
            const int right = row.cells[static_cast<size_t>(k)].right;
            const int previous = k == 0 ? row.left : row.cells[static_cast<size_t>(k - 1)].right;
            m_body.i16(hp(qMax(0, right - previous - 2 * gap)));
            m_body.i16(hp(k == 0 ? row.left + gap : 2 * gap));
        }
    }
    int hotspots = 0;
    for (size_t i = first; i < end;) {
        const Paragraph& p = topic.paragraphs[i];
        const int cell = qBound(0, p.cell, columns - 1);
        // Paragraphs of one cell with one format share their paragraph info.
        size_t j = i + 1;
        while (j < end && topic.paragraphs[j].cell == p.cell && topic.paragraphs[j].format == p.format)
            ++j;
        m_body.i16(cell);
        m_body.i16(0);
        m_body.u8(0);
        paragraphInfo(p.format, row.cells[static_cast<size_t>(cell)].border);
        m_body.raw(m_info.s.data(), m_info.size());
        m_cmds.clear();
        for (size_t k = i; k < j; ++k)
            hotspots += paragraphCommands(topic, topic.paragraphs[k]);
        m_ld2.s.push_back('\0');
        m_cmds.u8(0xFF);
        m_body.raw(m_cmds.s.data(), m_cmds.size());
        i = j;
    }
    m_body.i16(-1);
    return finishRecord(0x23, hotspots);
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
        for (size_t i = 0; i < topic.paragraphs.size();) {
            const Paragraph& p = topic.paragraphs[i];
            size_t end = i + 1;
            Record r;
            if (p.row >= 0 && static_cast<size_t>(p.row) < topic.rows.size() && !topic.rows[static_cast<size_t>(p.row)].cells.empty()) {
                while (end < topic.paragraphs.size() && topic.paragraphs[end].row == p.row)
                    ++end;
                r = tableRecord(topic, i, end);
            } else {
                r = paragraphRecord(topic, p);
            }
            r.topic = t;
            for (size_t k = i; k < end; ++k)
                leading = leading && topic.paragraphs[k].format.keepWithNext;
            r.nonScroll = leading;
            m_records.push_back(std::move(r));
            i = end;
        }
        if (topic.paragraphs.empty()) {
            // Every topic keeps at least one character so that no two topics share an offset.
            Record r = paragraphRecord(topic, Paragraph{});
            r.topic = t;
            r.nonScroll = false;
            m_records.push_back(std::move(r));
        }
    }
}

} // namespace hlp::writer
