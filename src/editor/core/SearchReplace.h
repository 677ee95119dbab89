#pragma once
// Finding and replacing text across the stored topics. Only the title line and the body lines of
// topic blocks are examined, in the order the blocks lie in the document (a changed topic is stored
// again at the end, so it comes last); keyword lines, popups, the header and the project block never
// are. Comparison folds the ASCII letters a to z only: "ete" finds "ETE", "été" does not find "ÉTÉ".
#include <QString>
#include <QStringList>
#include <optional>

namespace editor {

// Where the next search step goes on; kept for the whole run and shared by both dialogs. The place
// is held by the block, not by a line index: SearchBlock counts the topic blocks before it in the
// document's order, so the position follows every change that moves lines without adding or taking
// away a topic block before it ([MAP] rebuilt at a save, the project block rewritten, a popup added
// or removed, topics renumbered in place). A block taken out is told by blockRemoved.
struct SearchPosition {
    int SearchLine = 0;      // index of the next line to examine, as the last step found it
    QString SearchTag;       // tag line of the block being searched (ASCII upper case), or empty
    int SearchBlockLine = 0; // place of that line in its block: tag 0, keywords 1, title 2, body 3...
    int SearchOffset = 0;    // where that body line starts in the editor's body text (a line end counts 1)
    int SearchBlock = 0;     // topic blocks before that line's block, in the document's order

    bool operator==(const SearchPosition&) const = default;
};

// The first topic block of the document (the line that starts with "<BLOC"), nothing searched yet.
SearchPosition searchStart(const QStringList& lines);

struct SearchMatch {
    int page = 0;        // topic number of the block
    bool inTitle = false;
    int start = 0;       // in the title text, or in the body text (line ends counting 1)
    int length = 0;
    bool operator==(const SearchMatch&) const = default;
};

// One step: the first line from `pos` on that holds `text` (any case for the ASCII letters). On a
// match `pos` moves to the line after it, so a second occurrence in the same line is skipped; without
// one `pos` stays. An empty text is never found.
std::optional<SearchMatch> searchStep(const QStringList& lines, SearchPosition& pos, QStringView text);

// A store took the topic block whose tag stood at line `open` out of its place (and put it at the
// end, or nowhere); `lines` hold the document before or after (the lines before `open` are the same).
// The position follows the blocks that stayed; inside that block it goes on with the block that came
// after it; the block itself, now last, is searched when the walk reaches it.
void blockRemoved(SearchPosition& pos, const QStringList& lines, int open);

// Replaces every occurrence of `text` in every examined line by `replacement`, left to right, without
// looking at what was put in again. Line breaks in the replacement become spaces, and a line that
// would then read as a tag is protected like any stored line. A title that would be left blank
// (which deletes its page) stays as it was: its topic's number goes to `keptTitles`. Returns the
// number of replacements made.
int replaceAll(QStringList& lines, QStringView text, const QString& replacement, QList<int>* keptTitles = nullptr);

// "Remplacement terminé" with the number of replacements, and the titles left as they were.
QString replaceDoneMessage(int replaced, const QList<int>& keptTitles);

} // namespace editor
