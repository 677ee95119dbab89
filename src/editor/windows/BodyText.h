#pragma once
// What the topic body and the popup text have in common as edit fields: their text read exactly
// (a no-break space stays one), the Enter rule with the paragraph mark, and text that may not enter
// the document replaced visibly as it enters.
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QTextCursor;
class QTextDocument;

namespace bodytext {

// The lines of the field as they stand (no line at all when it is empty): fieldtext::exactLines.
QStringList exactLines(const QPlainTextEdit* edit);
// The selected text, line breaks as "\n".
QString exactSelection(const QTextCursor& cursor);

// Enter: the paragraph mark at the caret (replacing the selection), the first doubled mark of each
// line reduced to one, then the line break.
void enterWithParagraphMark(QPlainTextEdit* edit);

// Replaces each character from `position` on (`added` of them) that may not enter the document (one
// the code page cannot hold, a control character but Tab) by "?", as part of the edit that brought
// it (one undo takes both back): fieldtext::keepToTheDocument. `busy` guards against the change
// notifications this makes; set it while loading stored text. Returns the characters replaced.
QString replaceUnrepresentable(QTextDocument* document, int position, int added, bool& busy);

// Inserts `text` at the caret, replacing the selection, as one edit that one Ctrl+Z takes back.
void insertAsOneEdit(QPlainTextEdit* edit, const QString& text);

// Typed text that may not all enter the document goes in at once with "?" for those characters,
// so that Ctrl+Z simply takes the "?" back. Returns the characters replaced (empty: nothing done,
// the key goes on as usual).
QString typeRepresentable(QPlainTextEdit* edit, const QString& typed);

} // namespace bodytext
