#include "platform/core/LineBreaks.h"

namespace linebreaks {

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

int toSpaces(QString& text, int* position)
{
    int count = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isBreak(text[i])) {
            ++i;
            continue;
        }
        const qsizetype length = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
        text.replace(i, length, QLatin1Char(' '));
        if (length == 2 && position && *position > i + 1)
            --*position;
        ++count;
        ++i;
    }
    return count;
}

} // namespace linebreaks
