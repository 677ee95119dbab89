#include "publish/core/RtfWriter.h"

#include "publish/core/RtfText.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TopicRecord.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

namespace publish {

void RtfOut::piece(const QString& s)
{
    const qsizetype at = bytes_.size();
    bytes_.resize(at + s.size());
    cp1252::encodeInto(s, bytes_.data() + at);
}

bool RtfOut::escapedLine(QStringView raw, int* depth)
{
    const qsizetype before = bytes_.size();
    appendEscaped(bytes_, raw);
    const bool mark = bytes_.size() > before && bytes_.back() == char(0xB6);
    if (mark)
        bytes_.chop(1);
    if (depth)
        containRtf(bytes_, before, *depth);
    return mark;
}

namespace {

struct Selectors {
    QString titleSize;
    QString bodySize;
    QByteArray bodyPiece; // the body size selector and its space, before every body line
    QString titleColour;
};

// Writes topic k. `extra` are lines that follow the block's own content (the contents links of
// topic 0), written after its body.
void writeTopic(RtfOut& out, const QStringList& lines, const BlockSpan& s, const QStringList& extra, int k,
    const Selectors& sel)
{
    const int own = s.end - (s.open + 1);
    // A block cut short reads its missing lines as empty rather than taking a later line for them.
    const QString keywordLine = own > 0 ? lines[s.open + 1] : QString();
    QString title = own > 1 ? lines[s.open + 2] : QString();
    title.chop(1); // the title end mark
    const QString escapedTitle = RtfTitle(title);

    out.line(ContextFootnote(title));
    out.line(TitleFootnote(escapedTitle));

    const qsizetype slash = keywordLine.indexOf(u'\\');
    const QStringView keywordPart = slash >= 0 ? QStringView(keywordLine).left(slash) : QStringView(keywordLine);
    // The editor stores a context key there; a file edited by hand may hold anything, and a brace
    // or backslash in the hidden text would swallow the topics after it.
    const QString key = slash >= 0 ? store::ContextKey(keywordLine.mid(slash + 1, MaxSeeAlsoTarget)) : QString();
    const QString target = key.isEmpty() ? QString() : store::topicContext(key);
    const QString keywords = keywordText(keywordPart);
    if (!keywords.isEmpty())
        out.line(KeywordFootnote(keywords));
    out.line(BrowseFootnote(store::BlockNumber(k)));

    out.line(QStringLiteral("\\f11") + sel.titleSize + sel.titleColour + QStringLiteral("\\cgrid0\\keepn ")
        + escapedTitle + QStringLiteral(" \\par\\pard") + sel.bodySize);

    const auto bodyLine = [&](const QString& line, int* depth) {
        out.piece(QByteArrayView(sel.bodyPiece));
        if (out.escapedLine(line, depth)) {
            out.lineBreak();
            out.piece("\\par ");
        }
    };
    // The author's groups are closed before anything of the writer's follows.
    int depth = 0;
    for (int i = s.open + 3; i < s.end; ++i)
        bodyLine(lines[i], &depth);
    out.piece(QByteArray(depth, '}'));
    for (const QString& line : extra)
        bodyLine(line, nullptr);

    if (!target.isEmpty())
        out.line(QStringLiteral("}{\\par \\f11") + sel.bodySize + QStringLiteral("\\uldb\\cgrid0 Voir aussi}{\\v\\cgrid0 ")
            + target + QStringLiteral("}{\\f11\\fs20\\cgrid0 "));
    out.line("\\page ");
}

} // namespace

QString contentsLink(const QString& rawTitle, const QString& bodySize)
{
    return QStringLiteral("}{\\par \\f11") + bodySize + QStringLiteral("\\uldb\\cgrid0 ") + RtfContained(rawTitle)
        + QStringLiteral("}{\\v\\f11\\fs24\\cgrid0 ") + store::topicContext(rawTitle)
        + QStringLiteral("}{\\f11\\fs20\\cgrid0 ");
}

QStringList Sommaire(const QStringList& lines, const BlockWalk& walk, int pageCount, const store::FieldLook& body)
{
    const BlockSpan first = walk.topic(0);
    if (!first.found() || !first.closed)
        return {};
    const QString bodySize = SizeSelector(body.fontSize);
    // Only the topics the topic loop writes get a link: a link to a topic left out of the file
    // would be a jump to nowhere.
    QStringList links;
    for (int n = 1; n < pageCount; ++n) {
        const BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        QString title = s.open + 2 < s.end ? lines[s.open + 2] : QString();
        title.chop(1);
        links << contentsLink(title, bodySize);
    }
    links << QString(store::ParagraphMark);
    return links;
}

namespace {

void writePopup(RtfOut& out, const QStringList& lines, const BlockSpan& s, int p)
{
    out.line(PopupFootnote(p));
    int depth = 0;
    for (int i = s.open + 2; i < s.end; ++i) {
        // Fixed 10 points here, the body font is not used; the first line is the bold heading.
        const bool first = i == s.open + 2;
        out.piece(first ? "\\fs20 \\b " : "\\fs20 ");
        const bool paragraphEnd = out.escapedLine(lines[i], &depth);
        out.piece(first ? "\\b0 " : " ");
        if (paragraphEnd) {
            out.lineBreak();
            out.piece("\\par ");
        }
    }
    out.piece(QByteArray(depth, '}'));
    out.lineBreak();
    out.line("\\par \\page ");
    out.line("\\par }");
}

Selectors selectors(const store::FieldLook& title, const store::FieldLook& body)
{
    Selectors sel{SizeSelector(title.fontSize), SizeSelector(body.fontSize), {}, ColourCode(title.fontColour)};
    sel.bodyPiece = (sel.bodySize + QLatin1Char(' ')).toLatin1();
    return sel;
}

} // namespace

void EcritPopUp(RtfOut& out, const QStringList& lines, const BlockWalk& walk, int popupCount)
{
    for (int p = 0; p < popupCount; ++p) {
        const BlockSpan s = walk.popup(p);
        if (!s.found())
            break;
        writePopup(out, lines, s, p);
    }
}

QByteArray topicRtf(const QStringList& documentLines, int page, const store::TopicFields& fields, int pageCount,
    const store::FieldLook& title, const store::FieldLook& body)
{
    const QStringList block = store::topicBlock(page, fields);
    RtfOut out;
    for (const QString& l : RtfHeader())
        out.line(l);
    if (!block.isEmpty()) {
        // Topic 0 ends with the contents links, which name every topic.
        QStringList contents;
        if (page == 0)
            contents = Sommaire(documentLines, BlockWalk(documentLines), pageCount, body);
        writeTopic(out, block, BlockSpan{0, int(block.size()) - 1, true}, contents, page, selectors(title, body));
    }
    out.line("\\par }");
    if (block.isEmpty())
        return out.take();
    // The popups the text opens, each once, found by their tags without walking every block.
    QList<int> popups;
    for (const QString& line : fields.body) {
        int n = -1;
        for (qsizetype at = store::findHiddenLink(line, 0, n); at >= 0; at = store::findHiddenLink(line, at + 1, n))
            if (!popups.contains(n))
                popups << n;
    }
    for (const int p : popups) {
        const int open = store::findTag(documentLines, store::popupOpenTag(p));
        if (open < 0)
            continue;
        const store::Extent e = store::blockExtent(documentLines, open, store::popupCloseTag(p));
        writePopup(out, documentLines, BlockSpan{open, e.contentEnd, e.closed}, p);
    }
    return out.take();
}

QByteArray RtfBytes(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body)
{
    const Selectors sel = selectors(title, body);
    const BlockWalk walk(documentLines);
    const QStringList contents = Sommaire(documentLines, walk, pageCount, body);

    RtfOut out;
    qsizetype estimate = 4096;
    for (const QString& l : documentLines)
        estimate += l.size() + 8;
    out.reserve(estimate * 2 + qsizetype(qMax(0, pageCount)) * 700 + qsizetype(qMax(0, popupCount)) * 300);

    for (const QString& l : RtfHeader())
        out.line(l);
    for (int k = 0; k < pageCount; ++k) {
        const BlockSpan s = walk.topic(k);
        if (!s.found())
            break;
        writeTopic(out, documentLines, s, k == 0 ? contents : QStringList(), k, sel);
    }
    out.line("\\par }");
    EcritPopUp(out, documentLines, walk, popupCount);
    return out.take();
}

bool ExportRtf(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& rtfPath, QString* error)
{
    return textfile::writeBytes(rtfPath, RtfBytes(documentLines, pageCount, popupCount, title, body), error);
}

} // namespace publish
