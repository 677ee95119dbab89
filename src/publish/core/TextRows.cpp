#include "publish/core/TextRows.h"

#include <algorithm>

namespace publish {

void TextRows::setText(QString text)
{
    // One pass in place (QString::replace of a two-character text is far slower on large texts).
    if (text.contains(u'\r')) {
        char16_t* d = reinterpret_cast<char16_t*>(text.data());
        const qsizetype n = text.size();
        qsizetype out = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (d[i] == u'\r') {
                d[out++] = u'\n';
                if (i + 1 < n && d[i + 1] == u'\n')
                    ++i;
            } else {
                d[out++] = d[i];
            }
        }
        text.truncate(out);
    }
    text_ = std::move(text);
    starts_.clear();
    longest_ = 0;
    const qsizetype n = text_.size();
    qsizetype start = 0;
    for (;;) {
        qsizetype end = text_.indexOf(u'\n', start);
        if (end < 0)
            end = n;
        for (qsizetype s = start; s < end || s == start; s += MaxRowLength) {
            starts_.push_back(s);
            longest_ = std::max(longest_, std::min(MaxRowLength, end - s));
        }
        if (end >= n)
            break;
        start = end + 1;
    }
}

qsizetype TextRows::rowLength(qsizetype row) const
{
    const qsizetype start = rowStart(row);
    if (row + 1 >= rowCount())
        return text_.size() - start;
    const qsizetype next = rowStart(row + 1);
    return next - start - (text_[next - 1] == u'\n' ? 1 : 0);
}

qsizetype TextRows::rowOf(qsizetype offset) const
{
    const auto at = std::upper_bound(starts_.cbegin(), starts_.cend(), offset);
    return std::max<qsizetype>(0, qsizetype(at - starts_.cbegin()) - 1);
}

} // namespace publish
