#include "store/core/Blocks.h"

namespace store {

QString BlockNumber(int n)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}

QString topicOpenTag(int n) { return QStringLiteral("<BLOC") + BlockNumber(n) + QLatin1Char('>'); }
QString topicCloseTag(int n) { return QStringLiteral("</BLOC") + BlockNumber(n) + QLatin1Char('>'); }
QString popupOpenTag(int n) { return QStringLiteral("<POPUP") + BlockNumber(n) + QLatin1Char('>'); }
QString popupCloseTag(int n) { return QStringLiteral("</POPUP") + BlockNumber(n) + QLatin1Char('>'); }

static inline char16_t upperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

bool sameTag(QStringView line, QStringView tag)
{
    if (line.size() != tag.size())
        return false;
    for (qsizetype i = 0; i < line.size(); ++i)
        if (upperAscii(line[i].unicode()) != upperAscii(tag[i].unicode()))
            return false;
    return true;
}

QString foldAscii(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        out[i] = QChar(upperAscii(s[i].unicode()));
    return out;
}

int findTag(const QStringList& lines, QStringView tag, int from)
{
    for (qsizetype i = qMax(0, from); i < lines.size(); ++i)
        if (sameTag(lines[i], tag))
            return int(i);
    return -1;
}

int findExact(const QStringList& lines, QStringView text, int from)
{
    for (qsizetype i = qMax(0, from); i < lines.size(); ++i)
        if (lines[i] == text)
            return int(i);
    return -1;
}

int blockEnd(const QStringList& lines, int open, QStringView closeTag)
{
    const int close = findExact(lines, closeTag, open + 1);
    return close >= 0 ? close : int(lines.size()) - 1;
}

void removeBlock(QStringList& lines, int open, QStringView closeTag)
{
    if (open < 0 || open >= lines.size())
        return;
    const int end = blockEnd(lines, open, closeTag);
    lines.remove(open, end - open + 1);
}

bool isTopicOpenPrefix(QStringView line) { return line.startsWith(u"<BLOC"); }
bool isTopicClosePrefix(QStringView line) { return line.startsWith(u"</BLOC"); }
bool isPopupOpenPrefix(QStringView line) { return line.startsWith(u"<POPUP"); }

bool looksLikeTag(QStringView line)
{
    const QString folded = foldAscii(line);
    if (folded.startsWith(u"<BLOC") || folded.startsWith(u"</BLOC") || folded.startsWith(u"<POPUP")
        || folded.startsWith(u"</POPUP"))
        return true;
    QStringView t = folded;
    while (!t.isEmpty() && t.front() == u' ')
        t = t.sliced(1);
    while (!t.isEmpty() && t.back() == u' ')
        t.chop(1);
    return t == u"<HEADER>" || t == u"</HEADER>" || t == u"<HPJ>" || t == u"</HPJ>";
}

QString protectBodyLine(const QString& line)
{
    return looksLikeTag(line) ? QStringLiteral("{}") + line : line;
}

void TagIndex::rebuild(const QStringList& lines)
{
    first_.clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& l = lines[i];
        if (l.size() < 3 || l.front() != u'<' || l.back() != u'>')
            continue;
        const QString key = foldAscii(l);
        if (!first_.contains(key))
            first_.insert(key, int(i));
    }
}

int TagIndex::find(QStringView tag) const
{
    const auto it = first_.constFind(foldAscii(tag));
    return it == first_.constEnd() ? -1 : it.value();
}

} // namespace store
