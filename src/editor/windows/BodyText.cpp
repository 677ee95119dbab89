#include "editor/windows/BodyText.h"

#include "platform/core/Cp1252.h"

#include "platform/windows/FieldText.h"
#include "store/core/Blocks.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace bodytext {

namespace {

bool isLineBreakChar(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

} // namespace

QStringList exactLines(const QPlainTextEdit* edit)
{
    return fieldtext::exactLines(edit);
}

QString exactSelection(const QTextCursor& cursor)
{
    QString s = cursor.selectedText();
    for (QChar& c : s)
        if (isLineBreakChar(c))
            c = u'\n';
    return s;
}

void enterWithParagraphMark(QPlainTextEdit* edit)
{
    QTextCursor c = edit->textCursor();
    c.beginEditBlock();
    c.insertText(QString(store::ParagraphMark));
    const int caretBlock = c.blockNumber();
    int caretPos = c.positionInBlock();
    const QString pair(2, store::ParagraphMark);
    QTextDocument* d = edit->document();
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        const qsizetype at = text.indexOf(pair);
        if (at < 0)
            continue;
        QTextCursor del(b);
        del.setPosition(b.position() + int(at));
        del.deleteChar();
        if (b.blockNumber() == caretBlock)
            caretPos = b.length() - 1; // the caret's line was replaced: caret at its end
    }
    c.setPosition(d->findBlockByNumber(caretBlock).position() + caretPos);
    c.insertBlock();
    c.endEditBlock();
    edit->setTextCursor(c);
}

QString replaceUnrepresentable(QTextDocument* d, int position, int added, bool& busy)
{
    return fieldtext::keepToTheDocument(d, position, added, busy);
}

void insertAsOneEdit(QPlainTextEdit* edit, const QString& text)
{
    if (text.isEmpty())
        return;
    QTextCursor c = edit->textCursor();
    c.beginEditBlock();
    c.insertText(text);
    c.endEditBlock();
    edit->setTextCursor(c);
    edit->ensureCursorVisible();
}

QString typeRepresentable(QPlainTextEdit* edit, const QString& typed)
{
    QString replaced;
    for (QChar c : typed)
        if (!cp1252::enterable(c))
            replaced += c;
    if (replaced.isEmpty())
        return replaced;
    QString clean = typed;
    cp1252::sanitizeEntered(clean);
    QTextCursor c = edit->textCursor();
    c.insertText(clean);
    edit->setTextCursor(c);
    return replaced;
}

} // namespace bodytext
