// The text records of |TOPIC (0x20, and 0x01 in 3.0 files) and the table rows (0x23): the
// paragraph settings, then strings of LinkData2 and commands of LinkData1 in turn (font changes,
// line breaks, tabs, hot spots, pictures), up to 0xFF.
#include "winhelp/reader/HelpReader.h"

#include "winhelp/format/HlpBytes.h"

#include <cstring>
#include <iterator>
#include <limits>

namespace hlp::fileread {

namespace {

enum Once : unsigned {
    OnceFont = 1,
    OnceCommand = 2,
    OnceEmbeddedWindow = 4,
    OnceWindow = 8,
    OnceUnterminated = 16,
    OnceTable = 32,
};

QString hex(std::int64_t v)
{
    return QStringLiteral("0x") + QString::number(static_cast<qulonglong>(v) & 0xFFFFFFFFull, 16);
}

} // namespace

QByteArray TextArena::add(const char* data, qsizetype size)
{
    if (size <= 0)
        return {};
    if (size + 1 > kBlock / 8)
        return QByteArray(data, size);
    if (!m_base || size + 1 > kBlock - m_used) {
        m_block = QByteArray(kBlock, Qt::Uninitialized);
        m_base = m_block.data(); // before the block is shared: written only where no text is yet
        m_used = 0;
    }
    char* at = m_base + m_used;
    std::memcpy(at, data, static_cast<size_t>(size));
    at[size] = '\0';
    m_used += size + 1;
    QByteArray::DataPointer slice = m_block.data_ptr(); // shares the block
    slice.setBegin(at);
    slice.size = size;
    return QByteArray(std::move(slice));
}

void HelpReader::warnOnce(int kind, const QString& message)
{
    if (m_warnedOnce & static_cast<unsigned>(kind))
        return;
    m_warnedOnce |= static_cast<unsigned>(kind);
    warn(message);
}

void HelpReader::textRecord(const Record& r)
{
    const QByteArray ld1 = QByteArray::fromRawData(r.ld1, r.ld1Size);
    ByteReader p(ld1);
    p.cslong();
    if (r.type != 0x01)
        p.cushort();
    int text = 0;
    if (r.type == 0x23)
        tableRow(p, r.ld2, r.pos);
    else
        paragraph(p, r.ld2, text, r.pos, -1, 0);
}

void HelpReader::pushParagraph(Paragraph& para)
{
    Topic& topic = m_doc.topics.back();
    if (m_hotspotOpen) {
        Item end;
        end.kind = ItemKind::HotspotEnd;
        end.format = m_format;
        m_items.push_back(end);
        m_hotspotOpen = false;
    }
    // The items gathered in the scratch list: one allocation of the right size.
    para.items.assign(std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
    m_items.clear();
    const int index = static_cast<int>(topic.paragraphs.size());
    for (PendingLink& l : m_paragraphLinks) {
        l.paragraph = index;
        m_links.push_back(l);
    }
    m_paragraphLinks.clear();
    para.markFormat = m_format;
    topic.paragraphs.push_back(std::move(para));
}

// One paragraph info and its commands up to 0xFF (several paragraphs when 0x82 ends one and
// more commands follow). `text` is where its strings start in LinkData2, and is left after them.
// False when the record cannot be read further.
bool HelpReader::paragraph(ByteReader& p, const QByteArray& ld2, int& text, std::int32_t pos, int row, int cell)
{
    ParaFormat f;
    p.u8();
    p.u8();
    p.u16();
    const unsigned bits = p.u16();
    if (bits & 0x0001)
        p.cslong();
    int* const metrics[] = {&f.spaceBefore, &f.spaceAfter, &f.lineSpacing, &f.leftIndent, &f.rightIndent, &f.firstIndent};
    for (unsigned bit = 0x0002, k = 0; bit <= 0x0040; bit <<= 1, ++k)
        if (bits & bit)
            *metrics[k] = metric(p.csshort());
    if (bits & 0x0100) {
        f.border = static_cast<std::uint8_t>(p.u8() & 0x7F);
        p.i16();
    }
    if (bits & 0x0200) {
        const int tabs = p.csshort();
        for (int i = 0; i < tabs && p.ok(); ++i) {
            const unsigned stop = p.cushort();
            TabStop t;
            t.position = metric(static_cast<int>(stop & 0x3FFF));
            if (stop & 0x4000) {
                const unsigned kind = p.cushort();
                t.kind = kind == 1 || kind == 2 ? static_cast<int>(kind) : 0;
            }
            f.tabs.push_back(t);
        }
    }
    f.align = (bits & 0x0800) ? Align::Centre : (bits & 0x0400) ? Align::Right : Align::Left;
    f.noWrap = bits & 0x1000;
    f.keepWithNext = m_nonScrollEnd >= 0 && pos < m_nonScrollEnd;
    if (!p.ok()) {
        warnOnce(OnceCommand, QStringLiteral("|TOPIC : l'enregistrement %1 est tronqué ; sa fin est perdue.").arg(hex(pos)));
        return false;
    }

    const int topicIndex = static_cast<int>(m_doc.topics.size()) - 1;
    Topic& topic = m_doc.topics.back();
    auto fresh = [&]() {
        Paragraph para;
        para.format = f;
        para.row = row;
        para.cell = cell;
        return para;
    };
    Paragraph para = fresh();
    bool pending = true; // something not yet pushed (a paragraph ends with 0x82, or with 0xFF)
    m_items.clear();
    auto add = [&](ItemKind kind) -> Item& {
        Item& item = m_items.emplace_back();
        item.kind = kind;
        item.format = m_format;
        pending = true;
        return item;
    };
    auto begin = [&](LinkKind link, bool plain) -> Item& {
        if (m_hotspotOpen)
            add(ItemKind::HotspotEnd);
        Item& item = add(ItemKind::HotspotBegin);
        item.link = link;
        item.plainLink = plain;
        m_hotspotOpen = true;
        return item;
    };
    auto pendingLink = [&](std::uint32_t value, bool topicNumber, bool otherFile) {
        PendingLink l;
        l.topic = topicIndex;
        l.item = static_cast<int>(m_items.size()) - 1;
        l.value = value;
        l.topicNumber = topicNumber;
        l.otherFile = otherFile;
        m_paragraphLinks.push_back(l);
    };
    auto stop = [&](const QString& why) {
        warnOnce(OnceCommand, why);
        if (pending)
            pushParagraph(para);
        return false;
    };

    for (;;) {
        // The string before the command.
        if (text < ld2.size()) {
            const qsizetype nul = ld2.indexOf('\0', text);
            const int end = nul < 0 ? static_cast<int>(ld2.size()) : static_cast<int>(nul);
            if (end > text) {
                Item& item = add(ItemKind::Text);
                item.text = m_texts.add(ld2.constData() + text, end - text);
            }
            text = end + 1;
        }
        const unsigned c = p.u8();
        if (!p.ok())
            return stop(QStringLiteral("|TOPIC : l'enregistrement %1 finit sans sa fin de commandes ; il est lu jusque-là.").arg(hex(pos)));
        switch (c) {
        case 0xFF:
            if (pending)
                pushParagraph(para);
            return true;
        case 0x82:
            pushParagraph(para);
            para = fresh();
            pending = false;
            break;
        case 0x80: {
            const unsigned font = p.u16();
            if (font < m_fonts.size())
                m_format = m_fonts[font];
            else
                warnOnce(OnceFont, QStringLiteral("|TOPIC : l'enregistrement %1 demande la police %2, |FONT n'en a que %3.")
                                       .arg(hex(pos))
                                       .arg(font)
                                       .arg(m_fonts.size()));
            break;
        }
        case 0x81:
            add(ItemKind::LineBreak);
            break;
        case 0x83:
            add(ItemKind::Tab);
            break;
        case 0x8B:
            add(ItemKind::NbSpace);
            break;
        case 0x8C:
            break; // the hyphen itself is in the text
        case 0x86:
        case 0x87:
        case 0x88:
            if (!pictureCommand(p, c))
                return stop(QStringLiteral("|TOPIC : image illisible dans l'enregistrement %1 ; la suite est perdue.").arg(hex(pos)));
            pending = true;
            break;
        case 0x89:
            if (m_hotspotOpen) {
                add(ItemKind::HotspotEnd);
                m_hotspotOpen = false;
            }
            break;
        case 0xC8:
        case 0xCC: {
            const int length = static_cast<int>(p.u16());
            QByteArray macro = p.bytes(length);
            const qsizetype nul = macro.indexOf('\0');
            if (nul >= 0)
                macro.truncate(nul);
            m_hotspotMacros << macro;
            begin(LinkKind::Macro, c == 0xCC).text = macro;
            break;
        }
        case 0xE0:
        case 0xE1:
            begin(c == 0xE1 ? LinkKind::Jump : LinkKind::Popup, false);
            pendingLink(p.u32(), true, false);
            break;
        case 0xE2:
        case 0xE3:
        case 0xE6:
        case 0xE7:
            begin((c & 1) ? LinkKind::Jump : LinkKind::Popup, c & 0x04);
            pendingLink(p.u32(), false, false);
            break;
        case 0xEA:
        case 0xEB:
        case 0xEE:
        case 0xEF: {
            const int size = static_cast<int>(p.u16());
            const int start = p.pos();
            const unsigned kind = p.u8();
            const std::uint32_t hash = p.u32();
            LinkTarget target;
            if (kind == 1) {
                const unsigned window = p.u8();
                if (window < m_project.windows.size())
                    target.window = m_project.windows[window].name;
                else
                    warnOnce(OnceWindow, QStringLiteral("|TOPIC : un lien ouvre la fenêtre %1, que |SYSTEM ne définit pas.").arg(window));
            } else if (kind == 4) {
                target.file = p.stringz();
            } else if (kind == 6) {
                target.window = p.stringz();
                target.file = p.stringz();
            }
            if (!p.ok() || size < 0)
                return stop(QStringLiteral("|TOPIC : lien illisible dans l'enregistrement %1 ; la suite est perdue.").arg(hex(pos)));
            p.seek(start + size);
            Item& item = begin((c & 1) ? LinkKind::Jump : LinkKind::Popup, c & 0x04);
            if (!target.window.isEmpty() || !target.file.isEmpty()) {
                item.linkTarget = static_cast<int>(topic.links.size());
                topic.links.push_back(target);
            }
            pendingLink(hash, false, !target.file.isEmpty());
            break;
        }
        case 0x20:
            p.u32(); // MediaView fields
            break;
        case 0x21:
            p.u16();
            break;
        default:
            return stop(QStringLiteral("|TOPIC : commande %1 inconnue dans l'enregistrement %2 ; la suite est perdue.").arg(hex(c), hex(pos)));
        }
    }
}

// One table row: its columns, then each cell's paragraphs, up to a column number of -1.
void HelpReader::tableRow(ByteReader& p, const QByteArray& ld2, std::int32_t pos)
{
    const int columns = static_cast<int>(p.u8());
    const unsigned type = p.u8();
    // Variable-width tables give widths as parts of 32767 of the smallest width.
    double scale = 1.0;
    if (type == 0 || type == 2)
        scale = p.i16() / 32767.0;
    std::vector<int> a, b;
    for (int k = 0; k < columns; ++k) {
        a.push_back(metric(static_cast<int>(p.i16() * scale)));
        b.push_back(metric(static_cast<int>(p.i16() * scale)));
    }
    if (!p.ok() || columns < 1) {
        warnOnce(OnceTable, QStringLiteral("|TOPIC : tableau illisible dans l'enregistrement %1 ; il est ignoré.").arg(hex(pos)));
        return;
    }
    // The first cell's text starts at a0 + b0 - (its gap), cells are b_k apart (twice the gap).
    TableRow row;
    if (columns == 1) {
        row.left = b[0];
        row.cells.push_back({a[0], 0});
    } else {
        row.gap = b[1] / 2;
        row.left = b[0] - row.gap;
        int right = a[0] + b[0] + row.gap;
        row.cells.push_back({right, 0});
        for (int k = 1; k < columns; ++k) {
            right += a[static_cast<size_t>(k)] + b[static_cast<size_t>(k)];
            row.cells.push_back({right, 0});
        }
    }
    Topic& topic = m_doc.topics.back();
    const int index = static_cast<int>(topic.rows.size());
    topic.rows.push_back(row);
    int text = 0;
    int last = -1;
    auto emptyCell = [&](int cell) {
        Paragraph para;
        para.row = index;
        para.cell = cell;
        para.format.keepWithNext = m_nonScrollEnd >= 0 && pos < m_nonScrollEnd;
        pushParagraph(para);
    };
    for (;;) {
        const int column = p.i16();
        if (!p.ok() || column == -1)
            break;
        p.i16();
        p.u8();
        const int cell = qBound(last < 0 ? 0 : last, column, columns - 1);
        // Every cell keeps a paragraph, in cell order.
        for (int skipped = last + 1; skipped < cell; ++skipped)
            emptyCell(skipped);
        last = cell;
        if (!paragraph(p, ld2, text, pos, index, cell))
            break;
    }
    for (int skipped = last + 1; skipped < columns; ++skipped)
        emptyCell(skipped);
}

bool HelpReader::pictureCommand(ByteReader& p, unsigned command)
{
    const unsigned kind = p.u8();
    const std::int32_t size = p.cslong();
    if (kind == 0x22)
        p.cushort(); // hot spots of the picture: they count as characters
    const int start = p.pos();
    if (!p.ok() || size < 0 || size > p.end() - start)
        return false;
    const Placement placement = command == 0x86 ? Placement::Character : command == 0x87 ? Placement::Left : Placement::Right;
    if (kind == 3 || kind == 0x22) {
        const int embedded = p.i16();
        int index = -1;
        if (embedded == 0) {
            index = picture(p.i16());
        } else {
            // The picture itself (bmcwd ...): a picture file after the flag, or after the flag
            // and an unused number.
            const QByteArray& all = p.data();
            const int skip = all.mid(start + 2, 2) == "lP" || all.mid(start + 2, 2) == "lp" ? 2 : 4;
            index = embeddedPicture(all.mid(start + skip, size - skip));
        }
        if (index >= 0) {
            Item item;
            item.kind = ItemKind::Picture;
            item.placement = placement;
            item.picture = index;
            item.format = m_format;
            item.text = m_doc.pictures[static_cast<size_t>(index)].name;
            m_items.push_back(std::move(item));
        }
    } else if (kind == 5) {
        p.bytes(6);
        const QByteArray what = p.stringz();
        if (what.startsWith('!')) {
            // {button label,macro}: a hot spot on its label.
            const qsizetype comma = what.indexOf(',');
            Item begin;
            begin.kind = ItemKind::HotspotBegin;
            begin.link = LinkKind::Macro;
            begin.format = m_format;
            begin.text = comma < 0 ? QByteArray() : what.mid(comma + 1);
            Item label;
            label.kind = ItemKind::Text;
            label.format = m_format;
            label.text = what.mid(1, comma < 0 ? -1 : comma - 1);
            Item end;
            end.kind = ItemKind::HotspotEnd;
            end.format = m_format;
            if (!begin.text.isEmpty() && !label.text.isEmpty()) {
                m_hotspotMacros << begin.text;
                m_items.push_back(std::move(begin));
                m_items.push_back(std::move(label));
                m_items.push_back(std::move(end));
            }
        } else {
            warnOnce(OnceEmbeddedWindow, QStringLiteral("|TOPIC : les fenêtres intégrées et les séquences multimédias ({ewc}, {mci}) ne sont pas reprises."));
        }
    }
    p.seek(start + size);
    return true;
}

} // namespace hlp::fileread
