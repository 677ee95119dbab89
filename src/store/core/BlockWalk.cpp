#include "store/core/BlockWalk.h"

#include <algorithm>

namespace store {

namespace {

// The number of an exact close tag "</BLOCnnnn>" or "</POPUPnnnn>" (letter case included), or -1.
int closeNumber(const QString& l, bool& popup)
{
    int n = tagNumber(l, u"</BLOC", false);
    popup = n < 0;
    if (popup)
        n = tagNumber(l, u"</POPUP", false);
    return n;
}

} // namespace

BlockWalk::BlockWalk(const QStringList& lines)
    : lines_(lines), index_(lines)
{
    for (int i = 0; i < int(lines.size()); ++i) {
        const QString& l = lines[i];
        // "</BLOCnnnn>" has 11 characters, "</POPUPnnnn>" 12: other lengths need no reading.
        if ((l.size() != 11 && l.size() != 12) || l[0] != u'<' || l[1] != u'/')
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
    while (end < size && !looksLikeTag(lines_[end]))
        ++end;
    return {open, end, false};
}

} // namespace store
