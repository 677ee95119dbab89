#include "editor/core/Markup.h"

#include "store/core/Blocks.h"

namespace editor {

QString wrapped(Style style, const QString& selection)
{
    const QString paragraphEnd = QString(store::ParagraphMark) + QStringLiteral("\n\\pard");
    switch (style) {
    case Style::Gras: return QStringLiteral("\\b ") + selection + QStringLiteral("\\b0");
    case Style::Ital: return QStringLiteral("\\i ") + selection + QStringLiteral("\\i0");
    case Style::Souligne: return QStringLiteral("\\ul ") + selection + QStringLiteral("\\ul0 ");
    case Style::Centre: return QStringLiteral("\\qc ") + selection + paragraphEnd;
    case Style::Encadrer: return QStringLiteral("\\box ") + selection + paragraphEnd;
    }
    return selection;
}

QString bareFileName(const QString& path)
{
    const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    QString name = path.mid(slash + 1);
    // A drive without a directory: "C:image.bmp".
    if (slash < 0 && name.size() >= 2 && name[1] == u':' && name[0].unicode() < 128 && name[0].isLetter())
        name.remove(0, 2);
    return name;
}

QString pictureReference(const QString& path)
{
    return QStringLiteral("\\{bmc ") + bareFileName(path) + QStringLiteral("\\}");
}

std::optional<QString> placePicture(const QString& line, int placement)
{
    const qsizetype at = line.indexOf(QStringLiteral("\\{bm"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    const QString code = placement == Left ? QStringLiteral("\\{bml")
        : placement == Right               ? QStringLiteral("\\{bmr")
                                           : QStringLiteral("\\{bmc");
    QString out = line;
    out.replace(at, qMin<qsizetype>(5, line.size() - at), code);
    return out;
}

int caretLine(const QStringList& lines, int caret, int lineEnd)
{
    qint64 sum = 0;
    for (int i = 0; i < lines.size(); ++i) {
        sum += lines[i].size() + lineEnd;
        if (caret < sum)
            return i;
    }
    return 0;
}

} // namespace editor
