#include "editor/core/SearchReplace.h"

#include "store/core/Blocks.h"
#include "store/core/TextRules.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <utility>

namespace editor {

namespace {

inline char16_t upperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

bool hasFoldedPrefix(QStringView line, QStringView prefix)
{
    if (line.size() < prefix.size())
        return false;
    for (qsizetype k = 0; k < prefix.size(); ++k)
        if (upperAscii(line[k].unicode()) != prefix[k].unicode())
            return false;
    return true;
}

// A line that opens a topic block for the search: it starts with "<BLOC", letter case folded.
bool opensBlock(const QString& line)
{
    return !line.isEmpty() && line[0] == u'<' && hasFoldedPrefix(line, u"<BLOC");
}

// The line of the `ordinal`-th topic block's tag (counted from 0 in the document's order), or -1.
int blockTagLine(const QStringList& lines, int ordinal)
{
    int seen = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (!opensBlock(lines[i]))
            continue;
        if (seen == ordinal)
            return i;
        ++seen;
    }
    return -1;
}

// The walk over the examined lines: tag lines open a topic block, close tags end it, and the lines
// of a block get their place (title 2, body 3 and more) and, for the body, their offset.
class BlockWalker {
public:
    // Starts at the line `pos` stands for in `lines` as they are now: `start()`.
    BlockWalker(const QStringList& lines, const SearchPosition& pos)
        : lines_(lines)
        , place_(pos.SearchBlockLine)
        , ordinal_(pos.SearchBlock)
    {
        const int tagLine = blockTagLine(lines, pos.SearchBlock);
        if (tagLine < 0) {
            start_ = int(lines.size());
            return;
        }
        start_ = qMin(int(lines.size()), tagLine + qMax(0, pos.SearchBlockLine));
        if (pos.SearchBlockLine <= 0) {
            --ordinal_; // the tag line itself comes first and opens the block
            place_ = 0;
            return;
        }
        // Inside the block: its tag gives its present number, and the body offset is counted again
        // from the block as it stands.
        tag_ = tagLine;
        page_ = store::tagNumber(lines[tagLine], u"<BLOC", true);
        for (int i = tagLine + 3; i < start_; ++i)
            offset_ += int(lines[i].size()) + 1;
    }

    int start() const { return start_; }

