#include "store/core/Blocks.h"

namespace store {

QString BlockNumber(int n)
{
    if (n < 0 || n > 9999)
        return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
    // Every tag of every walk is made here: the four digits directly.
    QString s(4, Qt::Uninitialized);
    QChar* d = s.data();
    for (int i = 3; i >= 0; --i, n /= 10)
        d[i] = QChar(u'0' + n % 10);
    return s;
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
    // Most lines differ from the tag in length, which the list holds without a look at the text:
    // a page turn scans the whole document this way.
    const qsizetype n = tag.size();
    const QString* const first = lines.constData();
    const QString* const end = first + lines.size();
    // Of the lines of its length (the other tags), the next to last character (a block's last
    // digit) tells most apart.
    const char16_t mark = n >= 2 ? upperAscii(tag[n - 2].unicode()) : 0;
    for (const QString* l = first + qMin<qsizetype>(qMax(0, from), lines.size()); l != end; ++l)
        if (l->size() == n && (n < 2 || upperAscii(l->at(n - 2).unicode()) == mark) && sameTag(*l, tag))
            return int(l - first);
    return -1;
}

int findExact(const QStringList& lines, QStringView text, int from)
{
    for (qsizetype i = qMax(0, from); i < lines.size(); ++i)
        if (lines[i] == text)
            return int(i);
    return -1;
}

QStringView tagText(QStringView line)
{
    qsizetype a = 0, b = line.size();
    while (a < b && line[a] == u' ')
        ++a;
    while (b > a && line[b - 1] == u' ')
        --b;
    return line.sliced(a, b - a);
}

bool isCloseLine(QStringView line, QStringView closeTag)
{
    return line.size() >= closeTag.size() && tagText(line) == closeTag;
}

bool startsBlock(QStringView line)
{
    if (line.isEmpty() || (line.front() != u'<' && line.front() != u' '))
        return false;
    if (tagNumber(line, u"<BLOC", true) >= 0 || tagNumber(line, u"<POPUP", true) >= 0)
        return true;
    const QStringView t = tagText(line);
    return sameTag(t, u"<HEADER>") || sameTag(t, u"<HPJ>");
}

Extent blockExtent(const QStringList& lines, int open, QStringView closeTag)
{
    const int size = int(lines.size());
    Extent e;
    e.open = open;
    if (open < 0 || open >= size)
        return e;
    int i = open + 1;
    for (; i < size; ++i) {
        if (isCloseLine(lines[i], closeTag)) {
            e.contentEnd = i;
            e.end = i + 1;
            e.closed = true;
            return e;
        }
        if (startsBlock(lines[i]))
            break;
    }
    e.contentEnd = e.end = i;
    return e;
}

int blockEnd(const QStringList& lines, int open, QStringView closeTag)
{
    return blockExtent(lines, open, closeTag).end - 1;
}

void removeBlock(QStringList& lines, int open, QStringView closeTag)
{
    if (open < 0 || open >= lines.size())
        return;
    const int end = blockEnd(lines, open, closeTag);
    lines.remove(open, end - open + 1);
}

// Exact prefix tests run over every line of large documents: kept to plain comparisons.
template <size_t N>
static inline bool hasPrefix(QStringView line, const char16_t (&prefix)[N])
{
    constexpr qsizetype n = N - 1;
    if (line.size() < n)
        return false;
    const char16_t* s = line.utf16();
    for (qsizetype i = 0; i < n; ++i)
        if (s[i] != prefix[i])
            return false;
    return true;
}

bool isTopicOpenPrefix(QStringView line) { return hasPrefix(line, u"<BLOC"); }
bool isTopicClosePrefix(QStringView line) { return hasPrefix(line, u"</BLOC"); }
bool isPopupOpenPrefix(QStringView line) { return hasPrefix(line, u"<POPUP"); }

bool looksLikeTag(QStringView line)
{
    // Runs over every changed line of a replace-all: compares in place, allocates nothing.
    const QStringView t = tagText(line);
    if (t.isEmpty() || t.front() != u'<')
        return false;
    auto startsFolded = [t](QStringView prefix) {
        if (t.size() < prefix.size())
            return false;
        for (qsizetype i = 0; i < prefix.size(); ++i)
            if (upperAscii(t[i].unicode()) != prefix[i].unicode())
                return false;
        return true;
    };
    return startsFolded(u"<BLOC") || startsFolded(u"</BLOC") || startsFolded(u"<POPUP") || startsFolded(u"</POPUP")
        || sameTag(t, u"<HEADER>") || sameTag(t, u"</HEADER>") || sameTag(t, u"<HPJ>") || sameTag(t, u"</HPJ>");
}

QString protectBodyLine(const QString& line)
{
    return looksLikeTag(line) ? QStringLiteral("{}") + line : line;
}

int tagNumber(QStringView line, QStringView prefix, bool fold)
{
    const qsizetype n = prefix.size() + 5;
    if (line.size() != n || line[n - 1] != u'>')
        return -1;
    const QStringView head = line.first(prefix.size());
    if (fold ? !sameTag(head, prefix) : head != prefix)
        return -1;
    int value = 0;
    for (qsizetype i = prefix.size(); i < n - 1; ++i) {
        const char16_t c = line[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

int wideTagNumber(QStringView line, QStringView prefix)
{
    const qsizetype digits = line.size() - prefix.size() - 1;
    if (digits < 4 || digits > 9 || line.back() != u'>' || !sameTag(line.first(prefix.size()), prefix))
        return -1;
    int value = 0;
    for (const QChar c : line.sliced(prefix.size(), digits)) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// Topic and popup open tags go to arrays by number; other tag lines to a small hash.
int TagIndex::numbered(QStringView line, bool& popup)
{
    int n = tagNumber(line, u"<BLOC", true);
    popup = n < 0;
    if (popup)
        n = tagNumber(line, u"<POPUP", true);
    return n;
}

void TagIndex::rebuild(const QStringList& lines)
{
    lines_ = &lines;
    first_.clear();
    othersIndexed_ = false;
    topics_.fill(-1, MaxBlocks);
    popups_.fill(-1, MaxBlocks);
    // "<BLOCnnnn>" has 10 characters, "<POPUPnnnn>" 11: the length alone, kept in the list itself,
    // rules out nearly every line without reading its text.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& l = lines[i];
        if (l.size() != 10 && l.size() != 11)
            continue;
        bool popup = false;
        const int number = numbered(l, popup);
        if (number < 0)
            continue;
        int& slot = popup ? popups_[number] : topics_[number];
        if (slot < 0)
            slot = int(i);
    }
}

int TagIndex::find(QStringView tag) const
{
    bool popup = false;
    const int number = numbered(tag, popup);
    if (number >= 0 && !topics_.isEmpty())
        return popup ? popups_[number] : topics_[number];
    if (!othersIndexed_ && lines_) {
        othersIndexed_ = true;
        for (qsizetype i = 0; i < lines_->size(); ++i) {
            const QString& l = (*lines_)[i];
            if (l.size() < 3 || l.front() != u'<' || l.back() != u'>')
                continue;
            const QString key = foldAscii(l);
            if (!first_.contains(key))
                first_.insert(key, int(i));
        }
    }
    const auto it = first_.constFind(foldAscii(tag));
    return it == first_.constEnd() ? -1 : it.value();
}

} // namespace store
