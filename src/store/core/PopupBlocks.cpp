#include "store/core/PopupBlocks.h"

#include "store/core/Blocks.h"
#include "store/core/TextRules.h"

#include <algorithm>
#include <vector>

namespace store {

namespace {

// A character is escaped when an odd number of backslashes stands right before it.
bool escaped(QStringView text, qsizetype at)
{
    qsizetype slashes = 0;
    while (at - slashes - 1 >= 0 && text[at - slashes - 1] == u'\\')
        ++slashes;
    return slashes % 2 == 1;
}

bool isBrace(QChar c) { return c == u'{' || c == u'}'; }

// The first unescaped "}" at or after `from`, or -1 when an unescaped "{" or the end comes first.
qsizetype groupClose(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (!isBrace(text[i]) || escaped(text, i))
            continue;
        return text[i] == u'}' ? i : -1;
    }
    return -1;
}

// Where the anchor "{\ul word}" in front of a hidden part at `at` begins, or -1.
qsizetype anchorStart(QStringView text, qsizetype at)
{
    const qsizetype close = at - 1;
    if (close < 0 || text[close] != u'}' || escaped(text, close))
        return -1;
    const qsizetype open = text.first(close).lastIndexOf(u"{\\ul ");
    if (open < 0 || escaped(text, open))
        return -1;
    for (qsizetype i = open + 5; i < close; ++i)
        if (isBrace(text[i]) && !escaped(text, i))
            return -1;
    return open;
}

constexpr qsizetype HiddenLength = 10; // "{\v Pp" and four digits

} // namespace

bool renumberPopupLinks(QString& line, const std::function<int(int)>& numberOf, int* plain)
{
    bool changed = false;
    qsizetype pos = 0;
    int m = -1;
    for (qsizetype at; (at = findHiddenLink(line, pos, m)) >= 0;) {
        const int to = numberOf(m);
        if (to == m) {
            pos = at + HiddenLength;
            continue;
        }
        changed = true;
        if (to >= 0) {
            line.replace(at + 6, 4, BlockNumber(to));
            pos = at + HiddenLength;
            continue;
        }
        const qsizetype close = groupClose(line, at + HiddenLength);
        const qsizetype end = close >= 0 ? close + 1 : at + HiddenLength;
        qsizetype start = anchorStart(line, at);
        QString word;
        if (start >= 0)
            word = line.mid(start + 5, at - 1 - (start + 5));
        else
            start = at;
        line.replace(start, end - start, word);
        pos = start + word.size();
        if (plain)
            ++*plain;
    }
    return changed;
}

void retagPopup(QStringList& block, int n)
{
    if (block.size() < 2)
        return;
    block.first() = popupOpenTag(n);
    block.last() = popupCloseTag(n);
    // The title line carries the number too: four digits before the end mark.
    QString& title = block[1];
    if (block.size() > 2 && title.size() >= 5 && title.endsWith(TitleEndMark)
        && std::all_of(title.cend() - 5, title.cend() - 1, [](QChar c) { return c >= u'0' && c <= u'9'; }))
        title.replace(title.size() - 5, 4, BlockNumber(n));
}

int newPopupNumber(const QStringList& lines)
{
    std::vector<char> used(MaxBlocks, 0);
    const qsizetype tagLength = popupOpenTag(0).size();
    for (const QString& l : lines) {
        if (l.size() != tagLength || l.front() != u'<')
            continue;
        if (const int n = tagNumber(l, u"<POPUP", true); n >= 0)
            used[size_t(n)] = 1;
    }
    const auto free = std::find(used.cbegin(), used.cend(), 0);
    return free == used.cend() ? -1 : int(free - used.cbegin());
}

QString PopupLink(const QString& anchor, int n)
{
    return QStringLiteral("{\\ul ") + anchor + QStringLiteral("}{\\v Pp") + BlockNumber(n) + QLatin1Char('}');
}

QString popupTitleLine(int n, const QString& firstLine)
{
    QString title = firstLine;
    if (title.endsWith(ParagraphMark))
        title.chop(1);
    return title + BlockNumber(n) + TitleEndMark;
}

QStringList popupTextToStore(const QStringList& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString line = text[i];
        if (line.endsWith(ParagraphMark))
            line.chop(1);
        if (!TrimSpaces(line).isEmpty())
            return text.mid(i);
    }
    return {};
}

QStringList popupBlock(int n, const QStringList& text)
{
    QStringList out;
    out.reserve(text.size() + 3);
    out << popupOpenTag(n) << QString();
    for (const QString& line : text)
        out << protectBodyLine(line);
    // The title follows the first line as stored, protection included.
    out[1] = popupTitleLine(n, out.size() > 2 ? out[2] : QString());
    out << popupCloseTag(n);
    return out;
}

