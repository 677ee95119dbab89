#pragma once
// Finds every topic and popup block of a list of lines by number, from one pass over the lines, so
// a walk over 10,000 topics never rescans the document per topic.
#include "store/core/Blocks.h"

#include <QStringList>
#include <utility>
#include <vector>

namespace store {

struct BlockSpan {
    int open = -1; // the open tag line
    int end = -1;  // one past the block's last content line: its close tag when it has one
    bool closed = false;
    bool found() const { return open >= 0; }
};

// Keeps a reference to `lines`, which must outlive it unchanged.
class BlockWalk {
public:
    explicit BlockWalk(const QStringList& lines);

    BlockSpan topic(int n) const;
    BlockSpan popup(int n) const;

private:
    BlockSpan span(int open, const std::vector<std::pair<int, int>>& closes, int n) const;

    const QStringList& lines_;
    TagIndex index_;
    // (number, line) of every exact close tag, sorted: the first close after an open tag is one
    // binary search away.
    std::vector<std::pair<int, int>> topicCloses_, popupCloses_;
};

} // namespace store
