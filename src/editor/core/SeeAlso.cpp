#include "editor/core/SeeAlso.h"

#include "store/core/Blocks.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"

namespace editor {

QString seeAlsoTarget(const QString& title)
{
    return store::ContextKey(title);
}

namespace {

// The topic's keyword line, or -1; `found` tells whether the topic has a block at all.
int keywordLine(const QStringList& lines, int page, bool& found)
{
    const int open = store::findTag(lines, store::topicOpenTag(page));
    found = open >= 0;
    return store::keywordLineOf(lines, open);
}

QString beforeLink(const QString& line)
{
    const qsizetype slash = line.indexOf(u'\\');
    return slash < 0 ? line : line.left(slash);
}

} // namespace

bool setSeeAlso(QStringList& lines, int page, const QString& target)
{
    bool found = false;
    const int at = keywordLine(lines, page, found);
    if (at < 0)
        return false;
    lines[at] = beforeLink(lines[at]) + u'\\' + target;
    return true;
}

bool clearSeeAlso(QStringList& lines, int page)
{
    bool found = false;
    const int at = keywordLine(lines, page, found);
    if (at >= 0)
        lines[at] = beforeLink(lines[at]);
    return found;
}

} // namespace editor
