#include "winhelp/render/HelpRenderer.h"

#include "winhelp/render/MetafilePlayer.h"
#include "winhelp/render/PictureDecode.h"

#include <QFileInfo>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <cctype>

namespace hlp {

namespace {

constexpr double px(int twips)
{
    return twips * HelpRenderer::PixelsPerTwip;
}

QFont::StyleHint styleHint(std::uint8_t family)
{
    switch (family) {
    case 1:
        return QFont::TypeWriter;
    case 2:
        return QFont::Serif;
    case 4:
        return QFont::Cursive;
    case 5:
        return QFont::Decorative;
    default:
        return QFont::SansSerif;
    }
}

quint64 formatKey(const CharFormat& f)
{
    return quint64(std::uint16_t(f.face)) | quint64(std::uint16_t(f.halfPoints)) << 16 | quint64(f.attrs) << 32
        | quint64(f.red) << 40 | quint64(f.green) << 48 | quint64(f.blue) << 56;
}

const char* kindWord(LinkKind kind)
{
    return kind == LinkKind::Popup ? "popup" : kind == LinkKind::Macro ? "macro" : "jump";
}

} // namespace

QString linkHref(const LinkRef& link)
{
    // Hexadecimal parts: no URL handling on the way can change them.
    return QLatin1String(kindWord(link.kind)) + QLatin1Char(':') + QString::fromLatin1(link.target.toHex()) + QLatin1Char(':')
        + QString::fromLatin1(link.window.toHex()) + QLatin1Char(':') + QString::fromLatin1(link.file.toHex());
}

bool parseLinkHref(const QString& href, LinkRef& link)
{
    const QStringList parts = href.split(QLatin1Char(':'));
    if (parts.size() != 4)
        return false;
    LinkRef out;
    if (parts[0] == u"jump")
        out.kind = LinkKind::Jump;
    else if (parts[0] == u"popup")
        out.kind = LinkKind::Popup;
    else if (parts[0] == u"macro")
        out.kind = LinkKind::Macro;
    else
        return false;
    QByteArray* fields[] = {&out.target, &out.window, &out.file};
    for (int i = 0; i < 3; ++i) {
        const QByteArray hex = parts[i + 1].toLatin1();
        if (hex.size() % 2 != 0)
            return false;
        for (const char c : hex)
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
        *fields[i] = QByteArray::fromHex(hex);
    }
    link = out;
    return true;
}

namespace {

constexpr int PictureLinksProperty = QTextFormat::UserProperty + 1;

} // namespace

QList<PictureLink> pictureLinks(const QTextFormat& format)
{
    QList<PictureLink> out;
    for (const QString& entry : format.property(PictureLinksProperty).toStringList()) {
        const QStringList parts = entry.split(QLatin1Char(' '));
        PictureLink l;
        if (parts.size() != 5 || !parseLinkHref(parts[4], l.link))
            continue;
        l.rect = QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
        out << l;
    }
    return out;
}

// Draws paragraphs at the end of one document.
class HelpRenderer::Draw {
public:
    Draw(HelpRenderer& r, QTextDocument& doc, const Topic& topic)
        : m_r(r), m_doc(doc), m_topic(topic), m_cursor(&doc)
    {
        m_cursor.movePosition(QTextCursor::End);
        m_fresh = doc.isEmpty();
    }

    void pageBreakFirst() { m_pageBreak = true; }

    void paragraphs(size_t begin, size_t end)
    {
        const auto& ps = m_topic.paragraphs;
        for (size_t i = begin; i < end;) {
            if (inTable(i)) {
                i = table(i, end);
            } else if (ps[i].format.border) {
                i = box(i, end);
            } else {
                paragraph(ps[i], m_topic.paragraphs[i].format);
                ++i;
            }
        }
    }

private:
    bool inTable(size_t i) const
    {
        const int row = m_topic.paragraphs[i].row;
        return row >= 0 && static_cast<size_t>(row) < m_topic.rows.size();
    }

