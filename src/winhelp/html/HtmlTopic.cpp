#include "winhelp/html/HtmlTopic.h"

#include "winhelp/model/Macros.h"

#include <QUrl>
#include <unordered_map>

namespace hlp::html {

MacroLink macroLink(const QByteArray& macro, const SiteNames& names, const BrowseNeighbours& browse, const TextCodec* codec)
{
    MacroLink link;
    const auto decode = [codec](const QByteArray& bytes) { return codec ? codec->decode(bytes) : QString::fromLatin1(bytes); };
    const QList<QByteArray> macros = splitMacros(macro);
    if (macros.size() > 1) {
        // Several macros: the one that leads somewhere, when there is one; the others arrange
        // windows, which a browser does not have.
        int leading = 0;
        for (const QByteArray& one : macros) {
            const MacroLink l = macroLink(one, names, browse, codec);
            if (l.topic >= 0 || !l.href.isEmpty()) {
                link = l;
                ++leading;
            }
        }
        return leading == 1 ? link : MacroLink{};
    }
    const MacroCall call = parseMacro(macro);
    const QList<QByteArray>& args = call.args;
    const QByteArray n = call.lowerName();
    bool numberOk = false;
    if ((n == "jumpid" || n == "ji" || n == "popupid" || n == "pi") && args.size() >= 2) {
        link.topic = names.topic(args[1]);
        link.popup = n == "popupid" || n == "pi";
        link.missing = link.topic < 0 ? args[1] : QByteArray();
    } else if ((n == "jumpcontext" || n == "jc" || n == "popupcontext" || n == "pc") && args.size() >= 2) {
        const std::uint32_t number = args[1].startsWith("0x") ? args[1].mid(2).toUInt(&numberOk, 16) : args[1].toUInt(&numberOk);
        link.topic = numberOk ? names.topicForNumber(number) : -1;
        link.popup = n == "popupcontext" || n == "pc";
        link.missing = link.topic < 0 ? args[1] : QByteArray();
    } else if (n == "jumpcontents" || n == "contents") {
        link.href = "index.html";
    } else if (n == "search") {
        link.href = "recherche.html";
    } else if ((n == "jumpkeyword" || n == "jk") && args.size() >= 2) {
        link.href = "motscles.html?filtre=" + QUrl::toPercentEncoding(decode(args[1]));
    } else if ((n == "klink" || n == "kl") && !args.isEmpty()) {
        // The topics of a keyword: the index, filtered by it.
        link.href = "motscles.html?filtre=" + QUrl::toPercentEncoding(decode(args[0].split(';').front()));
    } else if (n == "next" || n == "prev") {
        link.topic = n == "next" ? browse.next : browse.previous;
        link.understood = true; // at an end of the sequence it does nothing, as in the viewer
    } else if (n == "back") {
        link.href = "index.html"; // the script goes back in the browser's history instead
        link.back = true;
    }
    return link;
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
    m_maps.clear();
    size_t fixed = 0;
    while (fixed < topic.paragraphs.size() && topic.paragraphs[fixed].format.keepWithNext)
        ++fixed;
    if (fixed > 0) {
        out += "<div class=\"fixe\">\n";
        paragraphs(out, topic, 0, fixed, true);
        out += "</div>\n";
    } else {
        out += "<h1 class=\"cache\">";
        m_cx.codec.appendHtml(out, topicLabel(topic));
        out += "</h1>\n";
    }
    out += "<div class=\"corps\">\n";
    paragraphs(out, topic, fixed, topic.paragraphs.size(), false);
    out += "<div class=\"fin\"></div></div>\n";
    // Popups may open more popups: the list grows while it is written.
    for (size_t i = 0; i < m_popups.size(); ++i)
        popup(out, m_popups[i]);
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
    while (end > 0 && topic.paragraphs[end - 1].items.empty() && topic.paragraphs[end - 1].row < 0)
        --end;
    paragraphs(out, topic, 0, end, false);
    out += "</div>\n";
}

void TopicWriter::paragraphs(QByteArray& out, const Topic& topic, size_t begin, size_t end, bool heading)
{
    const auto inTable = [&](size_t i) {
        const int row = topic.paragraphs[i].row;
        return row >= 0 && static_cast<size_t>(row) < topic.rows.size();
    };
    for (size_t i = begin; i < end;) {
        if (!inTable(i)) {
            paragraph(out, topic, topic.paragraphs[i], heading && i == begin);
            ++i;
            continue;
        }
        // Rows that follow each other make one table; a narrow screen scrolls it sideways.
        out += "<div class=\"tableau\"><table>\n";
        while (i < end && inTable(i)) {
            const int row = topic.paragraphs[i].row;
            const TableRow& def = topic.rows[static_cast<size_t>(row)];
            out += "<tr>";
            int cell = -1;
            for (; i < end && topic.paragraphs[i].row == row; ++i) {
                const int c = topic.paragraphs[i].cell;
                if (c != cell) {
                    if (cell >= 0)
                        out += "</td>";
                    cell = c;
                    QByteArray style;
                    if (c >= 0 && static_cast<size_t>(c) < def.cells.size()) {
                        const int left = c > 0 ? def.cells[static_cast<size_t>(c) - 1].right : def.left;
                        const int width = def.cells[static_cast<size_t>(c)].right - left;
                        if (width > 0)
                            style += "width:" + lengthRem(width) + ';';
                        style += borderStyle(def.cells[static_cast<size_t>(c)].border);
                    }
                    if (def.gap > 0)
                        style += "padding-left:" + lengthRem(def.gap) + ";padding-right:" + lengthRem(def.gap) + ';';
                    out += style.isEmpty() ? QByteArray("<td>") : "<td style=\"" + style + "\">";
                }
                paragraph(out, topic, topic.paragraphs[i], false);
            }
            out += cell >= 0 ? "</td></tr>\n" : "</tr>\n";
        }
        out += "</table></div>\n";
    }
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
                if (c) {
                    auto& spans = m_cx.spans;
                    if (spans.size() <= size_t(c))
                        spans.resize(size_t(c) + 1);
                    if (spans[size_t(c)].isEmpty())
                        spans[size_t(c)] = "<span class=\"c" + QByteArray::number(c) + "\">";
                    out += spans[size_t(c)];
                }
                span = c;
            }
            const auto& faces = m_cx.document.faces;
            if (it.format.face < 0 || static_cast<size_t>(it.format.face) >= faces.size()
                || !appendSymbolFontHtml(out, faces[static_cast<size_t>(it.format.face)].name, it.text))
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

void TopicWriter::openPopup(int t)
{
    if (!m_popupSet.contains(t)) {
        m_popupSet.insert(t);
        m_popups.push_back(t);
    }
}

bool TopicWriter::linkTarget(const Topic& topic, LinkKind kind, const QByteArray& target, const LinkTarget& where, int& toTopic,
    bool& popup, QByteArray& href)
{
    toTopic = -1;
    popup = kind == LinkKind::Popup;
    href.clear();
    if (kind == LinkKind::Macro) {
        const size_t here = static_cast<size_t>(&topic - m_cx.document.topics.data());
        const MacroLink m = macroLink(target, m_cx.names, here < m_cx.browse.size() ? m_cx.browse[here] : BrowseNeighbours{}, &m_cx.codec);
        toTopic = m.topic;
        popup = m.popup;
        href = m.href;
        if (m.back)
            href += "\" data-retour=\""; // written inside the quotes of href: one more attribute
        if (toTopic >= 0 || !href.isEmpty())
            return true;
        const QByteArray name = target.left(target.indexOf('(')).trimmed();
        if (!m.missing.isEmpty()) {
            m_cx.diagnostics.warning(QStringLiteral("dans la rubrique %1, la macro %2 mène à %3, que le projet ne définit pas ; son "
                                                    "texte est écrit sans lien.")
                                         .arg(this->name(topic), quoted(m_cx.codec.decode(name)), quoted(m_cx.codec.decode(m.missing))));
            return false;
        }
        if (m.understood)
            return false;
        warnOnce("macro:" + name.toLower(),
            QStringLiteral("la macro %1 (rubrique %2) n'a pas d'équivalent dans l'aide HTML ; son texte est écrit sans lien.")
                .arg(quoted(m_cx.codec.decode(name)), this->name(topic)));
        return false;
    }
    if (!where.file.isEmpty()) {
        warnOnce("file:" + where.file.toLower(),
            QStringLiteral("la rubrique %1 renvoie au fichier d'aide %2, qui n'est pas dans l'aide HTML ; ces liens sont écrits "
                           "comme du texte.")
                .arg(this->name(topic), quoted(m_cx.codec.decode(where.file))));
        return false;
    }
    // A target no topic defines was reported with the links' check.
    toTopic = m_cx.names.topic(target);
    return toTopic >= 0;
}

void TopicWriter::hotspot(QByteArray& out, const Topic& topic, const Item& it)
{
    m_closeHotspot = "";
    int target = -1;
    bool popup = false;
    QByteArray href;
    if (!linkTarget(topic, it.link, it.text, topic.linkTarget(it), target, popup, href))
        return;
    const QByteArray sober = it.plainLink ? " sobre" : "";
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
        openPopup(target);
    } else {
        out += "<a class=\"lien" + sober + "\" href=\"" + page + ".html\"" + windowTarget(topic.linkTarget(it).window) + '>';
        m_closeHotspot = "</a>";
    }
}

