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

QString topicFileName(const QString& projectFileName)
{
    return forceExtension(fileNamePart(projectFileName).toLower(), QStringLiteral(".rtf"));
}

namespace {

struct BlockSpan {
    int open = -1;
    int close = -1;
};

BlockSpan projectBlockSpan(const QStringList& lines)
{
    BlockSpan span;
    span.open = findTag(lines, u"<HPJ>");
    if (span.open >= 0)
        span.close = findTag(lines, u"</HPJ>", span.open + 1);
    return span;
}

bool isSectionHead(const QString& line)
{
    return line.startsWith(u'[') || line.startsWith(u'<');
}

// The lines between the tags without the [MAP] section, which is derived from the titles.
QStringList withoutMap(const QStringList& lines, const BlockSpan& span)
{
    QStringList out;
    for (int i = span.open + 1; i < span.close; ++i) {
        if (sameTag(lines[i], u"[MAP]")) {
            while (i + 1 < span.close && !isSectionHead(lines[i + 1]))
                ++i;
            continue;
        }
        out << lines[i];
    }
    return out;
}

// A file name as a [FILES] line of the .hpj holds it: in quotes when a ';' in it would start a
// comment there.
QString filesLine(const QString& file)
{
    return file.contains(u';') ? u'"' + file + u'"' : file;
}

// The file a [FILES] line names, its quotes taken off.
QString namedFile(const QString& line)
{
    const QString name = TrimSpaces(line);
    return name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"') ? name.mid(1, name.size() - 2) : name;
}

// "[FILES]" lines naming `topicFile`, whatever their letter case (the compiler finds files so).
bool namesFile(const QString& line, const QString& topicFile)
{
    return namedFile(line).compare(topicFile, Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList projectBlockWithoutMap(const QStringList& lines)
{
    const BlockSpan span = projectBlockSpan(lines);
    if (span.open < 0 || span.close < 0)
        return {};
    return QStringList{lines[span.open]} + withoutMap(lines, span) + QStringList{lines[span.close]};
}

std::optional<QString> defaultBlockMadeFor(const QStringList& lines)
{
    const BlockSpan span = projectBlockSpan(lines);
    if (span.open < 0 || span.close < 0)
        return std::nullopt;
    const QStringList content = withoutMap(lines, span);
    const QString titlePrefix = QStringLiteral("TITLE=Aide de ");
    if (content.size() != 8 || !content[1].startsWith(titlePrefix))
        return std::nullopt;
    const QString name = content[1].mid(titlePrefix.size());
    QStringList expected = defaultProjectBlock(name).mid(1, 8);
    // Blocks made before the topic file line named the file left that line empty.
    if (content[3].isEmpty())
        expected[3].clear();
    if (content != expected)
        return std::nullopt;
    return name;
}

bool followProjectName(QStringList& lines, const QString& projectFileName, const QString& previousFileName)
{
    const BlockSpan span = projectBlockSpan(lines);
    if (span.open < 0 || span.close < 0)
        return false;
    const QString name = fileNamePart(projectFileName);
    if (const auto madeFor = defaultBlockMadeFor(lines)) {
        if (*madeFor == name && !withoutMap(lines, span)[3].isEmpty())
            return false;
        // The default lines of this name, and the [MAP] section as it was (CreMap redoes it).
        QStringList map;
        for (int i = span.open + 1; i < span.close; ++i) {
            if (!sameTag(lines[i], u"[MAP]"))
                continue;
            map << lines[i];
            while (i + 1 < span.close && !isSectionHead(lines[i + 1]))
                map << lines[++i];
            break;
        }
        QStringList out = lines.mid(0, span.open);
        out << defaultProjectBlock(projectFileName).mid(0, 9) << map << lines.mid(span.close);
        lines.swap(out);
        return true;
    }

    // The author's block keeps every value; only the topic file named after the old name follows.
    if (previousFileName.isEmpty() || fileNamePart(previousFileName) == name)
        return false;
    const QString previous = topicFileName(previousFileName);
    bool inFiles = false;
    for (int i = span.open + 1; i < span.close; ++i) {
        if (isSectionHead(lines[i])) {
            inFiles = sameTag(TrimSpaces(lines[i]), u"[FILES]");
            continue;
        }
        if (inFiles && namesFile(lines[i], previous)) {
            lines[i] = topicFileName(projectFileName);
            return true;
        }
    }
    return false;
}

bool nameTopicFile(QStringList& hpjLines, const QString& topicFile)
{
    int files = -1;
    for (int i = 0; i < hpjLines.size() && files < 0; ++i) {
        if (sameTag(TrimSpaces(hpjLines[i]), u"[FILES]"))
            files = i;
    }
    if (files < 0) {
        // No [FILES] at all: one goes in before [MAP], or at the end.
        int at = int(hpjLines.size());
        for (int i = 0; i < hpjLines.size(); ++i) {
            if (sameTag(hpjLines[i], u"[MAP]")) {
                at = i;
                break;
            }
        }
        hpjLines.insert(at, filesLine(topicFile));
        hpjLines.insert(at, QStringLiteral("[FILES]"));
        return true;
    }
    QList<int> topicFiles;
    for (int i = files + 1; i < hpjLines.size() && !isSectionHead(hpjLines[i]); ++i) {
        if (namesFile(hpjLines[i], topicFile)) {
            if (TrimSpaces(hpjLines[i]).startsWith(u'"') || filesLine(topicFile) == topicFile)
                return false;
            hpjLines[i] = filesLine(topicFile);
            return true;
        }
        if (namedFile(hpjLines[i]).endsWith(u".rtf", Qt::CaseInsensitive))
            topicFiles << i;
    }
    // The one topic file is the project's own, under an older name; among several, none is
    // known to be, so this one is added to them.
    if (topicFiles.size() == 1)
        hpjLines[topicFiles.front()] = filesLine(topicFile);
    else
        hpjLines.insert(files + 1, filesLine(topicFile));
    return true;
}

QString topicContext(const QString& title)
{
    const QString prefix = QStringLiteral("IDH_");
    return prefix + ContextKey(title).left(MaxContextLength - prefix.size());
}

QString mapLine(const QString& title, int topicNumber)
{
    return topicContext(title) + QLatin1Char('\t') + QString::number(topicNumber + 1);
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

bool ExportHpj(QStringList& lines, int pageCount, const QString& hpjPath, QString* error, const QString& topicFile)
{
    CreMap(lines, pageCount);
    auto content = projectFileLines(lines);
    if (!content) {
        if (error)
            *error = QStringLiteral("Le projet n'a pas de bloc de projet.");
        return false;
    }
    if (!topicFile.isEmpty())
        nameTopicFile(*content, topicFile);
    return textfile::writeLines(hpjPath, *content, error);
}

} // namespace store