    QTextBlockFormat blockFormat(const ParaFormat& f) const
    {
        QTextBlockFormat b;
        b.setTopMargin(px(f.spaceBefore));
        b.setBottomMargin(px(f.spaceAfter));
        b.setLeftMargin(px(qMax(0, f.leftIndent)));
        b.setRightMargin(px(qMax(0, f.rightIndent)));
        b.setTextIndent(px(f.firstIndent));
        b.setAlignment(f.align == Align::Centre ? Qt::AlignHCenter : f.align == Align::Right ? Qt::AlignRight : Qt::AlignLeft);
        if (f.lineSpacing > 0)
            b.setLineHeight(px(f.lineSpacing), QTextBlockFormat::MinimumHeight);
        else if (f.lineSpacing < 0)
            b.setLineHeight(px(-f.lineSpacing), QTextBlockFormat::FixedHeight);
        if (f.noWrap)
            b.setNonBreakableLines(true);
        if (!f.tabs.empty()) {
            QList<QTextOption::Tab> tabs;
            for (const TabStop& t : f.tabs)
                tabs << QTextOption::Tab(px(t.position),
                    t.kind == 1 ? QTextOption::RightTab : t.kind == 2 ? QTextOption::CenterTab : QTextOption::LeftTab);
            b.setTabPositions(tabs);
        }
        if (m_pageBreak)
            b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        return b;
    }

    const QTextCharFormat& charFormat(const CharFormat& f)
    {
        const quint64 key = formatKey(f);
        auto it = m_formats.find(key);
        if (it != m_formats.end())
            return *it;
        QTextCharFormat c;
        if (f.face >= 0 && static_cast<size_t>(f.face) < m_r.m_doc.faces.size()) {
            const FontFace& face = m_r.m_doc.faces[static_cast<size_t>(f.face)];
            // The signs, once Unicode, are drawn by the text's font.
            if (wmf::signFontOf(face.name) == wmf::SignFont::None) {
                c.setFontFamilies({m_r.m_codePage.decode(face.name)});
                c.setFontStyleHint(styleHint(face.family));
            }
        }
        c.setFontPointSize(qMax(1, f.halfPoints) / 2.0);
        c.setFontWeight(f.attrs & AttrBold ? QFont::Bold : QFont::Normal);
        c.setFontItalic(f.attrs & AttrItalic);
        c.setFontStrikeOut(f.attrs & AttrStrike);
        if (f.attrs & (AttrUnderline | AttrDoubleUnderline))
            c.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        if (f.attrs & AttrSmallCaps)
            c.setFontCapitalization(QFont::SmallCaps);
        c.setForeground(QColor(f.red, f.green, f.blue));
        return *m_formats.insert(key, c);
    }

    QTextCharFormat linkFormat(const CharFormat& f)
    {
        QTextCharFormat c = charFormat(f);
        c.setAnchor(true);
        c.setAnchorHref(m_href);
        if (!m_plainLink) {
            c.setForeground(m_r.linkColour);
            c.setUnderlineStyle(m_linkKind == LinkKind::Popup ? QTextCharFormat::DotLine : QTextCharFormat::SingleUnderline);
        }
        return c;
    }

    QString text(const QByteArray& bytes, int face) const
    {
        const wmf::SignFont font = face >= 0 && static_cast<size_t>(face) < m_r.m_doc.faces.size()
            ? wmf::signFontOf(m_r.m_doc.faces[static_cast<size_t>(face)].name)
            : wmf::SignFont::None;
        if (font == wmf::SignFont::None)
            return m_r.m_codePage.decode(bytes);
        QString out;
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            // A Wingdings sign without a letter of its own shows as a bullet.
            const char16_t sign = font == wmf::SignFont::Symbol ? wmf::symbolCharacter(b).unicode() : wmf::wingdingsCharacter(b);
            out += QChar(sign ? sign : char16_t(0x2022));
        }
        return out;
    }

    QTextCharFormat textFormat(const CharFormat& f) { return m_href.isEmpty() ? charFormat(f) : linkFormat(f); }

