#include "winhelp/chm/ChmSitemap.h"

#include "winhelp/html/HtmlText.h"

#include <QMap>
#include <algorithm>

namespace hlp::chm {

namespace {

void appendValue(QByteArray& out, QByteArrayView bytes)
{
    for (char c : bytes) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
}

void param(QByteArray& out, const char* name, QByteArrayView value, const QByteArray& indent)
{
    out += indent + "<param name=\"" + name + "\" value=\"";
    appendValue(out, value);
    out += "\">\r\n";
}

QByteArray charsetName(int codePage)
{
    switch (codePage) {
    case 932: return "shift_jis";
    case 936: return "gb2312";
    case 949: return "ks_c_5601-1987";
    case 950: return "big5";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

QByteArray header(int codePage)
{
    return "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset="
        + charsetName(codePage) + "\">\r\n<meta name=\"GENERATOR\" content=\"Tyx Plumet\">\r\n</HEAD>\r\n<BODY>\r\n";
}

QByteArray page(const html::SiteNames& names, int topic)
{
    return names.pageBytes(topic) + ".html";
}

} // namespace

QByteArray topicTitle(const Topic& topic)
{
    return topic.title.isEmpty() ? topic.contexts.value(0) : topic.title;
}

QByteArray contentsSitemap(const HelpDocument& document, const html::SiteNames& names,
    const std::vector<html::TreeEntry>& tree, const CodePage& codePage)
{
    QByteArray out = header(codePage.number());
    out += "<OBJECT type=\"text/site properties\">\r\n\t<param name=\"Window Styles\" value=\"0x800025\">\r\n</OBJECT>\r\n<UL>\r\n";
    int depth = 0;
    for (const html::TreeEntry& e : tree) {
        const int want = std::clamp(e.depth, 0, depth + 1);
        for (; depth < want; ++depth)
            out += QByteArray(depth + 1, '\t') + "<UL>\r\n";
        for (; depth > want; --depth)
            out += QByteArray(depth, '\t') + "</UL>\r\n";
        const QByteArray indent(depth + 1, '\t');
        out += indent + "<LI> <OBJECT type=\"text/sitemap\">\r\n";
        // A book of the contents file is a heading with no page of its own; a line may name its
        // topic otherwise than the topic's title, as the site shows it.
        if (e.topic < 0) {
            param(out, "Name", e.label, indent + '\t');
        } else {
            param(out, "Name", e.label.isEmpty() ? topicTitle(document.topics[static_cast<size_t>(e.topic)]) : e.label, indent + '\t');
            param(out, "Local", page(names, e.topic), indent + '\t');
        }
        out += indent + "\t</OBJECT>\r\n";
    }
    for (; depth > 0; --depth)
        out += QByteArray(depth, '\t') + "</UL>\r\n";
    out += "</UL>\r\n</BODY>\r\n</HTML>\r\n";
    return out;
}

QByteArray indexSitemap(const HelpDocument& document, const html::SiteNames& names, const std::vector<bool>& popupOnly,
    const CodePage& codePage)
{
    const html::TextCodec codec(codePage);
    struct Keyword {
        QByteArray text;
        std::vector<int> topics;
    };
    // Folded form + lower case, so that the order is the reader's and keywords differing only by
    // case are one.
    QMap<QByteArray, Keyword> keywords;
    for (size_t t = 0; t < document.topics.size(); ++t) {
        if (popupOnly[t])
            continue;
        for (const QByteArray& k : document.topics[t].keywords) {
            const QByteArray word = k.trimmed();
            if (word.isEmpty())
                continue;
            Keyword& entry = keywords[codec.foldedText(word) + '\0' + codec.lower(word)];
            if (entry.text.isEmpty())
                entry.text = word;
            if (entry.topics.empty() || entry.topics.back() != static_cast<int>(t))
                entry.topics.push_back(static_cast<int>(t));
        }
    }
    QByteArray out = header(codePage.number());
    out += "<UL>\r\n";
    for (const Keyword& k : keywords) {
        out += "\t<LI> <OBJECT type=\"text/sitemap\">\r\n";
        param(out, "Name", k.text, "\t\t");
        for (int t : k.topics) {
            if (k.topics.size() > 1)
                param(out, "Name", topicTitle(document.topics[static_cast<size_t>(t)]), "\t\t");
            param(out, "Local", page(names, t), "\t\t");
        }
        out += "\t\t</OBJECT>\r\n";
    }
    out += "</UL>\r\n</BODY>\r\n</HTML>\r\n";
    return out;
}

} // namespace hlp::chm
