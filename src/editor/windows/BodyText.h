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
// the code page cannot hold, a control character but Tab) by "?": fieldtext::keepToTheDocument.
// `busy` guards against the change notifications this makes; set it while loading stored text.
void replaceUnrepresentable(QTextDocument* document, int position, int added, bool& busy);

} // namespace bodytext