QStringList popupText(const QStringList& lines, int open, QStringView closeTag)
{
    // Where the block ends is the readers' rule (blockExtent), so the editor shows what the build writes.
    const int end = blockExtent(lines, open, closeTag).contentEnd;
    return open + 2 < end ? lines.mid(open + 2, end - open - 2) : QStringList();
}

QString popupTitle(const QStringList& lines, int open)
{
    QString title = open + 1 < lines.size() ? lines[open + 1] : QString();
    title.chop(5);
    return title;
}

int countPopupBlocks(const QStringList& lines)
{
    int count = 0;
    for (const QString& l : lines)
        if (isPopupOpenPrefix(l))
            ++count;
    return count;
}

QStringList popupTitles(const QStringList& lines)
{
    // One pass for the popup open tags alone (first occurrence wins, letter case folded, as a
    // lookup finds them): the list of a large project fills without indexing every tag line.
    std::vector<int> open(MaxBlocks, -1);
    const qsizetype tagLength = popupOpenTag(0).size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& l = lines[i];
        if (l.size() != tagLength || l.front() != u'<')
            continue;
        const int n = tagNumber(l, u"<POPUP", true);
        if (n >= 0 && open[n] < 0)
            open[n] = int(i);
    }
    QStringList titles;
    for (int n = 0; n < MaxBlocks && open[n] >= 0; ++n)
        titles << popupTitle(lines, open[n]);
    return titles;
}

qsizetype findHiddenLink(QStringView text, qsizetype from, int& number)
{
    for (qsizetype at = text.indexOf(u'{', qMax<qsizetype>(0, from)); at >= 0; at = text.indexOf(u'{', at + 1)) {
        if (at + HiddenLength > text.size() || escaped(text, at))
            continue;
        const QStringView s = text.sliced(at, HiddenLength);
        if (s[1] != u'\\' || (s[2] != u'v' && s[2] != u'V') || s[3] != u' ' || (s[4] != u'P' && s[4] != u'p')
            || (s[5] != u'P' && s[5] != u'p'))
            continue;
        int value = 0;
        bool digits = true;
        for (qsizetype i = 6; i < HiddenLength && digits; ++i) {
            digits = s[i] >= u'0' && s[i] <= u'9';
            value = value * 10 + (s[i].unicode() - u'0');
        }
        // A fifth digit: a number no popup can have, so no link to rewrite.
        const bool fifth = at + HiddenLength < text.size() && text[at + HiddenLength] >= u'0'
            && text[at + HiddenLength] <= u'9';
        if (!digits || fifth)
            continue;
        number = value;
        return at;
    }
    return -1;
}

PopupRemoval planPopupRemoval(const QStringList& lines, int n)
{
    PopupRemoval plan;
    plan.popup = n;
    // The popup's own lines go with it: a link in them to itself is no link that stays as text.
    const int open = findTag(lines, popupOpenTag(n));
    const int end = open >= 0 ? blockExtent(lines, open, popupCloseTag(n)).end : -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == open) {
            i = end - 1;
            continue;
        }
        const QString& l = lines[i];
        if (l.size() > 3 && l.front() == u'<' && l.back() == u'>'
            && (tagNumber(l, u"<POPUP", true) > n || tagNumber(l, u"</POPUP", true) > n)) {
            plan.lines << int(i);
            continue;
        }
        bool touched = false;
        int m = -1;
        for (qsizetype at = 0; (at = findHiddenLink(l, at, m)) >= 0; at += HiddenLength) {
            touched = touched || m >= n;
            plan.plainLinks += m == n;
        }
        if (touched)
            plan.lines << int(i);
    }
    return plan;
}

int removePopup(QStringList& lines, const PopupRemoval& plan)
{
    const int n = plan.popup;
    const int open = findTag(lines, popupOpenTag(n));
    if (open < 0)
        return -1;
    // Where the block ends is read before a later popup's close tag takes its number.
    const int end = blockEnd(lines, open, popupCloseTag(n));
    int plain = 0;
    for (const int i : plan.lines) {
        const QString& l = lines[i];
        if (const int m = tagNumber(l, u"<POPUP", true); m > n) {
            lines[i] = popupOpenTag(m - 1);
            // The title line carries the number too.
            if (i + 1 < lines.size()) {
                QString& title = lines[i + 1];
                const QString old = BlockNumber(m) + TitleEndMark;
                if (title.endsWith(old))
                    title.replace(title.size() - old.size(), 4, BlockNumber(m - 1));
            }
        } else if (const int c = tagNumber(l, u"</POPUP", true); c > n) {
            lines[i] = popupCloseTag(c - 1);
        } else {
            QString copy = l;
            const auto removal = [n](int m) { return m < n ? m : m > n ? m - 1 : -1; };
            if (renumberPopupLinks(copy, removal, &plain))
                lines[i] = copy;
        }
    }
    // Last, so that the planned line numbers held until here.
    lines.remove(open, end - open + 1);
    return plain;
}

} // namespace store
