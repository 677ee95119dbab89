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
// walk over 10,000 topics does not rescan the document for each one.
class TagIndex {
public:
    TagIndex() = default;
    explicit TagIndex(const QStringList& lines) { rebuild(lines); }
    void rebuild(const QStringList& lines);
    int find(QStringView tag) const; // like findTag(lines, tag), or -1
    int topic(int n) const { return at(TopicOpen, n); }
    int popup(int n) const { return at(PopupOpen, n); }
    // Every line that starts with "<" and ends with ">", in order: the only lines a tag can be, so a
    // walk that needs more of them than their first occurrences need not read the document again.
    const QList<int>& tagLines() const { return tagLines_; }

private:
    enum Kind { TopicOpen, PopupOpen, TopicClose, PopupClose, Kinds };
    // The number of a numbered open or close tag, with its kind; -1 for other lines.
    static int numbered(QStringView line, Kind& kind);
    int at(Kind kind, int n) const
    {
        const QList<int>& list = byNumber_[kind];
        return n >= 0 && n < list.size() ? list[n] : -1;
    }
    QHash<QString, int> first_;
    QList<int> byNumber_[Kinds]; // first line of each numbered tag, -1 when none
    QList<int> tagLines_;

};

} // namespace store
