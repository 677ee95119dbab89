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
QString foldAscii(QStringView s); // ASCII letters to upper case, others kept

// First line equal to `tag` (ASCII case folded) at or after `from`, or -1.
int findTag(const QStringList& lines, QStringView tag, int from = 0);
// First line exactly equal to `text` at or after `from`, or -1.
int findExact(const QStringList& lines, QStringView text, int from = 0);

// Index of the line that ends the block opened at `open`: the first line after it equal to
// `closeTag` exactly, or the last line when none follows.
int blockEnd(const QStringList& lines, int open, QStringView closeTag);
// Removes the block opened at `open` (up to and including its close tag, or to the end).
void removeBlock(QStringList& lines, int open, QStringView closeTag);

// The number of a whole tag line `prefix` + four digits + ">" (the prefix compared with ASCII
// letters folded when `fold`), or -1.
int tagNumber(QStringView line, QStringView prefix, bool fold);

// The counting tests of the file format (exact prefixes).
bool isTopicOpenPrefix(QStringView line);  // "<BLOC"
bool isTopicClosePrefix(QStringView line); // "</BLOC"
bool isPopupOpenPrefix(QStringView line);  // "<POPUP"

// True when a line would be read as a tag line by some reader; such body lines are written back
// with an empty RTF group in front so they stay text.
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
