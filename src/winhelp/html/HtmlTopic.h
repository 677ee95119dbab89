#pragma once
// One topic's text as HTML: paragraphs with their formatting, the non-scrolling region, jumps,
// popups (shown in place with the popover attribute), macro hot spots and pictures.
#include "winhelp/html/HtmlFormats.h"
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlPictures.h"
#include "winhelp/html/HtmlText.h"
#include "winhelp/model/BrowseSequence.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace hlp::html {

struct RenderContext {
    const HelpDocument& document;
    const SiteNames& names;
    const TextCodec& codec;
    FormatClasses& formats;
    const std::vector<PictureOut>& pictures; // by Item::picture
    const std::vector<BrowseNeighbours>& browse; // by topic
    Diagnostics& diagnostics;
    QSet<QByteArray> warned; // what was already reported once
    std::vector<QByteArray> spans; // "<span class=\"cN\">" by class number N, made once
};

class TopicWriter {
public:
    explicit TopicWriter(RenderContext& context) : m_cx(context) {}

    // The topic's text inside the page's <main>: the non-scrolling region, the rest of the text,
    // then every popup the text opens.
    void write(QByteArray& out, int topic);

private:
    // Paragraphs begin .. end-1, the cells of tables as tables; `heading`: the first is the title.
    void paragraphs(QByteArray& out, const Topic& topic, size_t begin, size_t end, bool heading);
    void paragraph(QByteArray& out, const Topic& topic, const Paragraph& p, bool heading);
    void hotspot(QByteArray& out, const Topic& topic, const Item& it);
    void picture(QByteArray& out, const Topic& topic, const Item& it);
    void imageMap(QByteArray& out, const Topic& topic, int picture);
    void popup(QByteArray& out, int topic);
    // Where a link leads: a topic (with `popup`), or an href of the site; false when the site has
    // no equivalent (reported).
    bool linkTarget(const Topic& topic, LinkKind kind, const QByteArray& target, const LinkTarget& where, int& toTopic,
        bool& popup, QByteArray& href);
    void openPopup(int topic);
    QByteArray windowTarget(const QByteArray& window) const;
    void warnOnce(const QByteArray& key, const QString& message);
    QString name(const Topic& topic) const { return topic.displayName(m_cx.diagnostics.codePage()); }

    RenderContext& m_cx;
    std::vector<int> m_popups; // popups this page opens, in the order they are met
    QSet<int> m_popupSet;
    QSet<int> m_maps; // pictures whose image map this page has
    const char* m_closeHotspot = nullptr;
    ParaFormat m_lastFormat;
    QByteArray m_lastStyle;
};

// The hot spot a macro makes in HTML, if any: JumpId/JI, PopupId/PI, JumpContext/JC and
// PopupContext/PC (by [MAP] number), JumpContents, Contents, Search, JumpKeyword/JK and KLink/KL
// (the keyword index, filtered), Next and Prev (the browse sequence of the topic, `browse`) and
// Back; of several macros, the only one that leads somewhere. Topic -1 and an empty href: no
// equivalent.
struct MacroLink {
    bool popup = false;
    int topic = -1;
    QByteArray href;   // for the contents, search and keyword pages
    bool back = false; // Back(): the script goes back in the history
    QByteArray missing; // a jump or popup to a context string or number the project does not define
    bool understood = false; // known, and doing nothing here (Next at the end of a sequence)
};
MacroLink macroLink(const QByteArray& macro, const SiteNames& names, const BrowseNeighbours& browse = {},
    const TextCodec* codec = nullptr);

} // namespace hlp::html
