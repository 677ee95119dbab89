#include "platform/windows/FieldText.h"

#include "platform/core/LineBreaks.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QValidator>

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

} // namespace fieldtext
