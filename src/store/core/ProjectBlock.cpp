#include "store/core/ProjectBlock.h"

#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"

namespace store {

QStringList defaultProjectBlock(const QString& projectFileName)
{
    const QString f = fileNamePart(projectFileName);
    // The topic file line names the file the build really writes beside the project.
    return {QStringLiteral("<HPJ>"), QStringLiteral("[OPTIONS]"), QStringLiteral("TITLE=Aide de ") + f,
        QStringLiteral("[FILES]"), forceExtension(f, QStringLiteral(".rtf")), QStringLiteral("[CONFIG]"),
        QString(), QStringLiteral("[WINDOWS]"),
        QStringLiteral("main=\"") + f + QStringLiteral("\",(100,5,800,800),0,(255,255,255),(255,255,255)"),
        QStringLiteral("</HPJ>")};
}

void EcritHpj(QStringList& lines, const QString& projectFileName)
{
    int at = findTag(lines, u"<HPJ>");
    if (at >= 0)
        removeBlock(lines, at, u"</HPJ>");
    else
        at = 0;
    const QStringList block = defaultProjectBlock(projectFileName);
    for (int i = 0; i < block.size(); ++i)
        lines.insert(at + i, block[i]);
}

QString mapLine(const QString& title, int topicNumber)
{
    return QStringLiteral("IDH_") + ContextKey(title) + QLatin1Char('\t') + QString::number(topicNumber + 1);
}

void CreMap(QStringList& lines, int pageCount)
{
    const int open = findTag(lines, u"<HPJ>");
    if (open < 0)
        return;
    const Extent block = blockExtent(lines, open, u"</HPJ>");
    int end = block.contentEnd;
    // Every [MAP] section goes, not just the first: with two, each save would leave a different
    // file (saving twice must give the bytes of saving once).
    for (int i = open + 1; i < end; ++i) {
        if (!sameTag(lines[i], u"[MAP]"))
            continue;
        int j = i + 1;
        while (j < end && !lines[j].startsWith(u'[') && !lines[j].startsWith(u'<'))
            ++j;
        lines.remove(i, j - i);
        end -= j - i;
        --i;
    }
    if (!block.closed)
        return;
    const int close = end;
    QStringList map{QStringLiteral("[MAP]")};
    const TagIndex index(lines);
    for (int k = 0; k < pageCount; ++k) {
        const int at = index.topic(k);
        if (at < 0)
            continue;
        map << mapLine(topicTitle(lines, at), k);
    }
    // One gap for the whole section: inserting 10,000 lines one by one would move the document
    // each time.
    lines.insert(close, map.size(), QString());
    for (qsizetype i = 0; i < map.size(); ++i)
        lines[close + i].swap(map[i]);
}

std::optional<QStringList> projectFileLines(const QStringList& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (TrimSpaces(lines[i]) != u"<HPJ>")
            continue;
        // Where CreMap sees the block end: never the rest of the document.
        const Extent block = blockExtent(lines, int(i), u"</HPJ>");
        return lines.mid(i + 1, block.contentEnd - i - 1);
    }
    return std::nullopt;
}

bool ExportHpj(QStringList& lines, int pageCount, const QString& hpjPath, QString* error)
{
    CreMap(lines, pageCount);
    const auto content = projectFileLines(lines);
    if (!content) {
        if (error)
            *error = QStringLiteral("Le projet n'a pas de bloc de projet.");
        return false;
    }
    return textfile::writeLines(hpjPath, *content, error);
}

} // namespace store
