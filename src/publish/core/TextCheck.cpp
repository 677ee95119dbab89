#include "publish/core/TextCheck.h"

#include "publish/core/BlockWalk.h"
#include "publish/core/RtfText.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TopicRecord.h"
#include "winhelp/project/RtfReader.h"

namespace publish {

namespace {

bool asciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool blank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Adds the words of `lines` the compiler does not know to `unknown`, each once.
void collectUnknown(const QStringList& lines, qsizetype from, qsizetype to, QStringList& unknown)
{
    for (qsizetype i = from; i < to; ++i)
        for (const QString& w : controlWords(lines[i]))
            if (!hlp::isKnownRtfWord(w.toLatin1()) && !unknown.contains(w))
                unknown << w;
}

QString unknownSentence(const QString& what, const QStringList& words)
{
    QStringList shown;
    for (const QString& w : words.mid(0, 5))
        shown << u'\\' + w;
    if (words.size() > 5)
        shown << QStringLiteral("…");
    const QString list = shown.join(QStringLiteral(", "));
    return words.size() == 1
        ? QStringLiteral("%1 : le compilateur ne connaît pas le mot de contrôle %2 ; « %3 » disparaîtra de l'aide "
                         "(un chemin collé ? « Coller comme texte » garde ses « \\ »).")
              .arg(what, list, words.front())
        : QStringLiteral("%1 : le compilateur ne connaît pas les mots de contrôle %2 ; leur texte disparaîtra de "
                         "l'aide (un chemin collé ? « Coller comme texte » garde ses « \\ »).")
              .arg(what, list);
}

// Whether a line ends with text (not a control word, a space or the paragraph mark).
bool endsWithText(const QString& line)
{
    if (line.isEmpty() || blank(line.back()) || line.back() == store::ParagraphMark)
        return false;
    qsizetype i = line.size();
    while (i > 0 && line[i - 1].isDigit())
        --i;
    if (i > 0 && line[i - 1] == u'-')
        --i;
    const qsizetype digitsFrom = i;
    while (i > 0 && asciiLetter(line[i - 1]))
        --i;
    const bool word = i < digitsFrom && i > 0 && line[i - 1] == u'\\' && (i < 2 || line[i - 2] != u'\\');
    return !word;
}

QString tail(const QString& s)
{
    return s.size() <= 24 ? s : QStringLiteral("…") + s.right(23);
}

QString head(const QString& s)
{
    return s.size() <= 24 ? s : s.left(23) + QStringLiteral("…");
}

} // namespace

QStringList controlWords(QStringView raw)
{
    const QString line = RtfEscape(raw);
    QStringList out;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != u'\\')
            continue;
        qsizetype j = i + 1;
        while (j < line.size() && asciiLetter(line[j]))
            ++j;
        if (j == i + 1) {
            ++i; // a control symbol: "\\", "\{", "\'", "\~" ...
            continue;
        }
        out << line.mid(i + 1, j - i - 1);
        i = j - 1;
    }
    return out;
}

QStringList textWarnings(const QStringList& documentLines, int pageCount, int popupCount)
{
    const BlockWalk walk(documentLines);
    QStringList words, joins;
    for (int n = 0; n < pageCount; ++n) {
        const BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        const QString title = store::topicTitle(documentLines, s.open);
        const QString what = QStringLiteral("Rubrique « %1 »").arg(title);
        QStringList unknown;
        collectUnknown({title}, 0, 1, unknown);
        const qsizetype bodyFrom = qMin<qsizetype>(s.open + 3, s.end);
        collectUnknown(documentLines, bodyFrom, s.end, unknown);
        if (!unknown.isEmpty())
            words << unknownSentence(what, unknown);

        // The writer puts nothing between two body lines but its size selector.
        int found = 0;
        QString first;
        for (qsizetype i = bodyFrom; i + 1 < s.end; ++i) {
            const QString& a = documentLines[i];
            const QString& b = documentLines[i + 1];
            if (!endsWithText(a) || b.isEmpty() || blank(b.front()) || b.front() == store::ParagraphMark)
                continue;
            if (found++ == 0)
                first = QStringLiteral("%1 : les lignes « %2 » et « %3 » se suivent sans ¶ et seront jointes sans "
                                       "espace (« %4 »)")
                            .arg(what, tail(a), head(b), tail(a) + head(b));
        }
        if (found == 1)
            joins << first + u'.';
        else if (found > 1)
            joins << first + QStringLiteral(", et %1 fois de plus.").arg(found - 1);
    }
    for (int p = 0; p < popupCount; ++p) {
        const BlockSpan s = walk.popup(p);
        if (!s.found())
            break;
        QStringList unknown;
        collectUnknown(documentLines, qMin<qsizetype>(s.open + 2, s.end), s.end, unknown);
        if (!unknown.isEmpty())
            words << unknownSentence(QStringLiteral("PopUp « %1 »").arg(store::popupTitle(documentLines, s.open)), unknown);
    }
    return words + joins;
}

} // namespace publish
