#include "publish/core/BraceCheck.h"

#include "publish/core/BlockWalk.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TopicRecord.h"
#include "winhelp/project/RtfReader.h"

namespace publish {

namespace {

// Depth after `line` starting from `depth`; false once a brace closes more than was opened.
bool walkBraces(QStringView line, int& depth)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\') {
            ++i; // the escaped character, whatever it is
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth < 0)
                return false;
        }
    }
    return true;
}

bool balanced(const QStringList& lines, qsizetype from, qsizetype to)
{
    int depth = 0;
    for (qsizetype i = from; i < to; ++i)
        if (!walkBraces(lines[i], depth))
            return false;
    return depth == 0;
}

} // namespace

bool bracesBalanced(const QStringList& lines)
{
    return balanced(lines, 0, lines.size());
}

QStringList braceWarnings(const QStringList& documentLines, int pageCount, int popupCount)
{
    const BlockWalk walk(documentLines);
    QStringList out;
    for (int n = 0; n < pageCount; ++n) {
        const BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        const QString title = store::topicTitle(documentLines, s.open);
        int depth = 0;
        const bool titleOk = walkBraces(title, depth) && depth == 0;
        if (!titleOk || !balanced(documentLines, qMin<qsizetype>(s.open + 3, s.end), s.end))
            out << QStringLiteral("Rubrique « %1 » : accolades non équilibrées dans le %2 ; le fichier d'aide "
                                  "risque d'être faux à partir de cette rubrique.")
                       .arg(title, titleOk ? QStringLiteral("texte") : QStringLiteral("titre"));
    }
    for (int p = 0; p < popupCount; ++p) {
        const BlockSpan s = walk.popup(p);
        if (!s.found())
            break;
        if (!balanced(documentLines, qMin<qsizetype>(s.open + 2, s.end), s.end))
            out << QStringLiteral("PopUp « %1 » : accolades non équilibrées dans le texte ; le fichier d'aide "
                                  "risque d'être faux à partir de cette PopUp.")
                       .arg(store::popupTitle(documentLines, s.open));
    }
    return out;
}

QList<TextProblem> textProblems(const QStringList& body)
{
    QList<TextProblem> out;
    const auto place = [](int line, int column) {
        return QStringLiteral("ligne %1, colonne %2").arg(line + 1).arg(column + 1);
    };
    const auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    QList<QPair<int, int>> open; // the braces still open, in order
    for (int l = 0; l < body.size(); ++l) {
        const QString& line = body[l];
        for (int i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == u'\\') {
                int j = i + 1;
                while (j < line.size() && letter(line[j]))
                    ++j;
                const QString word = line.mid(i + 1, j - i - 1);
                if (!word.isEmpty() && !hlp::isKnownRtfWord(word.toLatin1()))
                    out.append({l, i, QStringLiteral("Mot de contrôle « \\%1 » inconnu du compilateur (%2) : « %1 » disparaîtra de l'aide.")
                                          .arg(word, place(l, i))});
                i = word.isEmpty() ? i + 1 : j - 1;
            } else if (c == u'{') {
                open.append({l, i});
            } else if (c == u'}') {
                if (!open.isEmpty()) {
                    open.removeLast();
                    continue;
                }
                out.append({l, i, QStringLiteral("Accolade « } » sans « { » avant elle (%1) : elle est écrite comme du texte.").arg(place(l, i))});
            }
        }
    }
    if (!open.isEmpty())
        out.append({open.first().first, open.first().second,
            QStringLiteral("Accolade « { » jamais fermée (%1) : elle est fermée à la fin de la rubrique.")
                .arg(place(open.first().first, open.first().second))});
    return out;
}

} // namespace publish
