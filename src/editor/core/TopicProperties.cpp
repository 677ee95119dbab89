#include "editor/core/TopicProperties.h"

#include "store/core/Blocks.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"

namespace editor {

namespace {

// Picture references in a line whose ASCII letters are folded; each search goes on five
// characters after the start of the last find.
int pictureCount(const QString& folded)
{
    int count = 0;
    for (qsizetype at = folded.indexOf(u"\\{BM"); at >= 0; at = folded.indexOf(u"\\{BM", at + 5))
        ++count;
    return count;
}

} // namespace

QStringList topicProperties(const QStringList& lines, int page)
{
    const int open = store::findTag(lines, store::topicOpenTag(page));
    if (open < 0)
        return {};
    const QString title = store::topicTitle(lines, open);
    const int keywords = store::keywordLineOf(lines, open);
    const QString keywordLine = keywords >= 0 ? lines[keywords] : QString();
    const qsizetype slash = keywordLine.indexOf(u'\\');

    QStringList out;
    out << title << QString() << QStringLiteral("ID : IDH_") + store::ContextKey(title)
        << QStringLiteral("Lien Voir aussi : ") + (slash < 0 ? QString() : keywordLine.mid(slash + 1));

    // The body ends where every reader ends the block (blockExtent): at its close tag, or before the
    // next block when it has none. A block cut short has no body.
    const int end = store::blockExtent(lines, open, store::topicCloseTag(page)).contentEnd;
    int lineCount = 0;
    qsizetype characters = 0;
    int pictures = 0;
    for (int i = open + 3; i < end; ++i) {
        const QString& line = lines[i];
        const QString folded = store::foldAscii(line);
        const qsizetype link = folded.indexOf(u"{\\V IDH_");
        if (link >= 0) {
            const qsizetype from = link + 8;
            const qsizetype close = line.indexOf(u'}', from);
            out << QStringLiteral("Lien PopUp : ") + (close < 0 ? QString() : line.mid(from, close - from));
        }
        ++lineCount;
        characters += line.size();
        pictures += pictureCount(folded);
    }
    out << QString() << QStringLiteral("Nombre de lignes : ") + QString::number(lineCount)
        << QString::fromUtf8("Nombre de caractères : ") + QString::number(characters)
        << QStringLiteral("Nombre d'images : ") + QString::number(pictures);
    return out;
}

} // namespace editor
