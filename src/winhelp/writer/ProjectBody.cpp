// A topic's paragraphs as the topic text of a project: the character formats the editor's commands
// make (\b, \i, \ul), centred and boxed paragraphs (\qc, \box, ended by \pard on the next line),
// table rows, pictures as {bmc name}, and links as the topic file carries them: a jump
// {\uldb words}{\v IDH_key}, a popup {\ul words}{\v Ppnnnn}, a macro {\uldb words}{\v !macro}.
#include "winhelp/writer/ProjectParts.h"

namespace hlp::project {

namespace {

constexpr char kParagraphMark = '\xB6';
constexpr std::uint8_t kShownAttrs = AttrBold | AttrItalic | AttrUnderline;

// The context string after the link's window and file, as the hidden text names them.
QByteArray hiddenTarget(const QByteArray& name, const LinkTarget& where)
{
    QByteArray out = name;
    if (!where.file.isEmpty())
        out += '@' + where.file;
    if (!where.window.isEmpty())
        out += '>' + where.window;
    return out;
}

class BodyWriter {
public:
    BodyWriter(const Topic& topic, const LinkNames& links, const std::vector<QString>& pictures)
        : m_topic(topic), m_links(links), m_pictures(pictures)
    {
    }

    QList<QByteArray> write(size_t first, bool popupHeading);

private:
    void paragraph(const Paragraph& p, QByteArray& line);
    void item(const Item& it, QByteArray& line);
    void setAttrs(std::uint8_t want, QByteArray& line);
    void closeHotspots(QByteArray& line);
    QByteArray linkName(const Item& it) const;
    void row(size_t from, size_t to, QByteArray& line);

    struct OpenLink {
        bool written = false;
        std::uint8_t attrsBefore = 0;
        QByteArray hidden;
    };