    // Reads line `i`; true when it is a title or body line of a topic block.
    bool examine(int i)
    {
        const QString& line = lines_[i];
        if (!line.isEmpty() && line[0] == u'<') {
            if (hasFoldedPrefix(line, u"<BLOC")) {
                tag_ = i;
                ++ordinal_;
                page_ = store::tagNumber(line, u"<BLOC", true);
                place_ = 1;
                offset_ = 0;
                return false;
            }
            if (hasFoldedPrefix(line, u"</BLOC")) {
                page_ = -1;
                tag_ = -1;
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
        p.SearchTag = tag_ >= 0 ? store::foldAscii(lines_[tag_]) : QString();
        p.SearchBlockLine = current_ + 1;
        p.SearchOffset = current_ >= 3 ? offset_ + int(lines_[i].size()) + 1 : 0;
        p.SearchBlock = ordinal_;
        return p;
    }

private:
    const QStringList& lines_;
    int start_ = 0;
    int tag_ = -1;
    int page_ = -1;
    int place_ = 0;
    int current_ = 0;
    int offset_ = 0;
    int ordinal_ = 0;
};

// Finds a text with the ASCII letters folded. The window jumps by Horspool's skip for the folded
// character under its last place (kept per low byte: a shared slot only makes a jump shorter), so a
// sweep over every topic looks at a fraction of the characters.
class FoldedMatcher {
public:
    explicit FoldedMatcher(QStringView text)
        : upper_(store::foldAscii(text))
    {
        const qsizetype m = upper_.size();
        skip_.fill(qMax<qsizetype>(1, m));
        for (qsizetype k = 0; k + 1 < m; ++k)
            skip_[upper_[k].unicode() & 0xFF] = m - 1 - k;
    }

    qsizetype size() const { return upper_.size(); }

    qsizetype indexIn(QStringView line, qsizetype from = 0) const
    {
        const qsizetype m = upper_.size();
        const qsizetype n = line.size();
        if (m == 0)
            return -1;
        const char16_t* s = line.utf16();
        const char16_t* t = QStringView(upper_).utf16();
        const char16_t last = t[m - 1];
        for (qsizetype i = from; i + m <= n;) {
            const char16_t c = upperAscii(s[i + m - 1]);
            if (c == last) {
                qsizetype k = 0;
                while (k + 1 < m && upperAscii(s[i + k]) == t[k])
                    ++k;
                if (k + 1 >= m)
                    return i;
            }
            i += skip_[c & 0xFF];
        }
        return -1;
    }

private:
    QString upper_;
    std::array<qsizetype, 256> skip_;
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
    p.SearchLine = qMax(0, blockTagLine(lines, 0));
    return p;
}

std::optional<SearchMatch> searchStep(const QStringList& lines, SearchPosition& pos, QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const FoldedMatcher matcher(text);
    const int n = int(lines.size());
    BlockWalker walk(lines, pos);
    for (int i = walk.start(); i < n; ++i) {
        if (!walk.examine(i))
            continue;
        const bool title = walk.inTitle();
        const qsizetype at = matcher.indexIn(examinedText(lines[i], title));
        if (at >= 0) {
            SearchMatch m;
            m.page = walk.page();
            m.inTitle = title;
            m.start = int(at) + (title ? 0 : walk.bodyOffset());
            m.length = int(matcher.size());
            pos = walk.after(i);
            return m;
        }
        walk.passBody(i);
    }
    return std::nullopt;
}

void blockRemoved(SearchPosition& pos, const QStringList& lines, int open)
{
    int removed = 0;
    for (int i = 0; i < open && i < lines.size(); ++i)
        removed += opensBlock(lines[i]);
    if (removed > pos.SearchBlock)
        return;
    if (removed < pos.SearchBlock) {
        --pos.SearchBlock;
        return;
    }
    // Inside it, or at its tag: on with the block that came after it.
    pos.SearchTag.clear();
    pos.SearchBlockLine = 0;
    pos.SearchOffset = 0;
}

int replaceAll(QStringList& lines, QStringView text, const QString& replacement, QList<int>* keptTitles)
{
    if (text.isEmpty())
        return 0;
    const FoldedMatcher matcher(text);
    QString put = replacement;
    put.replace(u'\r', u' ').replace(u'\n', u' ');
    int replaced = 0;
    QString scratch; // the changed line as it is made, its memory kept from line to line
    BlockWalker walk(lines, SearchPosition{});
    for (int i = walk.start(); i < lines.size(); ++i) {
        if (!walk.examine(i))
            continue;
        const QString& line = std::as_const(lines)[i];
        const bool title = walk.inTitle();
        const QStringView seen = examinedText(line, title);
        qsizetype at = matcher.indexIn(seen);
        if (at < 0)
            continue;
        // Every occurrence first, so the new line is made in one piece.
        QVarLengthArray<qsizetype, 8> found;
        for (; at >= 0; at = matcher.indexIn(seen, at + matcher.size()))
            found.append(at);
        scratch.resize(seen.size() + found.size() * (put.size() - matcher.size()));
        QChar* d = scratch.data();
        qsizetype from = 0;
        for (const qsizetype hit : found) {
            d = std::copy(seen.begin() + from, seen.begin() + hit, d);
            d = std::copy(put.cbegin(), put.cend(), d);
            from = hit + matcher.size();
        }
        std::copy(seen.begin() + from, seen.end(), d);
        if (title && store::TrimSpaces(scratch).isEmpty()) {
            if (keptTitles)
                keptTitles->append(walk.page());
            continue;
        }
        replaced += int(found.size());
        // A line that now reads as a tag is protected like any stored line.
        if (store::looksLikeTag(scratch))
            scratch = store::protectBodyLine(scratch);
        if (title)
            scratch += line.back(); // the end mark
        // The old line goes first: thousands of changed lines then reuse each other's memory
        // instead of asking for fresh memory each time.
        lines[i] = QString();
        lines[i] = QString(scratch.constData(), scratch.size());
    }
    return replaced;
}

QString replaceDoneMessage(int replaced, const QList<int>& keptTitles)
{
    QString text = QString::fromUtf8("Remplacement terminé : ");
    if (replaced == 0)
        text += QStringLiteral("aucun remplacement.");
    else if (replaced == 1)
        text += QStringLiteral("1 remplacement.");
    else
        text += QStringLiteral("%1 remplacements.").arg(replaced);
    if (keptTitles.size() == 1) {
        text += QString::fromUtf8(" Le titre de la page P. %1 n'a pas été remplacé : il serait vide.")
                    .arg(keptTitles[0] + 1);
    } else if (keptTitles.size() > 1) {
        QStringList pages;
        for (const int page : keptTitles)
            pages << QStringLiteral("P. %1").arg(page + 1);
        text += QString::fromUtf8(" Les titres des pages %1 n'ont pas été remplacés : ils seraient vides.")
                    .arg(pages.join(QStringLiteral(", ")));
    }
    return text;
}

} // namespace editor
