#pragma once
// One topic block read into fields and written back from them.
#include <QString>
#include <QStringList>

namespace store {

inline constexpr int MaxKeywordLength = 255;
inline constexpr int MaxSeeAlsoLength = 255;

struct TopicFields {
    QString title;      // as typed, without the end mark
    QString keywords;   // the keyword list
    QString seeAlso;    // see-also target, possibly empty
    int level = 1;      // 1 or 2
    QStringList body;

    bool operator==(const TopicFields&) const = default;
};

// Reads the block opened at `open` (closed by `closeTag`). A keyword line that does not start
// with "1" or "2" gives level 1 and is taken whole.
TopicFields readTopic(const QStringList& lines, int open, QStringView closeTag);

// The lines of the block for topic `n`. A title or body line that a reader would take for a tag is
// protected with an empty RTF group in front.
QStringList topicBlock(int n, const TopicFields& f);

// Just the title of the block opened at `open` (the line after the keyword line, less its last
// character).
QString topicTitle(const QStringList& lines, int open);

// The keyword line of the block opened at `open`, or -1 when the block has none: the line after the
// tag is missing or is itself a tag line (a block cut short), and writing into it would break a tag.
int keywordLineOf(const QStringList& lines, int open);

} // namespace store
