#include "editor/core/LinkFollow.h"

#include "store/core/BlockWalk.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"

namespace editor {

namespace {

bool wordChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

bool sameKey(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0 && a.size() == b.size();
}

// Replaces (or with `to` null, only counts) each "IDH_" + key standing as a whole word.
int replaceJumps(QString& line, const QString& key, const QString* to)
{
    const QString word = QStringLiteral("IDH_") + key;
    int found = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = line.indexOf(word, from, Qt::CaseInsensitive);
        if (at < 0)
            return found;
        const qsizetype end = at + word.size();
        if ((at > 0 && wordChar(line[at - 1])) || (end < line.size() && wordChar(line[end]))) {
            from = at + 1;
            continue;
        }
        ++found;
        if (to) {
            const QString with = QStringLiteral("IDH_") + *to;
            line.replace(at, word.size(), with);
            from = at + with.size();
        } else {
            from = end;
        }
    }
}

// Walks every link to `key` in `read`; with `out`, writes each moved to `to` there (same lines).
int walkLinks(const QStringList& read, const QString& key, QStringList* out, const QString& to)
{
    if (key.isEmpty())
        return 0;
    int found = 0;
    const store::BlockWalk walk(read);
    std::vector<std::pair<int, int>> spans; // [first text line, end) of every topic body and popup text
    for (int n = 0;; ++n) {
        const store::BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        const int keywords = store::keywordLineOf(read, s.open);
        if (keywords >= 0 && keywords < s.end) {
            const qsizetype slash = read[keywords].indexOf(u'\\');
            if (slash >= 0 && sameKey(QStringView(read[keywords]).mid(slash + 1), key)) {
                ++found;
                if (out)
                    (*out)[keywords] = read[keywords].left(slash + 1) + to;
            }
        }
        spans.emplace_back(qMin(s.open + 3, s.end), s.end);
    }
    for (int n = 0;; ++n) {
        const store::BlockSpan s = walk.popup(n);
        if (!s.found())
            break;
        spans.emplace_back(qMin(s.open + 2, s.end), s.end);
    }
    for (const auto& [first, end] : spans)
        for (int i = first; i < end; ++i) {
            if (!read[i].contains(QLatin1String("IDH_"), Qt::CaseInsensitive))
                continue;
            QString line = read[i];
            const int here = replaceJumps(line, key, out ? &to : nullptr);
            found += here;
            if (out && here > 0)
                (*out)[i] = line;
        }
    return found;
}

} // namespace

int countLinks(const QStringList& lines, const QString& key)
{
    return walkLinks(lines, key, nullptr, QString());
}

bool keyTaken(const QStringList& lines, const QString& key, int page)
{
    const store::BlockWalk walk(lines);
    for (int n = 0;; ++n) {
        const store::BlockSpan s = walk.topic(n);
        if (!s.found())
            return false;
        if (n != page && sameKey(store::ContextKey(store::topicTitle(lines, s.open)), key))
            return true;
    }
}

int moveLinks(QStringList& lines, const QString& oldKey, const QString& newKey)
{
    // The walk reads a copy while the lines change (a replaced line never moves a block).
    const QStringList read = lines;
    return walkLinks(read, oldKey, &lines, newKey);
}

} // namespace editor
