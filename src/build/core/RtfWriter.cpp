#include "build/core/RtfWriter.h"

#include "build/core/RtfText.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/TextRules.h"

namespace build {

namespace {

struct Selectors {
    QString titleSize;
    QString bodySize;
    QString titleColour;
};

// An escaped line without its final paragraph mark; `paragraphEnd` tells whether it had one.
QString escapedPiece(const QString& raw, bool& paragraphEnd)
{
    QString line = RtfEscape(raw);
    paragraphEnd = !line.isEmpty() && line.back() == store::ParagraphMark;
    if (paragraphEnd)
        line.chop(1);
    return line;
}

void writeTopic(RtfOut& out, const QStringList& lines, const BlockSpan& s, int k, const Selectors& sel)
{
    // A block cut short reads its missing lines as empty rather than taking the close tag for them.
    const QString keywordLine = s.open + 1 < s.end ? lines[s.open + 1] : QString();
    QString title = s.open + 2 < s.end ? lines[s.open + 2] : QString();
    title.chop(1); // the title end mark
    const QString escapedTitle = RtfEscape(title);

    out.line(ContextFootnote(title));
    out.line(TitleFootnote(escapedTitle));

    const qsizetype slash = keywordLine.indexOf(u'\\');
    const QStringView keywordPart = slash >= 0 ? QStringView(keywordLine).left(slash) : QStringView(keywordLine);
    const QString target = slash >= 0 ? keywordLine.mid(slash + 1, MaxSeeAlsoTarget) : QString();
    const QString keywords = keywordText(keywordPart);
    if (!keywords.isEmpty())
        out.line(KeywordFootnote(keywords));
    out.line(BrowseFootnote(store::BlockNumber(k)));

    out.line(QStringLiteral("\\f11") + sel.titleSize + sel.titleColour + QStringLiteral("\\cgrid0\\keepn ")
        + escapedTitle + QStringLiteral(" \\par\\pard") + sel.bodySize);

    for (int i = s.open + 3; i < s.end; ++i) {
        bool paragraphEnd = false;
        const QString line = escapedPiece(lines[i], paragraphEnd);
        out.piece(sel.bodySize);
        out.piece(u" ");
        out.piece(line);
        if (paragraphEnd) {
            out.lineBreak();
            out.piece(u"\\par ");
        }
    }

    if (!target.isEmpty())
        out.line(QStringLiteral("}{\\par \\f11") + sel.bodySize + QStringLiteral("\\uldb\\cgrid0 Voir aussi}{\\v\\cgrid0 IDH_")
            + target + QStringLiteral("}{\\f11\\fs20\\cgrid0 "));
    out.line(u"\\page ");
}

} // namespace

QString contentsLink(const QString& rawTitle, const QString& bodySize)
{
    return QStringLiteral("}{\\par \\f11") + bodySize + QStringLiteral("\\uldb\\cgrid0 ") + rawTitle
        + QStringLiteral("}{\\v\\f11\\fs24\\cgrid0 IDH_") + store::ContextKey(rawTitle)
        + QStringLiteral("}{\\f11\\fs20\\cgrid0 ");
}

void Sommaire(QStringList& scratchLines, int pageCount, const store::FieldLook& body)
{
    const QString bodySize = SizeSelector(body.fontSize);
    const BlockWalk walk(scratchLines);
    const BlockSpan first = walk.topic(0);
    const QString close = store::topicCloseTag(0);
    if (!first.found() || first.end >= scratchLines.size() || scratchLines[first.end] != close)
        return;

    // Only the topics the topic loop writes get a link: a link to a topic left out of the file
    // would be a jump to nowhere.
    QStringList links;
    for (int n = 1; n < pageCount; ++n) {
        const BlockSpan s = walk.topic(n);
        if (!s.found())
            break;
        QString title = s.open + 2 < s.end ? scratchLines[s.open + 2] : QString();
        title.chop(1);
        links << contentsLink(title, bodySize);
    }
    links << QString(store::ParagraphMark);

    // One splice, not one insertion per link.
    QStringList out;
    out.reserve(scratchLines.size() + links.size());
    out << scratchLines.mid(0, first.end) << links << scratchLines.mid(first.end);
    scratchLines.swap(out);
}

void EcritPopUp(RtfOut& out, const QStringList& scratchLines, const BlockWalk& walk, int popupCount)
{
    for (int p = 0; p < popupCount; ++p) {
        const BlockSpan s = walk.popup(p);
        if (!s.found())
            break;
        out.line(PopupFootnote(p));
        for (int i = s.open + 2; i < s.end; ++i) {
            bool paragraphEnd = false;
            QString line = escapedPiece(scratchLines[i], paragraphEnd);
            if (i == s.open + 2)
                line = QStringLiteral("\\b ") + line + QStringLiteral("\\b0");
            out.piece(u"\\fs20 ");
            out.piece(line);
            out.piece(u" ");
            if (paragraphEnd) {
                out.lineBreak();
                out.piece(u"\\par ");
            }
        }
        out.lineBreak();
        out.line(u"\\par \\page ");
        out.line(u"\\par }");
    }
}

QString RtfText(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body)
{
    const Selectors sel{SizeSelector(title.fontSize), SizeSelector(body.fontSize), ColourCode(title.fontColour)};

    QStringList scratchLines = documentLines;
    Sommaire(scratchLines, pageCount, body);
    const BlockWalk walk(scratchLines);

    RtfOut out;
    qsizetype estimate = 1024;
    for (const QString& l : std::as_const(scratchLines))
        estimate += l.size() + 16;
    out.reserve(estimate + qsizetype(qMax(0, pageCount)) * 640 + qsizetype(qMax(0, popupCount)) * 256);

    for (const QString& l : RtfHeader())
        out.line(l);
    for (int k = 0; k < pageCount; ++k) {
        const BlockSpan s = walk.topic(k);
        if (!s.found())
            break;
        writeTopic(out, scratchLines, s, k, sel);
    }
    out.line(u"\\par }");
    EcritPopUp(out, scratchLines, walk, popupCount);
    return out.take();
}

QByteArray RtfBytes(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body)
{
    return cp1252::encode(RtfText(documentLines, pageCount, popupCount, title, body));
}

bool ExportRtf(const QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& rtfPath, QString* error)
{
    return textfile::writeBytes(rtfPath, RtfBytes(documentLines, pageCount, popupCount, title, body), error);
}

} // namespace build
