#pragma once
// The order and the levels of the topics, as the page index and the hierarchy show and change them.
// Every entry is tied to its topic by number, never by its title: two topics with equal titles, or a
// popup named like a topic, cannot send a renumbering to the wrong block.
#include <QList>
#include <QString>
#include <QStringList>

namespace store {

struct PageEntry {
    int number = 0; // the topic's number when the list was made
    QString title;  // the title line without its last character
    int level = 1;  // 2: a child of the entry just above it in the hierarchy
};

// Topics 0, 1, 2 ... up to the first missing number. An entry has level 2 when the first character
// of its keyword line is "2" and it is not topic 0; any other character means level 1.
QList<PageEntry> pageEntries(const QStringList& lines);

// Where each topic went: numberOf[old] is its new number.
struct Renumbering {
    QList<int> numberOf;
    bool changed = false;
    bool refused = false; // the order moved topics, but the document could not take it (nothing changed)
    int newNumber(int old) const { return old >= 0 && old < numberOf.size() ? numberOf[old] : old; }
};

// Gives the topic numbered order[i] the number i by rewriting its two tag lines; no line is inserted,
// deleted or moved. Nothing changes when `order` is not each of 0 .. size-1 once, when one of these
// topics is missing, or when a stray second tag line of the same number would make the readers find
// other blocks afterwards.
Renumbering renumberTopics(QStringList& lines, const QList<int>& order);

// The hierarchy in display order. An entry of level 2 hangs under the entry just above it, so a run
// of level-2 entries forms a chain and only top-level entries have siblings.
QList<int> outlineDepths(const QList<PageEntry>& shown);
// Right arrow: entry i becomes level 2 (not the first entry). False when nothing changed.
bool indentEntry(QList<PageEntry>& shown, int i);
// Left arrow: entry i becomes level 1. False when nothing changed.
bool outdentEntry(QList<PageEntry>& shown, int i);
// "Monter" / "Descendre": a top-level entry changes places with the sibling above / below it, each
// with its children. The moved entry's new index, or -1 when it has no such sibling.
int moveEntryUp(QList<PageEntry>& shown, int i);
int moveEntryDown(QList<PageEntry>& shown, int i);

// Writes each entry's level into the first character of its topic's keyword line (numbers after
// `renumbered`) where the tree would read another level: a "1" or "2" there is replaced, any other
// character gets the digit in front so no keyword is lost. A block without a keyword line keeps its
// level. True when a line changed.
bool writeLevels(QStringList& lines, const QList<PageEntry>& shown, const Renumbering& renumbered);

} // namespace store
