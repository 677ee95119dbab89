#include "publish/core/RtfWriter.h"

#include "publish/core/RtfText.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TopicRecord.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <thread>
#include <vector>

namespace publish {

void RtfOut::grow(qsizetype n)
{
    const qsizetype used = at_ ? at_ - bytes_.data() : 0;
    bytes_.resize(qMax(used + n, 2 * bytes_.size() + 4096));
    at_ = bytes_.data() + used;
    end_ = bytes_.data() + bytes_.size();
}

QByteArray RtfOut::take()
{
    bytes_.truncate(at_ ? at_ - bytes_.constData() : 0);
    at_ = end_ = nullptr;
    return std::move(bytes_);
}

void RtfOut::piece(const QString& s)
{
    room(s.size());
    cp1252::encodeInto(s, at_);
    at_ += s.size();
}

bool RtfOut::escapedLine(QStringView raw, int* depth)
{
    room(EscapeRoom * raw.size());
    char* const before = at_;
    at_ = escapeInto(at_, raw);
    const bool mark = at_ > before && at_[-1] == char(0xB6);
    if (mark)
        --at_;
    QByteArray fixed;
    if (depth && containInto(before, at_ - before, *depth, fixed)) {
        at_ = before;
        piece(QByteArrayView(fixed));
    }
    return mark;
}

namespace {

// The fixed starts of the # and $ footnotes.
constexpr char kContextFootnote[] = "{\\cs16\\super #{\\footnote\\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright "
                                    "\\fs20\\lang1036\\cgrid{\\cs16\\super #}{ ";
constexpr char kTitleFootnote[] = "${\\footnote \\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright "
                                  "\\fs20\\lang1036\\cgrid {\\cs16\\super $}{";
struct Selectors {
    QByteArray titleSize;
    QByteArray bodySize;
    QByteArray bodyPiece; // the body size selector and its space, before every body line
    QByteArray titleColour;
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
    const QByteArray escapedTitle = RtfTitleBytes(title);

    out.piece(kContextFootnote);
    out.piece(store::topicContext(title));
    out.line("}}");
    out.piece(kTitleFootnote);
    out.piece(QByteArrayView(escapedTitle));
    out.line("}}}");

    const qsizetype slash = keywordLine.indexOf(u'\\');
    const QStringView keywordPart = slash >= 0 ? QStringView(keywordLine).left(slash) : QStringView(keywordLine);
    // The editor stores a context key there; a file edited by hand may hold anything, and a brace
    // or backslash in the hidden text would swallow the topics after it.
    const QString key = slash >= 0 ? store::ContextKey(keywordLine.mid(slash + 1, MaxSeeAlsoTarget)) : QString();
    const QByteArray keywords = keywordText(keywordPart);
    if (!keywords.isEmpty()) {
        out.piece("K{\\footnote \\pard \\plain\\f16\\fs20\\up6\\super K\\plain\\f16 ");
        out.piece(QByteArrayView(keywords));
        out.line("}");
    }
    out.piece("+{\\footnote \\pard \\plain\\f16\\fs20\\up6\\super +\\plain\\f16 ");
    out.piece(store::BlockNumber(k));
    out.line("}");

    out.piece("\\f11");
    out.piece(QByteArrayView(sel.titleSize));
    out.piece(QByteArrayView(sel.titleColour));
    out.piece("\\cgrid0\\keepn ");
    out.piece(QByteArrayView(escapedTitle));
    out.piece(" \\par\\pard");
    out.line(QByteArrayView(sel.bodySize));

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

    if (!key.isEmpty()) {
        out.piece("}{\\par \\f11");
        out.piece(QByteArrayView(sel.bodySize));
        out.piece("\\uldb\\cgrid0 Voir aussi}{\\v\\cgrid0 ");
        out.piece(store::topicContext(key));
        out.line("}{\\f11\\fs20\\cgrid0 ");
    }
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
    out.piece(kContextFootnote);
    out.piece("Pp");
    out.piece(store::BlockNumber(p));
    out.line("}}");
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
    Selectors sel{SizeSelector(title.fontSize).toLatin1(), SizeSelector(body.fontSize).toLatin1(), {},
        ColourCode(title.fontColour).toLatin1()};
    sel.bodyPiece = sel.bodySize + ' ';
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
    std::vector<BlockSpan> topics; // those the topic loop writes: up to the first missing number
    qsizetype lines = 0;
    for (int k = 0; k < pageCount; ++k) {
        const BlockSpan s = walk.topic(k);
        if (!s.found())
            break;
        topics.push_back(s);
        lines += s.end - s.open;
    }
    // Room for the escapes of the lines from..to and the footnotes of their topics.
    const auto room = [&](qsizetype from, qsizetype to, size_t topicCount) {
        qsizetype chars = 0;
        for (qsizetype i = from; i < to; ++i)
            chars += documentLines[i].size() + 8;
        return 2 * chars + 700 * qsizetype(topicCount) + 4096;
    };
    const auto write = [&](RtfOut& out, size_t from, size_t to, const QStringList& contents) {
        for (size_t k = from; k < to; ++k)
            writeTopic(out, documentLines, topics[k], k == 0 ? contents : QStringList(), int(k), sel);
    };
    const auto writeEnd = [&](RtfOut& out) {
        out.line("\\par }");
        EcritPopUp(out, documentLines, walk, popupCount);
    };

    // A large project is made in two halves at once, topics being independent of one another;
    // the second half ends with the popups.
    size_t half = topics.size();
    if (lines > 20000) {
        qsizetype seen = 0;
        for (half = 0; half < topics.size() && seen < lines / 2; ++half)
            seen += topics[half].end - topics[half].open;
    }
    RtfOut second;
    std::thread other;
    if (half < topics.size())
        other = std::thread([&] {
            second.reserve(room(topics[half].open, documentLines.size(), topics.size() - half) + 300 * qsizetype(qMax(0, popupCount)));
            write(second, half, topics.size(), {});
            writeEnd(second);
        });

    RtfOut out;
    // Room for the whole file, the other half included: it is copied in at the end, and a buffer
    // grown then would copy the first half over again. Topic 0 also holds one contents link per topic.
    out.reserve(room(0, documentLines.size(), topics.size()) + 200 * qsizetype(topics.size())
        + 300 * qsizetype(qMax(0, popupCount)));
    for (const QString& l : RtfHeader())
        out.line(l);
    write(out, 0, half, Sommaire(documentLines, walk, pageCount, body));
    if (other.joinable()) {
        other.join();
        out.piece(second.take());
    } else {
        writeEnd(out);
    }
    return out.take();
}

bool ExportRtf(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& rtfPath, QString* error)
{
    return textfile::writeBytes(rtfPath, RtfBytes(documentLines, pageCount, popupCount, title, body), error);
}

} // namespace publish
