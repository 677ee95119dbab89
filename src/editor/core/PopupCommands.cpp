#include "editor/core/PopupCommands.h"

#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TextRules.h"

namespace editor {

QString popupFirstLine(const QString& word)
{
    QString line = word;
    if (!line.isEmpty() && line[0] >= u'a' && line[0] <= u'z')
        line[0] = QChar(line[0].unicode() - 32);
    return line + store::ParagraphMark;
}

PopupReference popupReference(const QString& selection)
{
    const QString s = store::TrimSpaces(selection);
    if (s.isEmpty())
        return {};
    int number = -1;
    if (const qsizetype at = store::findHiddenLink(s, 0, number); at >= 0)
        return {PopupReference::Number, s.mid(at + 6, 4)};
    QString upper = store::foldAscii(s);
    const qsizetype pp = upper.indexOf(QStringLiteral("PP"));
    if (pp < 0)
        return {};
    // Only what may stand in front of the hidden part's "Pp": the rest of "{\v ".
    for (qsizetype i = 0; i < pp; ++i)
        if (upper[i] != u'{' && upper[i] != u'\\' && upper[i] != u'V' && upper[i] != u' ')
            return {PopupReference::Unknown, {}};
    if (upper.endsWith(u'}'))
        upper.chop(1);
    return {PopupReference::Number, upper.mid(pp, 6).mid(2)};
}

} // namespace editor