    const Topic& m_topic;
    const LinkNames& m_links;
    const std::vector<QString>& m_pictures;
    std::uint8_t m_attrs = 0;
    std::uint8_t m_mask = kShownAttrs; // the formats this paragraph writes
    std::vector<OpenLink> m_open;
};

void BodyWriter::setAttrs(std::uint8_t want, QByteArray& line)
{
    want &= m_mask;
    static const struct {
        std::uint8_t bit;
        const char* on;
        const char* off;
    } words[] = {{AttrBold, "\\b ", "\\b0 "}, {AttrItalic, "\\i ", "\\i0 "}, {AttrUnderline, "\\ul ", "\\ul0 "}};
    for (const auto& w : words)
        if ((m_attrs & w.bit) != (want & w.bit))
            line += (want & w.bit) ? w.on : w.off;
    m_attrs = want;
}

QByteArray BodyWriter::linkName(const Item& it) const
{
    const LinkTarget& where = m_topic.linkTarget(it);
    if (it.link == LinkKind::Macro)
        return '!' + it.text;
    if (!where.file.isEmpty())
        return hiddenTarget(it.text, where); // a topic of another help keeps its own name
    const int t = m_links.topic(it.text);
    if (t < 0 || m_links.hidden(t).isEmpty())
        return {};
    return hiddenTarget(m_links.hidden(t), where);
}

// A link that goes on past its paragraph ends with it: each line stands on its own.
void BodyWriter::closeHotspots(QByteArray& line)
{
    while (!m_open.empty()) {
        OpenLink& o = m_open.back();
        if (o.written) {
            line += "}{\\v ";
            appendTopicText(line, o.hidden);
            line += '}';
            m_attrs = o.attrsBefore;
        }
        m_open.pop_back();
    }
}

void BodyWriter::item(const Item& it, QByteArray& line)
{
    switch (it.kind) {
    case ItemKind::Text:
        setAttrs(it.format.attrs, line);
        appendTopicText(line, it.text);
        break;
    case ItemKind::LineBreak:
        line += "\\line ";
        break;
    case ItemKind::Tab:
        line += "\\tab ";
        break;
    case ItemKind::NbSpace:
        setAttrs(it.format.attrs, line);
        line += "\\~";
        break;
    case ItemKind::Picture: {
        if (it.picture < 0 || static_cast<size_t>(it.picture) >= m_pictures.size())
            break;
        const QString& file = m_pictures[static_cast<size_t>(it.picture)];
        if (file.isEmpty())
            break;
        line += it.placement == Placement::Left ? "\\{bml " : it.placement == Placement::Right ? "\\{bmr " : "\\{bmc ";
        line += file.toLatin1() + "\\}";
        break;
    }
    case ItemKind::HotspotBegin: {
        OpenLink o;
        o.hidden = linkName(it);
        o.written = !o.hidden.isEmpty();
        o.attrsBefore = m_attrs;
        if (o.written) {
            if (it.plainLink)
                o.hidden.prepend('%');
            line += it.link == LinkKind::Popup ? "{\\ul " : "{\\uldb ";
        }
        m_open.push_back(std::move(o));
        break;
    }
    case ItemKind::HotspotEnd:
        if (!m_open.empty()) {
            const OpenLink o = std::move(m_open.back());
            m_open.pop_back();
            if (o.written) {
                line += "}{\\v ";
                appendTopicText(line, o.hidden);
                line += '}';
                m_attrs = o.attrsBefore;
            }
        }
        break;
    }
}

void BodyWriter::paragraph(const Paragraph& p, QByteArray& line)
{
    for (const Item& it : p.items)
        item(it, line);
    closeHotspots(line);
    setAttrs(0, line);
}

void BodyWriter::row(size_t from, size_t to, QByteArray& line)
{
    const TableRow& r = m_topic.rows[static_cast<size_t>(m_topic.paragraphs[from].row)];
    line += "\\trowd\\trgaph" + QByteArray::number(r.gap) + "\\trleft" + QByteArray::number(r.left);
    for (const TableCell& c : r.cells) {
        static const struct {
            std::uint8_t bit;
            const char* word;
        } sides[] = {{BorderTop, "\\clbrdrt"}, {BorderLeft, "\\clbrdrl"}, {BorderBottom, "\\clbrdrb"}, {BorderRight, "\\clbrdrr"}};
        for (const auto& s : sides)
            if (c.border & (s.bit | BorderBox))
                line += QByteArray(s.word) + ((c.border & BorderDouble) ? "\\brdrdb" : (c.border & BorderThick) ? "\\brdrth" : "\\brdrs");
        line += "\\cellx" + QByteArray::number(c.right);
    }
    int cell = m_topic.paragraphs[from].cell;
    for (size_t i = from; i < to; ++i) {
        const Paragraph& p = m_topic.paragraphs[i];
        // A cell the row skips is still a cell.
        for (; cell < p.cell; ++cell)
            line += "\\cell ";
        if (i > from && p.cell == m_topic.paragraphs[i - 1].cell)
            line += "\\par ";
        line += p.format.align == Align::Centre ? "\\pard\\intbl\\qc " : p.format.align == Align::Right ? "\\pard\\intbl\\qr " : "\\pard\\intbl ";
        paragraph(p, line);
        if (i + 1 == to || m_topic.paragraphs[i + 1].cell != p.cell) {
            line += "\\cell ";
            ++cell;
        }
    }
    line += "\\row";
}

QList<QByteArray> BodyWriter::write(size_t first, bool popupHeading)
{
    QList<QByteArray> lines;
    bool formatted = false; // the line before set a paragraph format: this one starts with \pard
    const auto& paras = m_topic.paragraphs;
    for (size_t i = first; i < paras.size();) {
        const Paragraph& p = paras[i];
        QByteArray line;
        const bool heading = popupHeading && lines.isEmpty();
        if (p.row >= 0 && static_cast<size_t>(p.row) < m_topic.rows.size()) {
            size_t end = i + 1;
            while (end < paras.size() && paras[end].row == p.row)
                ++end;
            if (formatted)
                line += "\\pard";
            row(i, end, line);
            lines << line;
            formatted = true;
            i = end;
            continue;
        }
        QByteArray prefix;
        if (p.format.align == Align::Centre)
            prefix += "\\qc";
        else if (p.format.align == Align::Right)
            prefix += "\\qr";
        if (p.format.border)
            prefix += "\\box";
        if (formatted)
            line += "\\pard";
        line += prefix;
        if (!line.isEmpty())
            line += ' ';
        formatted = !prefix.isEmpty();
        m_mask = kShownAttrs;
        if (heading) {
            bool allBold = false;
            for (const Item& it : p.items)
                if (it.kind == ItemKind::Text && !it.text.trimmed().isEmpty()) {
                    allBold = (it.format.attrs & AttrBold) != 0;
                    if (!allBold)
                        break;
                }
            if (allBold)
                m_mask &= static_cast<std::uint8_t>(~AttrBold); // the topic file makes it bold
            else
                line += "\\b0 ";
        }
        paragraph(p, line);
        // A line that a reader of the project would take for a tag stays text.
        qsizetype lead = 0;
        while (lead < line.size() && line[lead] == ' ')
            ++lead;
        if (lead < line.size() && line[lead] == '<')
            line.prepend("{}");
        line += kParagraphMark;
        lines << line;
        ++i;
    }
    if (formatted && !lines.isEmpty() && !lines.back().isEmpty() && lines.back().back() != kParagraphMark)
        lines << QByteArray("\\pard"); // after a table row, text added later is not in the table
    return lines;
}

} // namespace

LinkNames::LinkNames(const HelpDocument& document, const std::vector<std::pair<QByteArray, int>>& aliases)
    : m_hidden(document.topics.size())
{
    const int n = static_cast<int>(document.topics.size());
    for (int t = 0; t < n; ++t)
        for (const QByteArray& c : document.topics[static_cast<size_t>(t)].contexts)
            if (const QByteArray key = lower(c); !m_topics.contains(key))
                m_topics.insert(key, t);
    for (const auto& [name, t] : aliases)
        if (const QByteArray key = lower(name); t >= 0 && t < n && !m_topics.contains(key))
            m_topics.insert(key, t);
}

QByteArray LinkNames::lower(QByteArrayView s)
{
    QByteArray out(s.data(), s.size());
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void appendTopicText(QByteArray& out, QByteArrayView text)
{
    static const char hex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (b < 32 || c == kParagraphMark) {
            if (b < 32)
                continue; // no character of the text: the viewer shows none
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
}

QByteArray paragraphText(const Paragraph& paragraph)
{
    QByteArray out;
    for (const Item& it : paragraph.items) {
        if (it.kind == ItemKind::Text)
            out += it.text;
        else if (it.kind == ItemKind::NbSpace || it.kind == ItemKind::Tab)
            out += ' ';
    }
    return out;
}

QList<QByteArray> bodyLines(const Topic& topic, size_t first, const LinkNames& links, const std::vector<QString>& pictures,
    bool popupHeading)
{
    return BodyWriter(topic, links, pictures).write(first, popupHeading);
}

} // namespace hlp::project
