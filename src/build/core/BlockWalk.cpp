#include "build/core/BlockWalk.h"

#include <algorithm>

namespace build {

namespace {

// The number of an exact close tag "</BLOCnnnn>" or "</POPUPnnnn>" (letter case included), or -1.
int closeNumber(const QString& l, bool& popup)
{
    const qsizetype n = l.size();
    if (n != 11 && n != 12)
        return -1;
    const QStringView prefix = QStringView(l).first(n - 5);
    if (n == 11 && prefix == u"</BLOC")
        popup = false;
    else if (n == 12 && prefix == u"</POPUP")
        popup = true;
    else
        return -1;
    if (l[n - 1] != u'>')
        return -1;
    int value = 0;
    for (qsizetype i = n - 5; i < n - 1; ++i) {
        const char16_t c = l[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

BlockWalk::BlockWalk(const QStringList& lines)
    : lines_(lines), index_(lines)
{
    for (int i = 0; i < int(lines.size()); ++i) {
        const QString& l = lines[i];
        if (l.size() < 11 || l[0] != u'<' || l[1] != u'/')
            continue;
        bool popup = false;
        const int n = closeNumber(l, popup);
        if (n >= 0)
            (popup ? popupCloses_ : topicCloses_).emplace_back(n, i);
    }
    std::sort(topicCloses_.begin(), topicCloses_.end());
    std::sort(popupCloses_.begin(), popupCloses_.end());
}

BlockSpan BlockWalk::topic(int n) const
{
    return span(index_.topic(n), topicCloses_, n);
}

BlockSpan BlockWalk::popup(int n) const
{
    return span(index_.popup(n), popupCloses_, n);
}

BlockSpan BlockWalk::span(int open, const std::vector<std::pair<int, int>>& closes, int n) const
{
    if (open < 0)
        return {};
    const auto at = std::lower_bound(closes.cbegin(), closes.cend(), std::pair<int, int>(n, open + 1));
    if (at != closes.cend() && at->first == n)
        return {open, at->second, true};
    // No close tag after it: the block ends before the next tag line rather than swallowing every
    // block that follows. The scan stays within the block, so a whole walk remains linear.
    int end = open + 1;
    const int size = int(lines_.size());
    while (end < size && !store::looksLikeTag(lines_[end]))
        ++end;
    return {open, end, false};
}

} // namespace build
