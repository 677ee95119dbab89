#pragma once
// Document text in and out of the text widgets without loss. QPlainTextEdit::toPlainText turns
// every no-break space (byte 0xA0) into a plain space, and a line separator into a break: the
// body of a topic or a project file would change at every write-back. Read through these instead.
#include <QString>
#include <QStringList>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QTextDocument;

namespace fieldtext {

// The lines of the document exactly as they stand: one per text block, a line separator
// (Shift+Enter) also ends a line. An empty document gives no line.
QStringList exactLines(const QTextDocument* document);
QStringList exactLines(const QPlainTextEdit* edit);

// The same lines joined with '\n'.
QString exactText(const QTextDocument* document);
QString exactText(const QPlainTextEdit* edit);

// The field keeps its text on one line: every line break typed, pasted, dropped or set becomes
// a space (linebreaks::toSpaces). The field's validator is taken for this.
void keepOnOneLine(QLineEdit* edit);

// A field whose text goes into the document: what the author types, pastes or drops keeps to
// cp1252::enterable (each other character becomes "?"). Text the program sets is left as it is:
// a page read from the file shows every byte it holds.
// `told` hears the characters replaced, once per edit.
void keepToTheDocument(QLineEdit* edit, std::function<void(const QString& replaced)> told = {});
// The same for a multi-line field, from its change notification: the `added` characters from
// `position` on; `busy` is set while the program sets the text itself (nothing is replaced then)
// and guards against the notifications this makes. A line separator ends the line there. The
// replacement joins the edit that brought the characters, so one undo takes both back. Returns
// the characters replaced (a character past the first plane is one, and one "?").
QString keepToTheDocument(QTextDocument* document, int position, int added, bool& busy);

} // namespace fieldtext
