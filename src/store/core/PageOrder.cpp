#include "store/core/PageOrder.h"

#include "store/core/BlockWalk.h"
#include "store/core/TopicRecord.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace store {

QList<PageEntry> pageEntries(const QStringList& lines)
{
    const TagIndex index(lines);
    QList<PageEntry> out;
    for (int n = 0;; ++n) {
        const int open = index.topic(n);
        if (open < 0)
            break;
        PageEntry e;
        e.number = n;
        e.title = topicTitle(lines, open);
        const bool two = open + 1 < lines.size() && lines[open + 1].startsWith(u'2');
        e.level = two && n > 0 ? 2 : 1;
        out << e;
    }
    return out;
}

Renumbering renumberTopics(QStringList& lines, const QList<int>& order)
{
    const int count = int(order.size());
    Renumbering r;
    r.numberOf.resize(count);
    for (int k = 0; k < count; ++k)
        r.numberOf[k] = k;

    std::vector<char> seen(size_t(count), 0);
    bool moved = false;
    for (int i = 0; i < count; ++i) {
        const int k = order[i];
        if (k < 0 || k >= count || seen[k])
            return r;
        seen[k] = true;
        moved = moved || k != i;
    }
    if (!moved)
        return r;

    const BlockWalk before(lines);
    QList<BlockSpan> spans(count);
    for (int k = 0; k < count; ++k) {
        spans[k] = before.topic(k);
        if (!spans[k].found()) {
            r.refused = true;
            return r;
        }
    }

    // The swaps of each position with the topic that belongs there end with every topic carrying
    // its position's number, so each tag line is written once, straight to its final number.
    QList<std::pair<int, QString>> saved;
    auto put = [&](int line, const QString& text) {
        saved.append({line, lines[line]});
        lines[line] = text;
    };
    for (int i = 0; i < count; ++i) {
        const int k = order[i];
        if (k == i)
            continue;
        put(spans[k].open, topicOpenTag(i));
        if (spans[k].closed)
            put(spans[k].end, topicCloseTag(i));
    }

    // Every reader must now find each topic's own lines under its new number; a stray tag line of
    // the same number standing before it would hand them another block, so then nothing changes.
    const BlockWalk after(lines);
    for (int i = 0; i < count; ++i) {
        const BlockSpan was = spans[order[i]];
        const BlockSpan now = after.topic(i);
        if (now.open != was.open || now.end != was.end || now.closed != was.closed) {
            for (auto it = saved.crbegin(); it != saved.crend(); ++it)
                lines[it->first] = it->second;
            r.refused = true;
            return r;
        }
    }
    for (int i = 0; i < count; ++i)
        r.numberOf[order[i]] = i;
    r.changed = true;
    return r;
}

QList<int> outlineDepths(const QList<PageEntry>& shown)
{
    QList<int> depth(shown.size(), 0);
    for (qsizetype i = 1; i < shown.size(); ++i)
        depth[i] = shown[i].level == 2 ? depth[i - 1] + 1 : 0;
    return depth;
}

bool indentEntry(QList<PageEntry>& shown, int i)
{
    if (i <= 0 || i >= shown.size() || shown[i].level == 2)
        return false;
    shown[i].level = 2;
    return true;
}

bool outdentEntry(QList<PageEntry>& shown, int i)
{
    if (i < 0 || i >= shown.size() || shown[i].level != 2)
        return false;
    shown[i].level = 1;
    return true;
}

namespace {

// One past the last child of the top-level entry at `i`.
int subtreeEnd(const QList<PageEntry>& shown, int i)
{
    int j = i + 1;
    while (j < shown.size() && shown[j].level == 2)
        ++j;
    return j;
}

bool isTopLevel(const QList<PageEntry>& shown, int i)
{
    return i >= 0 && i < shown.size() && (i == 0 || shown[i].level != 2);
}

} // namespace

int moveEntryUp(QList<PageEntry>& shown, int i)
{
    if (i <= 0 || !isTopLevel(shown, i))
        return -1;
    int k = i - 1;
    while (k > 0 && shown[k].level == 2)
        --k;
    std::rotate(shown.begin() + k, shown.begin() + i, shown.begin() + subtreeEnd(shown, i));
    return k;
}

int moveEntryDown(QList<PageEntry>& shown, int i)
{
    if (!isTopLevel(shown, i))
        return -1;
    const int next = subtreeEnd(shown, i);
    if (next >= shown.size())
        return -1;
    const int end = subtreeEnd(shown, next);
    std::rotate(shown.begin() + i, shown.begin() + next, shown.begin() + end);
    return i + (end - next);
}

bool writeLevels(QStringList& lines, const QList<PageEntry>& shown, const Renumbering& renumbered)
{
    const TagIndex index(lines);
    bool changed = false;
    for (const PageEntry& e : shown) {
        const int number = renumbered.newNumber(e.number);
        const int at = keywordLineOf(lines, index.topic(number));
        if (at < 0)
            continue;
        QString& line = lines[at];
        const QChar c = line.isEmpty() ? QChar() : line.front();
        const bool readAsTwo = c == u'2' && number > 0;
        if (readAsTwo == (e.level == 2))
            continue;
        const QChar digit = e.level == 2 ? u'2' : u'1';
        if (c == u'1' || c == u'2')
            line[0] = digit;
        else
            line.prepend(digit);
        changed = true;
    }
    return changed;
}

} // namespace store
