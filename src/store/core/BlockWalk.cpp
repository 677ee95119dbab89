#include "store/core/BlockWalk.h"

#include <algorithm>

namespace store {

namespace {

// The number of a close tag "</BLOCnnnn>" or "</POPUPnnnn>" (letter case included, spaces around
// it allowed, as isCloseLine takes it), or -1.
int closeNumber(QStringView l, bool& popup)
{
    l = tagText(l);
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
        // Only a line that begins with '<' or a space can be a tag line: the rest need no reading.
        if (l.isEmpty() || (l[0] != u'<' && l[0] != u' '))
            continue;
        if (startsBlock(l)) {
            starts_.push_back(i);
            continue;
        }
        // "</BLOCnnnn>" has 11 characters, "</POPUPnnnn>" 12, spaces around them aside.
        if (l.size() < 11)
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
    // As blockExtent: the close tag, unless another block starts first.
    const auto next = std::upper_bound(starts_.cbegin(), starts_.cend(), open);
    const int nextStart = next != starts_.cend() ? *next : int(lines_.size());
    const auto at = std::lower_bound(closes.cbegin(), closes.cend(), std::pair<int, int>(n, open + 1));
    if (at != closes.cend() && at->first == n && at->second < nextStart)
        return {open, at->second, true};
    return {open, nextStart, false};
}

} // namespace store
