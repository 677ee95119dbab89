#include "winhelp/html/HtmlTopic.h"

#include <QUrl>
#include <unordered_map>

namespace hlp::html {

namespace {

quint64 formatKey(const CharFormat& f)
{
    return quint64(quint16(f.face)) | quint64(quint16(f.halfPoints)) << 16 | quint64(f.attrs) << 32 | quint64(f.red) << 40
        | quint64(f.green) << 48 | quint64(f.blue) << 56;
}

QByteArray number(double v)
{
    return QByteArray::number(v, 'g', 4);
}

// Lengths: the text's 10 points are 1rem, so a twip is 1/200 rem.
QByteArray rem(int twips)
{
    return number(twips / 200.0) + "rem";
}

QByteArray colour(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", r, g, b);
    return QByteArray(buf);
}

QByteArray fontFamily(const FontFace& face)
{
    QByteArray name;
    for (const char c : face.name)
        if (static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\' && c != '\'' && c != '<' && c != '>' && c != ';'
            && c != '{' && c != '}')
            name += c;
    static const char* const generic[] = {"sans-serif", "monospace", "serif", "sans-serif", "cursive", "fantasy"};
    const char* g = face.family < 6 ? generic[face.family] : "sans-serif";
    QByteArray out = "font-family:";
    if (!name.trimmed().isEmpty())
        out += '"' + QString::fromLatin1(name.trimmed()).toUtf8() + "\",";
    return out + g + ';';
}

QByteArray decoration(std::uint8_t attrs)
{
    QByteArray lines;
    if (attrs & (AttrUnderline | AttrDoubleUnderline))
        lines += " underline";
    if (attrs & AttrStrike)
        lines += " line-through";
    if (lines.isEmpty())
        return "text-decoration:none;";
    return "text-decoration:" + lines.mid(1) + ((attrs & AttrDoubleUnderline) ? " double;" : ";");
}

// What `f` changes from `base`.
QByteArray difference(const CharFormat& f, const CharFormat& base, const std::vector<FontFace>& faces)
{
    QByteArray css;
    if (f.face != base.face && f.face >= 0 && static_cast<size_t>(f.face) < faces.size())
        css += fontFamily(faces[static_cast<size_t>(f.face)]);
    if (f.halfPoints != base.halfPoints && base.halfPoints > 0)
        css += "font-size:" + number(double(f.halfPoints) / base.halfPoints) + "em;";
    const auto changed = [&](std::uint8_t bits) { return (f.attrs & bits) != (base.attrs & bits); };
    if (changed(AttrBold))
        css += (f.attrs & AttrBold) ? "font-weight:bold;" : "font-weight:normal;";
    if (changed(AttrItalic))
        css += (f.attrs & AttrItalic) ? "font-style:italic;" : "font-style:normal;";
    if (changed(AttrSmallCaps))
        css += (f.attrs & AttrSmallCaps) ? "font-variant:small-caps;" : "font-variant:normal;";
    if (changed(AttrUnderline | AttrDoubleUnderline | AttrStrike))
        css += decoration(f.attrs);
    if (f.red != base.red || f.green != base.green || f.blue != base.blue)
        css += "color:" + colour(f.red, f.green, f.blue) + ';';
    return css;
}

QByteArray paragraphStyle(const ParaFormat& f)
{
    QByteArray s;
    if (f.spaceBefore > 0)
        s += "margin-top:" + rem(f.spaceBefore) + ';';
    if (f.spaceAfter > 0)
        s += "margin-bottom:" + rem(f.spaceAfter) + ';';
    if (f.leftIndent != 0)
        s += "margin-left:" + rem(f.leftIndent) + ';';
    if (f.rightIndent != 0)
        s += "margin-right:" + rem(f.rightIndent) + ';';
    if (f.firstIndent != 0)
        s += "text-indent:" + rem(f.firstIndent) + ';';
    if (f.align == Align::Centre)
        s += "text-align:center;";
    else if (f.align == Align::Right)
        s += "text-align:right;";
    if (f.lineSpacing != 0)
        s += "line-height:" + rem(qAbs(f.lineSpacing)) + ';';
    if (f.noWrap)
        s += "white-space:nowrap;";
    if (f.border) {
        const QByteArray line = (f.border & BorderDouble) ? "3px double" : (f.border & BorderThick) ? "2px solid" : "1px solid";
        if (f.border & BorderBox)
            s += "border:" + line + ';';
        else {
            if (f.border & BorderTop)
                s += "border-top:" + line + ';';
            if (f.border & BorderBottom)
                s += "border-bottom:" + line + ';';
            if (f.border & BorderLeft)
                s += "border-left:" + line + ';';
            if (f.border & BorderRight)
                s += "border-right:" + line + ';';
        }
        s += "padding:0.2rem 0.4rem;";
    }
    return s;
}

// The arguments of "Name(a, "b", `c')", unquoted; the name in `name`.
QList<QByteArray> macroArguments(const QByteArray& macro, QByteArray& name)
{
    QList<QByteArray> args;
    const qsizetype open = macro.indexOf('(');
    name = (open < 0 ? macro : macro.left(open)).trimmed();
    if (open < 0)
        return args;
    const qsizetype close = macro.lastIndexOf(')');
    const QByteArray inner = macro.mid(open + 1, (close > open ? close : macro.size()) - open - 1);
    QByteArray cur;
    char quote = 0;
    for (const char c : inner) {
        if (quote) {
            if ((quote == '"' && c == '"') || (quote == '`' && c == '\''))
                quote = 0;
            else
                cur += c;
        } else if (c == '"' || c == '`') {
            quote = c;
        } else if (c == ',') {
            args << cur.trimmed();
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.trimmed().isEmpty() || !args.isEmpty())
        args << cur.trimmed();
    return args;
}

} // namespace

MacroLink macroLink(const QByteArray& macro, const SiteNames& names)
{
    MacroLink link;
    if (macro.contains(';'))
        return link; // several macros in a row: no single link does them
    QByteArray name;
    const QList<QByteArray> args = macroArguments(macro, name);
    const QByteArray n = name.toLower();
    if ((n == "jumpid" || n == "ji" || n == "popupid" || n == "pi") && args.size() >= 2) {
        link.topic = names.topic(args[1]);
        link.popup = n == "popupid" || n == "pi";
    } else if (n == "jumpcontents" || n == "jc" || n == "contents") {
        link.href = "index.html";
    } else if (n == "search") {
        link.href = "recherche.html";
    } else if ((n == "jumpkeyword" || n == "jk") && args.size() >= 2) {
        link.href = "motscles.html?filtre=" + QUrl::toPercentEncoding(QString::fromLatin1(args[1]));
    }
    return link;
}

FormatClasses::FormatClasses(const HelpDocument& document)
{
    std::unordered_map<quint64, std::pair<qsizetype, CharFormat>> weight;
    std::pair<qsizetype, CharFormat>* last = nullptr;
    for (const Topic& topic : document.topics)
        for (const Paragraph& p : topic.paragraphs)
            for (const Item& it : p.items)
                if (it.kind == ItemKind::Text) {
                    if (!last || !(last->second == it.format)) {
                        last = &weight[formatKey(it.format)];
                        last->second = it.format;
                    }
                    last->first += it.text.size();
                }
    qsizetype best = -1;
    for (const auto& [key, w] : weight)
        if (w.first > best || (w.first == best && key < formatKey(m_base))) {
            best = w.first;
            m_base = w.second;
        }
    m_last = m_base;
}

int FormatClasses::classOf(const CharFormat& format)
{
    // Runs of one format follow each other: the last answer is often the next one.
    if (format == m_last)
        return m_lastClass;
    m_last = format;
    if (format == m_base)
        return m_lastClass = 0;
    const quint64 key = formatKey(format);
    const auto it = m_classes.constFind(key);
    if (it != m_classes.constEnd())
        return m_lastClass = it.value();
    m_formats.push_back(format);
    const int n = static_cast<int>(m_formats.size());
    m_classes.insert(key, n);
    return m_lastClass = n;
}

QByteArray FormatClasses::css(const std::vector<FontFace>& faces) const
{
    QByteArray css = ".texte{";
    if (m_base.face >= 0 && static_cast<size_t>(m_base.face) < faces.size())
        css += fontFamily(faces[static_cast<size_t>(m_base.face)]);
    // 10 points are 1rem; smaller text keeps the browser's size, the rest keeps its proportions.
    css += "font-size:" + number(qMax(1.0, m_base.halfPoints / 20.0)) + "rem;";
    if (m_base.attrs & AttrBold)
        css += "font-weight:bold;";
    if (m_base.attrs & AttrItalic)
        css += "font-style:italic;";
    if (m_base.red || m_base.green || m_base.blue)
        css += "color:" + colour(m_base.red, m_base.green, m_base.blue) + ';';
    css += "}\n";
    for (size_t i = 0; i < m_formats.size(); ++i)
        css += ".c" + QByteArray::number(qulonglong(i + 1)) + '{' + difference(m_formats[i], m_base, faces) + "}\n";
    return css;
}

void TopicWriter::warnOnce(const QByteArray& key, const QString& message)
{
    if (m_cx.warned.contains(key))
        return;
    m_cx.warned.insert(key);
    m_cx.diagnostics.warning(message);
}

void TopicWriter::write(QByteArray& out, int t)
{
    const Topic& topic = m_cx.document.topics[static_cast<size_t>(t)];
    m_popups.clear();
    m_popupSet.clear();
    size_t fixed = 0;
    while (fixed < topic.paragraphs.size() && topic.paragraphs[fixed].format.keepWithNext)
        ++fixed;
    if (fixed > 0) {
        out += "<div class=\"fixe\">\n";
        for (size_t i = 0; i < fixed; ++i)
            paragraph(out, topic, topic.paragraphs[i], i == 0);
        out += "</div>\n";
    } else {
        out += "<h1 class=\"cache\">";
        m_cx.codec.appendHtml(out, topic.title.isEmpty() ? QByteArrayView(topic.contexts.value(0)) : QByteArrayView(topic.title));
        out += "</h1>\n";
    }
    out += "<div class=\"corps\">\n";
    for (size_t i = fixed; i < topic.paragraphs.size(); ++i)
        paragraph(out, topic, topic.paragraphs[i], false);
    out += "<div class=\"fin\"></div></div>\n";
    // Popups may open more popups: the list grows while it is written.
    for (size_t i = 0; i < m_popups.size(); ++i)
        popup(out, m_popups[i]);
}

void TopicWriter::writeParagraphs(QByteArray& out, int t)
{
    const Topic& topic = m_cx.document.topics[static_cast<size_t>(t)];
    for (const Paragraph& p : topic.paragraphs)
        paragraph(out, topic, p, false);
}

void TopicWriter::popup(QByteArray& out, int t)
{
    const Topic& topic = m_cx.document.topics[static_cast<size_t>(t)];
    const QByteArray id = "pp-" + m_cx.names.pageBytes(t);
    out += "<div class=\"surgissant texte\" id=\"" + id + "\" popover";
    if (!topic.title.isEmpty()) {
        out += " aria-label=\"";
        m_cx.codec.appendHtml(out, topic.title);
        out += '"';
    }
    out += "><button type=\"button\" class=\"fermer\" popovertarget=\"" + id
        + "\" popovertargetaction=\"hide\" aria-label=\"Fermer\">\xC3\x97</button>\n";
    // Empty paragraphs at the end only make the box taller.
    size_t end = topic.paragraphs.size();
    while (end > 0 && topic.paragraphs[end - 1].items.empty())
        --end;
    for (size_t i = 0; i < end; ++i)
        paragraph(out, topic, topic.paragraphs[i], false);
    out += "</div>\n";
}

void TopicWriter::paragraph(QByteArray& out, const Topic& topic, const Paragraph& p, bool heading)
{
    if (!(p.format == m_lastFormat) || m_lastStyle.isNull()) {
        m_lastFormat = p.format;
        m_lastStyle = paragraphStyle(p.format);
        if (m_lastStyle.isNull())
            m_lastStyle = "";
    }
    out += heading ? "<h1" : "<p";
    if (!m_lastStyle.isEmpty())
        out += " style=\"" + m_lastStyle + '"';
    out += '>';
    int span = 0;
    const auto closeSpan = [&] {
        if (span)
            out += "</span>";
        span = 0;
    };
    for (const Item& it : p.items) {
        switch (it.kind) {
        case ItemKind::Text: {
            const int c = m_cx.formats.classOf(it.format);
            if (c != span) {
                closeSpan();
                if (c)
                    out += "<span class=\"c" + QByteArray::number(c) + "\">";
                span = c;
            }
            m_cx.codec.appendHtml(out, it.text);
            break;
        }
        case ItemKind::LineBreak:
            out += "<br>";
            break;
        case ItemKind::Tab:
            out += "<span class=\"tab\"> </span>";
            break;
        case ItemKind::NbSpace:
            out += "&nbsp;";
            break;
        case ItemKind::Picture:
            picture(out, topic, it);
            break;
        case ItemKind::HotspotBegin:
            closeSpan();
            if (m_closeHotspot)
                out += m_closeHotspot;
            hotspot(out, topic, it);
            break;
        case ItemKind::HotspotEnd:
            closeSpan();
            if (m_closeHotspot)
                out += m_closeHotspot;
            m_closeHotspot = nullptr;
            break;
        }
    }
    closeSpan();
    if (m_closeHotspot)
        out += m_closeHotspot;
    m_closeHotspot = nullptr;
    if (p.items.empty())
        out += "<br>";
    out += heading ? "</h1>\n" : "</p>\n";
}

void TopicWriter::hotspot(QByteArray& out, const Topic& topic, const Item& it)
{
    m_closeHotspot = "";
    const QByteArray sober = it.plainLink ? " sobre" : "";
    int target = -1;
    bool popup = it.link == LinkKind::Popup;
    QByteArray href;
    if (it.link == LinkKind::Macro) {
        const MacroLink m = macroLink(it.text, m_cx.names);
        target = m.topic;
        popup = m.popup;
        href = m.href;
        if (target < 0 && href.isEmpty()) {
            QByteArray name = it.text.left(it.text.indexOf('(')).trimmed();
            warnOnce("macro:" + name.toLower(),
                QStringLiteral("la macro %1 (rubrique %2) n'a pas d'équivalent dans l'aide HTML ; son texte est écrit sans lien.")
                    .arg(quoted(m_cx.codec.decode(name)), topic.displayName()));
            return;
        }
    } else {
        const LinkTarget& where = topic.linkTarget(it);
        if (!where.file.isEmpty()) {
            warnOnce("file:" + where.file.toLower(),
                QStringLiteral("la rubrique %1 renvoie au fichier d'aide %2, qui n'est pas dans l'aide HTML ; ces liens sont écrits "
                               "comme du texte.")
                    .arg(topic.displayName(), quoted(m_cx.codec.decode(where.file))));
            return;
        }
        // A target no topic defines was reported with the links' check: plain text.
        target = m_cx.names.topic(it.text);
        if (target < 0)
            return;
    }
    if (target < 0) {
        out += "<a class=\"lien" + sober + "\" href=\"" + href + "\">";
        m_closeHotspot = "</a>";
        return;
    }
    const QByteArray& page = m_cx.names.pageBytes(target);
    if (popup) {
        out += "<button type=\"button\" class=\"lien surgir" + sober + "\" popovertarget=\"pp-" + page + "\" data-page=\"" + page
            + ".html\">";
        m_closeHotspot = "</button>";
        if (!m_popupSet.contains(target)) {
            m_popupSet.insert(target);
            m_popups.push_back(target);
        }
    } else {
        out += "<a class=\"lien" + sober + "\" href=\"" + page + ".html\">";
        m_closeHotspot = "</a>";
    }
}

void TopicWriter::picture(QByteArray& out, const Topic&, const Item& it)
{
    const auto found = m_cx.pictures.constFind(it.text.toLower());
    if (found == m_cx.pictures.constEnd())
        return; // reported when the pictures were read
    const PictureOut& pic = found.value();
    const char* place = it.placement == Placement::Left ? "gauche" : it.placement == Placement::Right ? "droite" : "car";
    out += "<img class=\"" + QByteArray(place) + "\" src=\"" + pic.file.toUtf8() + "\" width=\"" + QByteArray::number(pic.width)
        + "\" height=\"" + QByteArray::number(pic.height) + "\" alt=\"";
    appendHtml(out, pic.alt);
    out += "\">";
}

} // namespace hlp::html
