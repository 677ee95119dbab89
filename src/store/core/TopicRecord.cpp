#include "store/core/TopicRecord.h"

#include "store/core/Blocks.h"

namespace store {

TopicFields readTopic(const QStringList& lines, int open, QStringView closeTag)
{
    TopicFields f;
    const qsizetype n = lines.size();
    QString keywordLine = open + 1 < n ? lines[open + 1] : QString();
    if (!keywordLine.isEmpty() && (keywordLine[0] == u'1' || keywordLine[0] == u'2')) {
        f.level = keywordLine[0].digitValue();
        keywordLine = keywordLine.mid(1, MaxKeywordLength);
    } else {
        f.level = 1;
    }
    const qsizetype slash = keywordLine.indexOf(u'\\');
    if (slash >= 0) {
        f.seeAlso = keywordLine.mid(slash + 1, MaxSeeAlsoLength);
        keywordLine.truncate(slash);
    }
    f.keywords = keywordLine;
    f.title = topicTitle(lines, open);
    for (qsizetype i = open + 3; i < n && lines[i] != closeTag; ++i)
        f.body << lines[i];
    return f;
}

QString topicTitle(const QStringList& lines, int open)
{
    QString title = open + 2 < lines.size() ? lines[open + 2] : QString();
    title.chop(1);
    return title;
}

int keywordLineOf(const QStringList& lines, int open)
{
    if (open < 0 || open + 1 >= lines.size() || looksLikeTag(lines[open + 1]))
        return -1;
    return open + 1;
}

QStringList topicBlock(int n, const TopicFields& f)
{
    QStringList out;
    out.reserve(f.body.size() + 4);
    out << topicOpenTag(n) << QString::number(f.level) + f.keywords + QLatin1Char('\\') + f.seeAlso
        << protectBodyLine(f.title) + TitleEndMark; // a title read as a tag would break the counting
    for (const QString& line : f.body)
        out << protectBodyLine(line);
    out << topicCloseTag(n);
    return out;
}

} // namespace store
