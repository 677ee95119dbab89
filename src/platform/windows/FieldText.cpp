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

void keepToTheDocument(QLineEdit* edit, std::function<void(const QString& replaced)> told)
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
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, seen, told](const QString& text) {
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
        QString replaced;
        for (const QChar c : std::as_const(added))
            if (!cp1252::enterable(c))
                replaced += c;
        if (cp1252::sanitizeEntered(added) == 0)
            return;
        const int at = edit->cursorPosition();
        edit->setText(text.left(head) + added + text.right(tail));
        edit->setCursorPosition(at);
        if (told)
            told(replaced);
    });
}

QString keepToTheDocument(QTextDocument* d, int position, int added, bool& busy)
{
    QString replaced;
    if (busy || added <= 0)
        return replaced;
    busy = true;
    int end = qMin(position + added, d->characterCount());
    QTextCursor c(d);
    bool joined = false;
    for (int i = position; i < end; ++i) {
        const QChar ch = d->characterAt(i);
        if (ch == QChar::ParagraphSeparator || ch == u'\n' || cp1252::enterable(ch))
            continue;
        if (!joined) {
            c.joinPreviousEditBlock();
            joined = true;
        }
        const int units = ch.isHighSurrogate() && i + 1 < end && d->characterAt(i + 1).isLowSurrogate() ? 2 : 1;
        c.setPosition(i);
        c.setPosition(i + units, QTextCursor::KeepAnchor);
        // A line separator (pasted, or Shift+Enter) ends the line as it shows: one line, one block.
        if (ch == QChar::LineSeparator) {
            c.insertBlock();
        } else {
            replaced += c.selectedText();
            c.insertText(QStringLiteral("?"));
            end -= units - 1;
        }
    }
    if (joined)
        c.endEditBlock();
    busy = false;
    return replaced;
}

} // namespace fieldtext
