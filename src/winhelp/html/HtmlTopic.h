#pragma once
// One topic's text as HTML: paragraphs with their formatting, the non-scrolling region, jumps,
// popups (shown in place with the popover attribute), macro hot spots and pictures.
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlText.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace hlp::html {

// A picture as the site holds it.
struct PictureOut {
    QString file; // relative to the site, "images/....png"
    int width = 0, height = 0;
    QString alt;
};

// The character formats of the text as CSS classes: the most common format is the text's own
// (no class), every other one is a class holding only what differs from it.
class FormatClasses {
public:
    explicit FormatClasses(const HelpDocument& document);

    const CharFormat& base() const { return m_base; }
    // 0 for the base format, else the number of the class "cN".
    int classOf(const CharFormat& format);
    // The CSS of the base format (for the text) and of every class handed out so far.
    QByteArray css(const std::vector<FontFace>& faces) const;

private:
    CharFormat m_base;
    CharFormat m_last;
    int m_lastClass = 0;
    QHash<quint64, int> m_classes;
    std::vector<CharFormat> m_formats; // class N is m_formats[N - 1]
};

struct RenderContext {
    const HelpDocument& document;
    const SiteNames& names;
    const TextCodec& codec;
    FormatClasses& formats;
    const QHash<QByteArray, PictureOut>& pictures; // picture name as the text gives it, lower-cased
    Diagnostics& diagnostics;
    QSet<QByteArray> warned; // what was already reported once
};

class TopicWriter {
public:
    explicit TopicWriter(RenderContext& context) : m_cx(context) {}

    // The topic's text inside the page's <main>: the non-scrolling region, the rest of the text,
    // then every popup the text opens.
    void write(QByteArray& out, int topic);
    // The topic's text alone, without a heading or popups (search snippets, tests).
    void writeParagraphs(QByteArray& out, int topic);

private:
    void paragraph(QByteArray& out, const Topic& topic, const Paragraph& p, bool heading);
    void hotspot(QByteArray& out, const Topic& topic, const Item& it);
    void picture(QByteArray& out, const Topic& topic, const Item& it);
    void popup(QByteArray& out, int topic);
    void warnOnce(const QByteArray& key, const QString& message);

    RenderContext& m_cx;
    std::vector<int> m_popups; // popups this page opens, in the order they are met
    QSet<int> m_popupSet;
    const char* m_closeHotspot = nullptr;
    ParaFormat m_lastFormat;
    QByteArray m_lastStyle;
};

// The hot spot a macro makes in HTML, if any: JumpId/JI, PopupId/PI, JumpContents/JC, Contents,
// Search and JumpKeyword/JK. Topic -1 and an empty href: no equivalent.
struct MacroLink {
    bool popup = false;
    int topic = -1;
    QByteArray href; // for the contents, search and keyword pages
};
MacroLink macroLink(const QByteArray& macro, const SiteNames& names);

} // namespace hlp::html
