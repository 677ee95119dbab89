#include "build/core/BlockWalk.h"

#include <algorithm>

namespace build {

BlockWalk::BlockWalk(const QStringList& lines)
    : size_(int(lines.size())), index_(lines)
{
    for (int i = 0; i < size_; ++i) {
        const QString& l = lines[i];
        if (l.isEmpty() || (l.front() != u'<' && l.front() != u' '))
            continue;
        if (l.startsWith(u"</"))
            closes_[l].append(i);
        if (store::looksLikeTag(l))
            tagLines_.push_back(i);
    }
}

BlockSpan BlockWalk::topic(int n) const
{
    return span(index_.topic(n), store::topicCloseTag(n));
}

BlockSpan BlockWalk::popup(int n) const
{
    return span(index_.popup(n), store::popupCloseTag(n));
}

BlockSpan BlockWalk::span(int open, const QString& closeTag) const
{
    if (open < 0)
        return {};
    const auto it = closes_.constFind(closeTag);
    if (it != closes_.constEnd()) {
        const auto at = std::upper_bound(it->cbegin(), it->cend(), open);
        if (at != it->cend())
            return {open, *at};
    }
    // No close tag after it: the block ends before the next tag line rather than swallowing
    // every block that follows.
    const auto next = std::upper_bound(tagLines_.cbegin(), tagLines_.cend(), open);
    return {open, next != tagLines_.cend() ? *next : size_};
}

} // namespace build
