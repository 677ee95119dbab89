#pragma once
// Tag lines and blocks of the document. Finding a block compares the whole line with ASCII letters
// folded; the close tag that ends a block is compared exactly; counting tests exact prefixes.
#include <QHash>
#include <QString>
#include <QStringList>

namespace store {

inline constexpr QChar TitleEndMark = QChar(1);
inline constexpr QChar ParagraphMark = QChar(0xB6);
inline constexpr int MaxBlocks = 10000;

QString BlockNumber(int n); // four digits, zero padded
QString topicOpenTag(int n);
QString topicCloseTag(int n);
QString popupOpenTag(int n);
QString popupCloseTag(int n);

// Whole-line comparison folding only the ASCII letters.
bool sameTag(QStringView line, QStringView tag);
// The part of a line that the readers compare with a tag: the line without the spaces (code 32)
// around it. One rule for every reader and for the protection of stored text.
QStringView tagText(QStringView line);
QString foldAscii(QStringView s); // ASCII letters to upper case, others kept

// First line equal to `tag` (ASCII case folded) at or after `from`, or -1.
int findTag(const QStringList& lines, QStringView tag, int from = 0);
// First line exactly equal to `text` at or after `from`, or -1.
int findExact(const QStringList& lines, QStringView text, int from = 0);

// Where the block opened at `open` ends, the same for every reader: at the first later line that
// is its close tag (spaces around it allowed: the count of tags takes such a line for a close),
// unless a line that starts another block comes first: then the block ends before that line
// without its close, so a block never swallows another; else at the end of the lines.
struct Extent {
    int open = -1;
    int contentEnd = -1; // one past the last content line: the close tag's line when there is one
    int end = -1;        // one past the block's last line
    bool closed = false;
};
Extent blockExtent(const QStringList& lines, int open, QStringView closeTag);
// The line of the close tag that ends a block, as blockExtent finds it (spaces around allowed).
bool isCloseLine(QStringView line, QStringView closeTag);
// A line the lookups take for the start of a block: a numbered topic or popup open tag (ASCII
// letters folded), "<HEADER>" or "<HPJ>".
bool startsBlock(QStringView line);
// Index of the block's last line (its close tag when it has one).
int blockEnd(const QStringList& lines, int open, QStringView closeTag);
// Removes the block opened at `open`: the lines blockExtent gives it.
void removeBlock(QStringList& lines, int open, QStringView closeTag);

// The number of a whole tag line `prefix` + four digits + ">" (the prefix compared with ASCII
// letters folded when `fold`), or -1.
int tagNumber(QStringView line, QStringView prefix, bool fold);
// The same with any number of digits from four to nine (ASCII letters of the prefix folded): a tag
// that four digits cannot hold, such as "<BLOC10000>", which no lookup finds. -1 when not such a line.
int wideTagNumber(QStringView line, QStringView prefix);

// The counting tests of the file format (exact prefixes).
bool isTopicOpenPrefix(QStringView line);  // "<BLOC"
bool isTopicClosePrefix(QStringView line); // "</BLOC"
bool isPopupOpenPrefix(QStringView line);  // "<POPUP"

// True when some reader could take the line for a tag line: its tagText, letter case folded,
// starts like a topic or popup tag ("<BLOC", "</BLOC", "<POPUP", "</POPUP") or is a header or
// project tag. Such text lines are stored with an empty RTF group in front so they stay text.
bool looksLikeTag(QStringView line);
QString protectBodyLine(const QString& line);

// One index of the tag lines for a walk over all blocks: built once, first occurrence wins, so a
// walk over 10,000 topics does not rescan the document for each one. Topic and popup open tags are
// indexed at once, reading only the lines of their length; other tag lines on the first `find` of one,
// which reads the lines given: they must still be there, unchanged.
class TagIndex {
public:
    TagIndex() = default;
    explicit TagIndex(const QStringList& lines) { rebuild(lines); }
    void rebuild(const QStringList& lines);
    int find(QStringView tag) const; // like findTag(lines, tag) on the lines given, or -1
    int topic(int n) const { return n >= 0 && n < topics_.size() ? topics_[n] : -1; }
    int popup(int n) const { return n >= 0 && n < popups_.size() ? popups_[n] : -1; }

private:
    static int numbered(QStringView line, bool& popup);
    const QStringList* lines_ = nullptr; // not shared: a write to the lines must never copy them
    mutable QHash<QString, int> first_;
    mutable bool othersIndexed_ = false;
    QList<int> topics_;
    QList<int> popups_;
};

} // namespace store
