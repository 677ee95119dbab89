#include "platform/windows/FieldText.h"

#include "platform/core/Cp1252.h"
#include "platform/core/LineBreaks.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QValidator>

#include <memory>

namespace fieldtext {

QStringList exactLines(const QTextDocument* document)
{
    QStringList lines;
    if (document->isEmpty())
        return lines;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        // QTextBlock::text() gives the characters as stored: no-break spaces stay.
        const QString text = b.text();
        if (text.contains(QChar::LineSeparator))
            lines << text.split(QChar::LineSeparator);
        else
            lines << text;
    }
    return lines;
}

QStringList exactLines(const QPlainTextEdit* edit)
{
    return exactLines(edit->document());
}

QString exactText(const QTextDocument* document)
{
    return exactLines(document).join(QLatin1Char('\n'));
}

QString exactText(const QPlainTextEdit* edit)
{
    return exactText(edit->document());
}

namespace {

// A validator sees every change of a line edit's text (typing, paste, drop, setText) before it
// is kept, and may change it: the one place that catches all of them.
class OneLineValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override
    {
        linebreaks::toSpaces(input, &position);
        return Acceptable;
    }
};

} // namespace

void keepOnOneLine(QLineEdit* edit)
{
    edit->setValidator(new OneLineValidator(edit));
}

void keepToTheDocument(QLineEdit* edit)
{
    // textEdited comes from the author's hands only, never from setText. Only what came in is
    // looked at: the rest of the line (read from the file) keeps every byte it has.
    struct Seen {
        QString before, now;
    };
    auto seen = std::make_shared<Seen>(Seen{edit->text(), edit->text()});
    QObject::connect(edit, &QLineEdit::textChanged, edit, [seen](const QString& text) {
        seen->before = seen->now;
        seen->now = text;
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, seen](const QString& text) {
        // Whichever of the two signals came first, `old` is the text before this edit.
        const QString old = text == seen->now ? seen->before : seen->now;
        qsizetype head = 0;
        while (head < old.size() && head < text.size() && old[head] == text[head])
            ++head;
        qsizetype tail = 0;
        while (tail < old.size() - head && tail < text.size() - head
            && old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
            ++tail;
        QString added = text.mid(head, text.size() - head - tail);
        if (cp1252::sanitizeEntered(added) == 0)
            return;
        const int at = edit->cursorPosition();
        edit->setText(text.left(head) + added + text.right(tail));
        edit->setCursorPosition(at);
    });
}

void keepToTheDocument(QTextDocument* d, int position, int added, bool& busy)
{
    if (busy || added <= 0)
        return;
    busy = true;
    const int end = qMin(position + added, d->characterCount());
    for (int i = position; i < end; ++i) {
        const QChar ch = d->characterAt(i);
        if (ch == QChar::ParagraphSeparator || ch == u'\n' || cp1252::enterable(ch))
            continue;
        QTextCursor c(d);
        c.setPosition(i);
        c.setPosition(i + 1, QTextCursor::KeepAnchor);
        // A line separator (pasted, or Shift+Enter) ends the line as it shows: one line, one block.
        if (ch == QChar::LineSeparator)
            c.insertBlock();
        else
            c.insertText(QStringLiteral("?"));
    }
    busy = false;
}

} // namespace fieldtext