// A jump into a secondary window opens a browser window of that name, reused by the next jump
// into it, as the viewer reuses its window.
QByteArray TopicWriter::windowTarget(const QByteArray& window) const
{
    if (window.isEmpty() || window.compare("main", Qt::CaseInsensitive) == 0)
        return {};
    return " target=\"aide-" + safeName(QString::fromLatin1(window)).toUtf8() + '"';
}

void TopicWriter::picture(QByteArray& out, const Topic& topic, const Item& it)
{
    if (it.picture < 0 || static_cast<size_t>(it.picture) >= m_cx.pictures.size())
        return;
    const PictureOut& pic = m_cx.pictures[static_cast<size_t>(it.picture)];
    const char* place = it.placement == Placement::Left ? "gauche" : it.placement == Placement::Right ? "droite" : "car";
    if (pic.file.isEmpty()) {
        if (pic.placeholder) {
            out += "<span class=\"sans-image " + QByteArray(place) + "\">[";
            appendHtml(out, pic.alt);
            out += "]</span>";
        }
        return; // a picture not found was reported when the project was read, and left out as in the .hlp
    }
    const bool map = !m_cx.document.pictures[static_cast<size_t>(it.picture)].hotspots.empty();
    out += "<img class=\"" + QByteArray(place) + "\" src=\"" + pic.file.toUtf8() + "\" width=\"" + QByteArray::number(pic.width)
        + "\" height=\"" + QByteArray::number(pic.height) + "\" alt=\"";
    appendHtml(out, pic.alt);
    out += '"';
    if (map)
        out += " usemap=\"#zones" + QByteArray::number(it.picture) + '"';
    out += '>';
    if (map && !m_maps.contains(it.picture)) {
        m_maps.insert(it.picture);
        imageMap(out, topic, it.picture);
    }
}

