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

QString replacedStatus(QStringView replaced)
{
    int count = 0;
    QStringList distinct;
    for (qsizetype i = 0; i < replaced.size(); ++i) {
        const qsizetype units = replaced[i].isHighSurrogate() && i + 1 < replaced.size() ? 2 : 1;
        const QString one = replaced.mid(i, units).toString();
        i += units - 1;
        ++count;
        if (!distinct.contains(one))
            distinct << one;
    }
    if (count == 0)
        return {};
    const QString which = distinct.join(QStringLiteral(" "));
    if (count == 1)
        return QString::fromUtf8("1 caractère que le projet ne peut pas contenir remplacé par « ? » : %1").arg(which);
    return QString::fromUtf8("%1 caractères que le projet ne peut pas contenir remplacés par « ? » : %2").arg(count).arg(which);
}

} // namespace editor