    void startBlock(const ParaFormat& format, const CharFormat& mark)
    {
        const QTextBlockFormat b = blockFormat(format);
        if (m_fresh) {
            // In a table cell the block's character format also holds the cell's borders: merged.
            m_cursor.setBlockFormat(b);
            m_cursor.mergeBlockCharFormat(charFormat(mark));
            m_fresh = false;
        } else {
            m_cursor.insertBlock(b, charFormat(mark));
        }
        m_pageBreak = false;
    }

    void paragraph(const Paragraph& p, const ParaFormat& format)
    {
        startBlock(format, p.markFormat);
        QString run;
        CharFormat runFormat;
        const auto flush = [&] {
            if (!run.isEmpty())
                m_cursor.insertText(run, textFormat(runFormat));
            run.clear();
        };
        for (const Item& it : p.items) {
            switch (it.kind) {
            case ItemKind::Text:
                if (!run.isEmpty() && !(it.format == runFormat))
                    flush();
                runFormat = it.format;
                run += text(it.text, it.format.face);
                break;
            case ItemKind::LineBreak:
                flush();
                m_cursor.insertText(QString(QChar::LineSeparator), textFormat(it.format));
                break;
            case ItemKind::Tab:
                flush();
                m_cursor.insertText(QStringLiteral("\t"), textFormat(it.format));
                break;
            case ItemKind::NbSpace:
                if (!run.isEmpty() && !(it.format == runFormat))
                    flush();
                runFormat = it.format;
                run += QChar(QChar::Nbsp);
                break;
            case ItemKind::Picture:
                flush();
                picture(it);
                break;
            case ItemKind::HotspotBegin: {
                flush();
                const LinkTarget& where = m_topic.linkTarget(it);
                m_linkKind = it.link;
                m_plainLink = it.plainLink;
                m_href = linkHref(LinkRef{it.link, it.text, where.window, where.file});
                break;
            }
            case ItemKind::HotspotEnd:
                flush();
                m_href.clear();
                break;
            }
        }
        flush();
        m_href.clear(); // a hot spot ends with its paragraph
    }

    void picture(const Item& it)
    {
        if (it.picture < 0 || static_cast<size_t>(it.picture) >= m_r.m_doc.pictures.size())
            return;
        const Picture& pic = m_r.m_doc.pictures[static_cast<size_t>(it.picture)];
        const QImage& image = m_r.image(it.picture);
        if (image.isNull()) {
            // What cannot be drawn is named in its place, as the help site does.
            QString name = m_r.m_codePage.decode(pic.name).replace(QLatin1Char('\\'), QLatin1Char('/'));
            name = name.isEmpty() ? QStringLiteral("image %1").arg(it.picture + 1) : QFileInfo(name).completeBaseName();
            QTextCharFormat f = textFormat(it.format);
            f.setForeground(QColor(128, 128, 128));
            m_cursor.insertText(QStringLiteral("[%1]").arg(name), f);
            return;
        }
        const QString name = QStringLiteral("image:%1").arg(it.picture);
        if (!m_doc.resource(QTextDocument::ImageResource, QUrl(name)).isValid())
            m_doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        QTextImageFormat f;
        f.merge(textFormat(it.format));
        f.setName(name);
        f.setWidth(image.width());
        f.setHeight(image.height());
        if (!pic.hotspots.empty()) {
            QStringList links;
            for (const PictureHotspot& h : pic.hotspots)
                links << QStringLiteral("%1 %2 %3 %4 %5").arg(h.x).arg(h.y).arg(h.width).arg(h.height)
                             .arg(linkHref(LinkRef{h.link, h.target, h.window, h.file}));
            f.setProperty(PictureLinksProperty, links);
        }
        if (it.placement == Placement::Character)
            m_cursor.insertImage(f);
        else
            m_cursor.insertImage(f, it.placement == Placement::Left ? QTextFrameFormat::FloatLeft : QTextFrameFormat::FloatRight);
    }

