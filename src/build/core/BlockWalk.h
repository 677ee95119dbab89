#pragma once
// Finds every topic and popup block of a list of lines by number in one pass over the lines, so
// writing 10,000 topics never rescans the document per topic.
#include "store/core/Blocks.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <vector>

namespace build {

struct BlockSpan {
    int open = -1; // the open tag line
    int end = -1;  // one past the last line of the block's content (the close tag, when present)
    bool found() const { return open >= 0; }
};

class BlockWalk {
public:
    explicit BlockWalk(const QStringList& lines);

    BlockSpan topic(int n) const;
    BlockSpan popup(int n) const;

private:
    BlockSpan span(int open, const QString& closeTag) const;

    int size_ = 0;
    store::TagIndex index_;
    QHash<QString, QList<int>> closes_; // exact close-tag text -> its lines, ascending
    std::vector<int> tagLines_;         // lines a reader would take for a tag, ascending
};

} // namespace build
