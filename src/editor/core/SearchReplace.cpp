#include "editor/core/SearchReplace.h"

#include "store/core/Blocks.h"

#include <utility>

namespace editor {

namespace {

inline char16_t upperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

// The walk over the examined lines: tag lines open a topic block, close tags end it, and the lines
// of a block get their place (title 2, body 3 and more) and, for the body, their offset.
class BlockWalker {
public:
    BlockWalker(const QStringList& lines, const SearchPosition& pos)
        : lines_(lines)
        , place_(pos.SearchBlockLine)
        , offset_(pos.SearchOffset)
    {
        savedTag_ = pos.SearchTag;
        page_ = pos.SearchTag.isEmpty() ? -1 : store::tagNumber(pos.SearchTag, u"<BLOC", true);
        // The tag line itself, when it still stands where it was, holds the block's present number
        // (a deletion may have renumbered it since).
        const int tagLine = pos.SearchLine - pos.SearchBlockLine;
        if (page_ >= 0 && pos.SearchBlockLine > 0 && tagLine >= 0 && tagLine < lines.size()) {
            const int number = store::tagNumber(lines[tagLine], u"<BLOC", true);
            if (number >= 0) {
                tag_ = tagLine;
                page_ = number;
            }
        }
    }

    // Reads line `i`; true when it is a title or body line of a topic block.
    bool examine(int i)
    {
        const QString& line = lines_[i];
        if (!line.isEmpty() && line[0] == u'<') {
            if (hasFoldedPrefix(line, u"<BLOC")) {
                tag_ = i;
                savedTag_.clear();
                page_ = store::tagNumber(line, u"<BLOC", true);
                place_ = 1;
                offset_ = 0;
                return false;
            }
            if (hasFoldedPrefix(line, u"</BLOC")) {
                page_ = -1;
                tag_ = -1;
                savedTag_.clear();
                place_ = 0;
                return false;
            }
        }
        current_ = place_++;
        return page_ >= 0 && current_ >= 2;
    }

    bool inTitle() const { return current_ == 2; }
    int page() const { return page_; }
    int bodyOffset() const { return offset_; }
    // After body line `i` was looked at, the next one starts after it and its line end.
    void passBody(int i)
    {
        if (current_ >= 3)
            offset_ += int(lines_[i].size()) + 1;
    }

    // The position of the line after `i`.
    SearchPosition after(int i) const
    {
        SearchPosition p;
        p.SearchLine = i + 1;
        p.SearchTag = tag_ >= 0 ? store::foldAscii(lines_[tag_]) : savedTag_;
        p.SearchBlockLine = current_ + 1;
        p.SearchOffset = current_ >= 3 ? offset_ + int(lines_[i].size()) + 1 : 0;
        return p;
    }

private:
    static bool hasFoldedPrefix(QStringView line, QStringView prefix)
    {
        if (line.size() < prefix.size())
            return false;
        for (qsizetype k = 0; k < prefix.size(); ++k)
            if (upperAscii(line[k].unicode()) != prefix[k].unicode())
                return false;
        return true;
    }

    const QStringList& lines_;
    int tag_ = -1;
    QString savedTag_;
    int page_ = -1;
    int place_ = 0;
    int current_ = 0;
    int offset_ = 0;
};

// The text of a title line without its end mark, or the whole body line.
QStringView examinedText(const QString& line, bool title)
{
    return title && !line.isEmpty() ? QStringView(line).chopped(1) : QStringView(line);
}

} // namespace

SearchPosition searchStart(const QStringList& lines)
{
    SearchPosition p;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(u"<BLOC")) {
            p.SearchLine = i;
            break;
        }
    }
    return p;
}

qsizetype findFolded(QStringView line, QStringView upper, qsizetype from)
{
    const qsizetype m = upper.size();
    const qsizetype n = line.size();
    if (m == 0 || from < 0 || m > n - from)
        return -1;
    const char16_t* s = line.utf16();
    const char16_t* t = upper.utf16();
    const char16_t first = t[0];
    const qsizetype last = n - m;
    auto restMatches = [&](qsizetype i) {
        for (qsizetype k = 1; k < m; ++k)
            if (upperAscii(s[i + k]) != t[k])
                return false;
        return true;
    };
    if (first >= u'A' && first <= u'Z') {
        // c | 0x20 equals the lower-case letter only for that letter in either case.
        const char16_t lower = first | 0x20;
        for (qsizetype i = from; i <= last; ++i)
            if ((s[i] | 0x20) == lower && restMatches(i))
                return i;
        return -1;
    }
    for (qsizetype i = line.indexOf(QChar(first), from); i >= 0 && i <= last; i = line.indexOf(QChar(first), i + 1))
        if (restMatches(i))
            return i;
    return -1;
}

std::optional<SearchMatch> searchStep(const QStringList& lines, SearchPosition& pos, QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QString upper = store::foldAscii(text);
    const int n = int(lines.size());
    BlockWalker walk(lines, pos);
    for (int i = qBound(0, pos.SearchLine, n); i < n; ++i) {
        if (!walk.examine(i))
            continue;
        const bool title = walk.inTitle();
        const qsizetype at = findFolded(examinedText(lines[i], title), upper);
        if (at >= 0) {
            SearchMatch m;
            m.page = walk.page();
            m.inTitle = title;
            m.start = int(at) + (title ? 0 : walk.bodyOffset());
            m.length = int(upper.size());
            pos = walk.after(i);
            return m;
        }
        walk.passBody(i);
    }
    return std::nullopt;
}

void blockRemoved(SearchPosition& pos, int open, int count)
{
    if (count <= 0 || pos.SearchLine <= open)
        return;
    if (pos.SearchLine >= open + count) {
        pos.SearchLine -= count;
        return;
    }
    pos.SearchLine = open;
    pos.SearchTag.clear();
    pos.SearchBlockLine = 0;
    pos.SearchOffset = 0;
}

int replaceAll(QStringList& lines, QStringView text, const QString& replacement)
{
    if (text.isEmpty())
        return 0;
    const QString upper = store::foldAscii(text);
    QString put = replacement;
    put.replace(u'\r', u' ').replace(u'\n', u' ');
    int replaced = 0;
    const SearchPosition start = searchStart(lines);
    BlockWalker walk(lines, start);
    for (int i = start.SearchLine; i < lines.size(); ++i) {
        if (!walk.examine(i))
            continue;
        const QString& line = std::as_const(lines)[i];
        const bool title = walk.inTitle();
        const QStringView seen = examinedText(line, title);
        qsizetype at = findFolded(seen, upper);
        if (at < 0)
            continue;
        QString changed;
        qsizetype from = 0;
        while (at >= 0) {
            changed += seen.sliced(from, at - from);
            changed += put;
            ++replaced;
            from = at + upper.size();
            at = findFolded(seen, upper, from);
        }
        changed += seen.sliced(from);
        changed = store::protectBodyLine(changed);
        if (title)
            changed += line.back();
        lines[i] = changed;
    }
    return replaced;
}

} // namespace editor