    // Paragraphs with the same border, one after the other, share one box.
    size_t box(size_t begin, size_t end)
    {
        const auto& ps = m_topic.paragraphs;
        const ParaFormat& first = ps[begin].format;
        size_t last = begin + 1;
        while (last < end && !inTable(last) && ps[last].format.border == first.border
               && ps[last].format.leftIndent == first.leftIndent && ps[last].format.rightIndent == first.rightIndent)
            ++last;
        QTextTableFormat tf;
        tf.setBorderCollapse(true);
        tf.setBorder(0);
        tf.setCellSpacing(0);
        tf.setCellPadding(0);
        tf.setLeftMargin(px(qMax(0, first.leftIndent)));
        tf.setRightMargin(px(qMax(0, first.rightIndent)));
        tf.setTopMargin(px(first.spaceBefore));
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        if (m_pageBreak)
            tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextTable* t = insertTable(1, 1, tf);
        QTextTableCellFormat cf;
        borders(cf, first.border);
        cf.setPadding(4);
        t->cellAt(0, 0).setFormat(cf);
        m_cursor = t->cellAt(0, 0).firstCursorPosition();
        m_fresh = true;
        for (size_t i = begin; i < last; ++i) {
            ParaFormat inner = ps[i].format;
            inner.leftIndent = inner.rightIndent = 0;
            if (i == begin)
                inner.spaceBefore = 0;
            paragraph(ps[i], inner);
        }
        leaveTable();
        return last;
    }

    static void borders(QTextTableCellFormat& cf, std::uint8_t bits)
    {
        const bool all = bits & BorderBox;
        const qreal width = bits & BorderThick ? 2 : 1;
        const QBrush black(Qt::black);
        const QTextFrameFormat::BorderStyle style = bits & BorderDouble ? QTextFrameFormat::BorderStyle_Double
                                                                          : QTextFrameFormat::BorderStyle_Solid;
        const qreal w = bits & BorderDouble ? 3 : width;
        if (all || (bits & BorderTop)) {
            cf.setTopBorder(w);
            cf.setTopBorderStyle(style);
            cf.setTopBorderBrush(black);
        }
        if (all || (bits & BorderBottom)) {
            cf.setBottomBorder(w);
            cf.setBottomBorderStyle(style);
            cf.setBottomBorderBrush(black);
        }
        if (all || (bits & BorderLeft)) {
            cf.setLeftBorder(w);
            cf.setLeftBorderStyle(style);
            cf.setLeftBorderBrush(black);
        }
        if (all || (bits & BorderRight)) {
            cf.setRightBorder(w);
            cf.setRightBorderStyle(style);
            cf.setRightBorderBrush(black);
        }
    }

    QTextTable* insertTable(int rows, int columns, const QTextTableFormat& format)
    {
        // A table cannot take the place of the empty block a document starts with: that block
        // stays above it, so it is given no height.
        if (m_fresh && m_cursor.block().length() <= 1) {
            QTextBlockFormat none;
            none.setLineHeight(0, QTextBlockFormat::FixedHeight);
            m_cursor.setBlockFormat(none);
            QTextCharFormat tiny;
            tiny.setFontPointSize(1);
            m_cursor.setBlockCharFormat(tiny);
        }
        m_fresh = false;
        QTextTable* t = m_cursor.insertTable(rows, columns, format);
        m_pageBreak = false;
        return t;
    }

    void leaveTable()
    {
        m_cursor = QTextCursor(&m_doc);
        m_cursor.movePosition(QTextCursor::End);
        m_fresh = true; // the empty block after the table
    }

