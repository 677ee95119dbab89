#include "publish/core/ContentsBuild.h"

#include "platform/core/Cp1252.h"
#include "store/core/PageOrder.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

namespace publish {

namespace {

QString helpTitle(const QStringList& documentLines)
{
    const auto hpj = store::projectFileLines(documentLines);
    if (!hpj)
        return {};
    for (const QString& line : *hpj)
        if (line.startsWith(QLatin1String("TITLE="), Qt::CaseInsensitive))
            return line.mid(6).trimmed();
    return {};
}

} // namespace

hlp::ContentsFile projectContents(const QStringList& documentLines, int pageCount, const QString& hlpName)
{
    hlp::ContentsFile out;
    out.base = cp1252::encode(hlpName);
    out.title = cp1252::encode(helpTitle(documentLines));
    QList<store::PageEntry> entries = store::pageEntries(documentLines);
    while (!entries.isEmpty() && entries.back().number >= pageCount)
        entries.removeLast();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const store::PageEntry& e = entries[i];
        const QByteArray text = cp1252::encode(e.title);
        const QByteArray context = cp1252::encode(QString(QStringLiteral("IDH_") + store::ContextKey(e.title)));
        const bool hasChildren = e.level == 1 && i + 1 < entries.size() && entries[i + 1].level == 2;
        if (hasChildren) {
            out.lines.push_back({1, text, {}, {}, {}});
            out.lines.push_back({2, text, context, {}, {}});
        } else {
            out.lines.push_back({e.level == 2 ? 2 : 1, text, context, {}, {}});
        }
    }
    return out;
}

} // namespace publish
