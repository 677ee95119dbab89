#pragma once
// Finding and replacing text across the stored topics. Only the title line and the body lines of
// topic blocks are examined, in the order the blocks lie in the document (a changed topic is stored
// again at the end, so it comes last); keyword lines, popups, the header and the project block never
// are. Comparison folds the ASCII letters a to z only: "ete" finds "ETE", "été" does not find "ÉTÉ".
#include <QString>
#include <QStringList>
#include <optional>

namespace editor {

// Where the next search step goes on; kept for the whole run and shared by both dialogs.
struct SearchPosition {
    int SearchLine = 0;      // index of the next line to examine
    QString SearchTag;       // tag line of the block being searched (ASCII upper case), or empty
    int SearchBlockLine = 0; // place of that line in its block: tag 0, keywords 1, title 2, body 3...
    int SearchOffset = 0;    // where that body line starts in the editor's body text (a line end counts 1)

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

// A store took the block of `count` lines at `open` out of its place (and put it at the end): the
// position follows the lines that stayed. Inside that block it goes on after the block's old place;
// the block itself, now last, is searched when the walk reaches it.
void blockRemoved(SearchPosition& pos, int open, int count);

// Replaces every occurrence of `text` in every examined line by `replacement`, left to right, without
// looking at what was put in again. Line breaks in the replacement become spaces, and a line that
// would then read as a tag is protected like any stored line. Returns the number of replacements.
int replaceAll(QStringList& lines, QStringView text, const QString& replacement);

} // namespace editor
