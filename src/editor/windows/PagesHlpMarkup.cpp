// The Style menu's commands and pictures: each takes the body's selection or caret line, asks the
// markup rules for the new text and puts it back.
#include "editor/windows/PagesHlp.h"

#include "editor/core/Markup.h"
#include "editor/windows/BodyText.h"
#include "platform/windows/Prompts.h"

#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

void wrapSelection(QPlainTextEdit* body, editor::Style style)
{
    QTextCursor c = body->textCursor();
    c.insertText(editor::wrapped(style, bodytext::exactSelection(c)));
    body->setTextCursor(c);
}

} // namespace

void TPagesHlp::Gras() { wrapSelection(Memo1, editor::Style::Gras); }
void TPagesHlp::Ital() { wrapSelection(Memo1, editor::Style::Ital); }
void TPagesHlp::Souligne() { wrapSelection(Memo1, editor::Style::Souligne); }
void TPagesHlp::Centre() { wrapSelection(Memo1, editor::Style::Centre); }
void TPagesHlp::Encadrer() { wrapSelection(Memo1, editor::Style::Encadrer); }

void TPagesHlp::Habiller(int placement)
{
    runCommand([this, placement] {
        QTextCursor c = Memo1->textCursor();
        const int caret = c.position();
        const QStringList lines = bodytext::exactLines(Memo1);
        const int line = editor::caretLine(lines, caret);
        const auto placed = editor::placePicture(lines.value(line), placement);
        if (!placed) {
            prompts().tell(this, QStringLiteral("Pas d'image sur cette ligne"), Prompts::Kind::Warning);
            return;
        }
        QTextCursor r(Memo1->document()->findBlockByNumber(line));
        r.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        r.insertText(*placed);
        c.setPosition(caret);
        Memo1->setTextCursor(c);
    });
}

void TPagesHlp::Image()
{
    runCommand([this] {
        const QString chosen = prompts().openFileName(this, editor::PictureFilter, QStringLiteral("*.bmp"),
            QStringLiteral("bmp"), QStringLiteral("Insérer image"));
        if (editor::bareFileName(chosen).isEmpty())
            return;
        QTextCursor c = Memo1->textCursor();
        c.insertText(editor::pictureReference(chosen));
        Memo1->setTextCursor(c);
        doc().PageModified = true;
    });
}
