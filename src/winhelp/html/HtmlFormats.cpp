#include "winhelp/html/HtmlFormats.h"

#include <cstdio>
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

} // namespace

QByteArray lengthRem(int twips)
{
    return rem(twips);
}

QByteArray borderStyle(std::uint8_t border)
{
    if (!border)
        return {};
    const QByteArray line = (border & BorderDouble) ? "3px double" : (border & BorderThick) ? "2px solid" : "1px solid";
    if (border & BorderBox)
        return "border:" + line + ";padding:0.2rem 0.4rem;";
    QByteArray s;
    if (border & BorderTop)
        s += "border-top:" + line + ';';
    if (border & BorderBottom)
        s += "border-bottom:" + line + ';';
    if (border & BorderLeft)
        s += "border-left:" + line + ';';
    if (border & BorderRight)
        s += "border-right:" + line + ';';
    return s.isEmpty() ? s : s + "padding:0.2rem 0.4rem;";
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
    s += borderStyle(f.border);
    return s;
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

} // namespace hlp::html
