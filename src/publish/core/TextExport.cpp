#include "publish/core/TextExport.h"

#include "platform/core/Cp1252.h"
#include "publish/core/BlockWalk.h"
#include "store/core/TopicRecord.h"

#include <QFileInfo>

namespace publish {

namespace {

// Title and body of a found topic; a block cut short has no title line.
void appendTopic(QStringList& out, const QStringList& lines, const BlockSpan& span)
{
    if (span.open + 2 < span.end)
        out << store::topicTitle(lines, span.open);
    for (int i = span.open + 3; i < span.end; ++i)
        out << lines[i];
}

} // namespace

QByteArray exportText(const QStringList& lines, int pageCount, bool* lossy)
{
    const BlockWalk walk(lines);
    // Each line of the document is written at most once: its size bounds the file.
    qsizetype bound = 0;
    for (const QString& l : lines)
        bound += l.size() + 2;
    QByteArray out(bound, Qt::Uninitialized);
    char* d = out.data();
    bool lost = false;
    auto put = [&](QStringView line) {
        lost |= cp1252::encodeInto(line, d);
        d += line.size();
        *d++ = '\r';
        *d++ = '\n';
    };
    for (int n = 0; n < pageCount; ++n) {
        const BlockSpan span = walk.topic(n);
        if (!span.found())
            break;
        if (span.open + 2 < span.end) {
            QStringView title = lines[span.open + 2];
            if (!title.isEmpty())
                title.chop(1); // the end mark
            put(title);
        }
        for (int i = span.open + 3; i < span.end; ++i)
            put(lines[i]);
    }
    out.truncate(d - out.constData());
    if (lossy)
        *lossy = lost;
    return out;
}

bool isRtfName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
}

QStringList topicPrintLines(const QStringList& lines, int fromPage, int toPage)
{
    QStringList out;
    if (fromPage < 1 || toPage < fromPage)
        return out;
    const BlockWalk walk(lines);
    for (int n = fromPage - 1; n <= toPage - 1; ++n) {
        const BlockSpan span = walk.topic(n);
        if (!span.found())
            break;
        appendTopic(out, lines, span);
        out << QString();
    }
    return out;
}

QList<std::pair<QString, QString>> titleListEntries(const QStringList& lines, int pageCount)
{
    const BlockWalk walk(lines);
    QList<std::pair<QString, QString>> out;
    for (int n = 0; n < pageCount; ++n) {
        const BlockSpan span = walk.topic(n);
        if (!span.found())
            break;
        out.append({span.open + 2 < span.end ? store::topicTitle(lines, span.open) : QString(), QString::number(n + 1)});
    }
    return out;
}

QStringList titleListLines(const QStringList& lines, int pageCount)
{
    static const QString dots(45, u'.');
    QStringList out;
    for (const auto& [title, number] : titleListEntries(lines, pageCount))
        out << QString(title + dots).left(52) + number;
    return out;
}

} // namespace publish
