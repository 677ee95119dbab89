#pragma once
// The help model drawn as a Qt rich-text document, as a help viewer shows a topic: fonts, sizes,
// colours, bold, italic and underlines, alignment, indents, tabs, boxed paragraphs, tables with
// their column widths, pictures (metafiles drawn), and hot spots as anchors whose href says where
// they lead (linkHref). The non-scrolling region of a topic goes into a document of its own.
//
//     hlp::HelpRenderer renderer(help.document, help.project);
//     renderer.render(topic, regionDocument, textDocument);
#include "winhelp/format/CodePage.h"
#include "winhelp/model/HelpModel.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <vector>

class QTextDocument;
class QTextFormat;

namespace hlp {

// Where a hot spot of the drawn text leads.
struct LinkRef {
    LinkKind kind = LinkKind::Jump;
    QByteArray target; // context string, or the macros (';' between them)
    QByteArray window; // secondary window, if any
    QByteArray file;   // other help file, if any
    bool operator==(const LinkRef&) const = default;
};
// The href of an anchor for `link`, and back; parseLinkHref is false for any other href.
QString linkHref(const LinkRef& link);
bool parseLinkHref(const QString& href, LinkRef& link);

// The hot spots of a picture (.shg), kept in the picture's format: rectangles in the picture's
// pixels and where each leads.
struct PictureLink {
    QRect rect;
    LinkRef link;
};
QList<PictureLink> pictureLinks(const QTextFormat& format);

class HelpRenderer {
public:
    // Keeps references to both, which must outlive it unchanged.
    HelpRenderer(const HelpDocument& document, const HelpProject& project);
    ~HelpRenderer();

    // Topic `topic`: its non-scrolling region (the paragraphs kept with the next at its start) into
    // `region`, the rest into `text`. Both are cleared first; `region` stays empty when the topic
    // has no such region.
    void render(int topic, QTextDocument& region, QTextDocument& text);
    // The whole topic in one document (a popup, a printed topic).
    void renderWhole(int topic, QTextDocument& out);
    // Appends the whole topic at the end of `out`, on a new page when `newPage` (printing several).
    void append(int topic, QTextDocument& out, bool newPage);

    const CodePage& codePage() const { return m_codePage; }
    // The picture as it is drawn; null when it cannot be shown (its name stands in its place).
    const QImage& image(int picture);

    // Hot spots are drawn in this colour (green, as the viewers of the format do).
    QColor linkColour = QColor(0, 128, 0);
    // A twip on the screen: 96 dots an inch.
    static constexpr double PixelsPerTwip = 96.0 / 1440.0;

private:
    class Draw;
    void prepare(QTextDocument& doc) const;

    const HelpDocument& m_doc;
    const HelpProject& m_project;
    CodePage m_codePage;
    std::vector<QImage> m_images;
    std::vector<bool> m_decoded;
};

} // namespace hlp
