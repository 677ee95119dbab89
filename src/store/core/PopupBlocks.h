#pragma once
// Popup blocks and the links to them: building a block, listing the popups, finding the links in
// the text, and removing a popup so that the numbers stay free of gaps.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

namespace store {

// "{\ul " anchor "}{\v Pp" four digits "}": the underlined word and the hidden context string.
QString PopupLink(const QString& anchor, int n);

// The title line of popup `n`: the first text line without its final paragraph mark, the four
// digits, the end mark.
QString popupTitleLine(int n, const QString& firstLine);
// The popup text as it is stored: without the blank lines in front of its first line of text
// (spaces and a paragraph mark alone are blank), so a popup is always headed by text. Empty when the
// whole text is blank: only then is the popup removed.
QStringList popupTextToStore(const QStringList& text);
// Tag, title line, text lines, close tag. A line that some reader would take for a tag gets the
// empty group in front, as in a topic, so a popup can never break the document.
QStringList popupBlock(int n, const QStringList& text);
// The text lines of the popup opened at `open`: from the line after its title line to where the
// block ends (blockExtent).
QStringList popupText(const QStringList& lines, int open, QStringView closeTag);
// The popup's first line as the list shows it: its title line less the four digits and the mark.
QString popupTitle(const QStringList& lines, int open);

// Lines that count as popup blocks: those starting exactly with "<POPUP".
int countPopupBlocks(const QStringList& lines);
// The number a new popup takes: the lowest one without a block (the count when the numbers have
// no gap), so it never replaces another popup; -1 when every number is taken.
int newPopupNumber(const QStringList& lines);
// Gives the popup block `block` (tag, title line, text, close tag) the number `n`: both tags and
// the number of its title line.
void retagPopup(QStringList& block, int n);
// Rewrites the links of `line`: a link to popup m goes to numberOf(m), or becomes its plain anchor
// word when that is negative (counted in `plain`). True when the line changed.
bool renumberPopupLinks(QString& line, const std::function<int(int)>& numberOf, int* plain = nullptr);
// The first line of popups 0, 1, 2 ... up to the first missing number.
QStringList popupTitles(const QStringList& lines);

// The hidden part of a link in `text` at or after `from`: "{\v Pp" and four digits, letter case
// ignored. Returns its position (of the "{") or -1; `number` receives the four digits' value.
qsizetype findHiddenLink(QStringView text, qsizetype from, int& number);

// What removing popup `n` will touch, found in one pass so that the question before a removal
// and the removal itself do not both read the whole document.
struct PopupRemoval {
    int popup = -1;
    int plainLinks = 0; // links to the popup, which become their plain anchor word
    QList<int> lines;   // the tag lines of later popups and the lines that hold links to them
};
PopupRemoval planPopupRemoval(const QStringList& lines, int n);

// Removes popup `n` as planned on the same lines: its block goes, every later popup takes the
// number one lower (tags and title lines), every link to a later popup follows, and every link to
// `n` becomes its plain anchor word. Returns how many links became plain text, or -1 when popup
// `n` has no block.
int removePopup(QStringList& lines, const PopupRemoval& plan);
inline int removePopup(QStringList& lines, int n) { return removePopup(lines, planPopupRemoval(lines, n)); }

} // namespace store