// The hot spots of a .shg picture as an image map: jumps are links, popups open in place through
// the script (a page of their own without it).
void TopicWriter::imageMap(QByteArray& out, const Topic& topic, int picture)
{
    out += "<map name=\"zones" + QByteArray::number(picture) + "\">";
    for (const PictureHotspot& h : m_cx.document.pictures[static_cast<size_t>(picture)].hotspots) {
        int target = -1;
        bool popup = false;
        QByteArray href;
        if (!linkTarget(topic, h.link, h.target, LinkTarget{h.window, h.file}, target, popup, href))
            continue;
        if (target >= 0)
            href = m_cx.names.pageBytes(target) + ".html";
        out += "<area shape=\"rect\" coords=\"" + QByteArray::number(h.x) + ',' + QByteArray::number(h.y) + ','
            + QByteArray::number(h.x + h.width) + ',' + QByteArray::number(h.y + h.height) + "\" href=\"" + href + '"';
        if (!popup)
            out += windowTarget(h.window);
        if (popup && target >= 0) {
            out += " data-surgissant=\"pp-" + m_cx.names.pageBytes(target) + '"';
            openPopup(target);
        }
        out += " alt=\"";
        const QByteArray label = !h.name.isEmpty() ? h.name : target >= 0 && !m_cx.document.topics[static_cast<size_t>(target)].title.isEmpty()
            ? m_cx.document.topics[static_cast<size_t>(target)].title : h.target;
        m_cx.codec.appendHtml(out, label);
        out += "\">";
    }
    out += "</map>";
}

} // namespace hlp::html