    // Rows that follow each other with the same cells make one table.
    size_t table(size_t begin, size_t end)
    {
        const auto& ps = m_topic.paragraphs;
        const TableRow& def = m_topic.rows[static_cast<size_t>(ps[begin].row)];
        const int columns = qMax(1, static_cast<int>(def.cells.size()));
        QTextTableFormat tf;
        tf.setBorderCollapse(true);
        tf.setBorder(0);
        tf.setCellSpacing(0);
        tf.setCellPadding(0);
        tf.setLeftMargin(px(qMax(0, def.left)));
        tf.setAlignment(Qt::AlignLeft);
        QList<QTextLength> widths;
        for (int c = 0; c < columns; ++c) {
            if (static_cast<size_t>(c) >= def.cells.size()) {
                widths << QTextLength();
                continue;
            }
            const int left = c > 0 ? def.cells[static_cast<size_t>(c) - 1].right : qMax(0, def.left);
            widths << QTextLength(QTextLength::FixedLength, px(qMax(1, def.cells[static_cast<size_t>(c)].right - left)));
        }
        tf.setColumnWidthConstraints(widths);
        if (m_pageBreak)
            tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextTable* t = insertTable(1, columns, tf);
        int tableRow = -1;
        size_t i = begin;
        while (i < end && inTable(i)) {
            const int row = ps[i].row;
            const TableRow& r = m_topic.rows[static_cast<size_t>(row)];
            if (!(r.cells == def.cells) || r.left != def.left)
                break;
            ++tableRow;
            if (tableRow > 0)
                t->appendRows(1);
            for (int c = 0; c < columns; ++c) {
                QTextTableCellFormat cf;
                cf.setLeftPadding(px(r.gap));
                cf.setRightPadding(px(r.gap));
                if (static_cast<size_t>(c) < r.cells.size())
                    borders(cf, r.cells[static_cast<size_t>(c)].border);
                t->cellAt(tableRow, c).setFormat(cf);
            }
            int cell = -1;
            for (; i < end && ps[i].row == row; ++i) {
                const int c = qBound(0, ps[i].cell, columns - 1);
                if (c != cell) {
                    cell = c;
                    m_cursor = t->cellAt(tableRow, c).firstCursorPosition();
                    m_fresh = true;
                }
                paragraph(ps[i], ps[i].format);
            }
        }
        leaveTable();
        return i;
    }

    HelpRenderer& m_r;
    QTextDocument& m_doc;
    const Topic& m_topic;
    QTextCursor m_cursor;
    bool m_fresh = false;
    bool m_pageBreak = false;
    QHash<quint64, QTextCharFormat> m_formats;
    QString m_href; // the hot spot being drawn, if any
    LinkKind m_linkKind = LinkKind::Jump;
    bool m_plainLink = false;
};

HelpRenderer::HelpRenderer(const HelpDocument& document, const HelpProject& project)
    : m_doc(document)
    , m_project(project)
    , m_codePage(CodePage::forCharset(project.textCharset))
    , m_images(document.pictures.size())
    , m_decoded(document.pictures.size(), false)
{
}

HelpRenderer::~HelpRenderer() = default;

const QImage& HelpRenderer::image(int picture)
{
    const size_t i = static_cast<size_t>(picture);
    if (!m_decoded[i]) {
        m_decoded[i] = true;
        m_images[i] = pictureImage(m_doc.pictures[i], m_codePage);
    }
    return m_images[i];
}

void HelpRenderer::prepare(QTextDocument& doc) const
{
    doc.clear();
    doc.setDocumentMargin(8);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
}

void HelpRenderer::render(int topic, QTextDocument& region, QTextDocument& text)
{
    prepare(region);
    prepare(text);
    if (topic < 0 || static_cast<size_t>(topic) >= m_doc.topics.size())
        return;
    const Topic& t = m_doc.topics[static_cast<size_t>(topic)];
    size_t fixed = 0;
    while (fixed < t.paragraphs.size() && t.paragraphs[fixed].format.keepWithNext && t.paragraphs[fixed].row < 0)
        ++fixed;
    if (fixed > 0)
        Draw(*this, region, t).paragraphs(0, fixed);
    Draw(*this, text, t).paragraphs(fixed, t.paragraphs.size());
}

void HelpRenderer::renderWhole(int topic, QTextDocument& out)
{
    prepare(out);
    append(topic, out, false);
}

void HelpRenderer::append(int topic, QTextDocument& out, bool newPage)
{
    if (topic < 0 || static_cast<size_t>(topic) >= m_doc.topics.size())
        return;
    const Topic& t = m_doc.topics[static_cast<size_t>(topic)];
    // Empty paragraphs at the end would only make a popup taller or a page longer.
    size_t end = t.paragraphs.size();
    while (end > 0 && t.paragraphs[end - 1].items.empty() && t.paragraphs[end - 1].row < 0)
        --end;
    Draw draw(*this, out, t);
    if (newPage)
        draw.pageBreakFirst();
    draw.paragraphs(0, end);
}

} // namespace hlp
