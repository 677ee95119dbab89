#pragma once
// Document text in and out of the text widgets without loss. QPlainTextEdit::toPlainText turns
// every no-break space (byte 0xA0) into a plain space, and a line separator into a break: the
// body of a topic or a project file would change at every write-back. Read through these instead.
#include <QString>
#include <QStringList>

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

} // namespace fieldtext
