#include "editor/core/ImportText.h"

#include "platform/core/Cp1252.h"
#include "platform/core/TextDecode.h"

namespace editor {

ImportedText importedText(QStringView decoded)
{
    ImportedText out;
    const QStringList lines = textdecode::splitLines(decoded);
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 1;
    out.text.reserve(size);
    for (const QString& line : lines) {
        out.text += line;
        out.text += u'\n';
    }
    for (QChar& c : out.text) {
        if (c == u'\n')
            continue;
        if (!cp1252::enterable(c)) {
            c = u'?';
            ++out.replaced;
        }
    }
    return out;
}

QString replacedMessage(int replaced)
{
    if (replaced <= 0)
        return {};
    if (replaced == 1)
        return QString::fromUtf8("Un caractère que le projet ne peut pas contenir a été remplacé par « ? ».");
    return QString::fromUtf8("%1 caractères que le projet ne peut pas contenir ont été remplacés par « ? ».")
        .arg(replaced);
}

} // namespace editor
