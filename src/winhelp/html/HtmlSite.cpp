#include "winhelp/html/HtmlSite.h"

#include "winhelp/html/HtmlIndexes.h"
#include "winhelp/html/HtmlPictures.h"
#include "winhelp/html/HtmlText.h"
#include "winhelp/html/HtmlTopic.h"
#include "winhelp/model/BrowseSequence.h"
#include "winhelp/model/Diagnostics.h"

#include <QFile>
#include <future>

// Resources of a static library are registered by hand, outside any namespace.
static void initHtmlAssets()
{
    Q_INIT_RESOURCE(html_assets);
}

namespace hlp::html {

QHash<QByteArray, QString> preferredPages(const HtmlOptions& options)
{
    QHash<QByteArray, QString> out;
    for (const ContentsEntry& e : options.contents)
        if (!e.page.isEmpty())
            out.insert(e.context.toLower(), e.page);
    return out;
}

namespace {

QByteArray colour(std::uint32_t bgr)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return QByteArray(buf);
}

class SiteBuilder {
public:
    SiteBuilder(const ReadHelp& help, const HtmlOptions& options);
    bool build(const SiteSink& sink);

private:
    void pageStart(QByteArray& out, const QByteArray& title, const QByteArray& page, const char* extraScript = nullptr);
    void pageEnd(QByteArray& out);
    void browseButtons(QByteArray& out, int topic);
    QByteArray topicPage(int topic);
    QByteArray keywordPage(const QByteArray& list);
    QByteArray searchPage();
    QByteArray styleSheet();
    QByteArray contextMap() const;

    const ReadHelp& m_help;
    const HelpDocument& m_doc;
    HtmlOptions m_options;
    TextCodec m_codec;
    SiteNames m_names;
    FormatClasses m_formats;
    std::vector<PictureOut> m_pictures; // by Item::picture
    std::vector<BrowseNeighbours> m_browse;
    bool m_browseButtons = false;
    QByteArray m_lang;
    QByteArray m_french; // lang="fr" on the program's own words when the help is in another language
    QByteArray m_helpTitle; // HTML-escaped
    RenderContext m_cx;     // shared by all pages: formats and warnings are the site's
};

SiteBuilder::SiteBuilder(const ReadHelp& help, const HtmlOptions& options)
    : m_help(help), m_doc(help.document), m_options(options), m_codec(help.diagnostics.codePage()),
      m_names(help.document, help.contentsTopic, help.aliases, preferredPages(options)), m_formats(help.document), m_cx{m_doc, m_names, m_codec, m_formats, m_pictures, m_browse, help.diagnostics, {}, {}}
{
    QString lang = options.language;
    if (lang.isEmpty() && help.project.hasLcid)
        lang = languageTag(help.project.lcid);
    // Text in another code page than Western is in its usual language (a Russian help file that
    // states no language is Russian).
    if (lang.isEmpty() && help.diagnostics.codePage().usualLanguage())
        lang = languageTag(help.diagnostics.codePage().usualLanguage());
    // Our own projects are French (their topic file says \lang1036), and so is a project that says nothing.
    m_lang = (lang.isEmpty() ? QStringLiteral("fr") : lang).toUtf8();
    if (m_lang != "fr")
        m_french = " lang=\"fr\"";
    if (help.project.title.isEmpty())
        m_helpTitle = "Aide";
    else
        m_codec.appendHtml(m_helpTitle, help.project.title);
    for (const QByteArray& m : help.project.configMacros)
        m_browseButtons = m_browseButtons || m.trimmed().toLower().startsWith("browsebuttons");
    m_browse = browseSequences(m_doc);
    m_names.addMap(help.project.map);
}

void SiteBuilder::pageStart(QByteArray& out, const QByteArray& title, const QByteArray& page, const char* extraScript)
{
    out += "<!DOCTYPE html>\n<html lang=\"" + m_lang
        + "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += title;
    if (title != m_helpTitle)
        out += " \xE2\x80\x93 " + m_helpTitle;
    out += "</title>\n<link rel=\"stylesheet\" href=\"aide.css\">\n<script src=\"aide.js\" defer></script>\n"
           "<script src=\"sommaire.js\" defer></script>\n";
    if (extraScript)
        out += "<script src=\"" + QByteArray(extraScript) + "\" defer></script>\n";
    out += "</head>\n<body data-page=\"" + page + "\">\n<a class=\"saut\" href=\"#texte\"" + m_french + ">Aller au texte</a>\n"
           "<header class=\"bandeau\">\n<a class=\"nom\" href=\"index.html\">" + m_helpTitle + "</a>\n"
           "<nav class=\"outils\" aria-label=\"Outils de l'aide\"" + m_french + ">\n<a href=\"index.html\">Sommaire</a>\n"
           "<a href=\"motscles.html\">Index</a>\n";
    // Without its search page (a .chm, whose viewer searches itself) a page has no search form.
    if (m_options.search)
        out += "<form class=\"chercher\" action=\"recherche.html\" method=\"get\" role=\"search\">"
               "<input type=\"search\" name=\"q\" aria-label=\"Rechercher dans l'aide\" placeholder=\"Rechercher\">"
               "<button type=\"submit\">Rechercher</button></form>\n";
    out += "</nav>\n</header>\n<div class=\"cadre\">\n"
           "<nav class=\"sommaire\" id=\"sommaire\" aria-label=\"Sommaire\">"
           "<button type=\"button\" class=\"plier-sommaire\" aria-expanded=\"false\" aria-controls=\"arbre\"" + m_french + ">Sommaire</button>"
           "<div class=\"arbre\" id=\"arbre\"></div></nav>\n<main id=\"texte\" class=\"texte\" tabindex=\"-1\">\n";
}

void SiteBuilder::pageEnd(QByteArray& out)
{
    out += "</main>\n</div>\n</body>\n</html>\n";
}

void SiteBuilder::browseButtons(QByteArray& out, int t)
{
    const BrowseNeighbours& b = m_browse[static_cast<size_t>(t)];
    if (!m_browseButtons || !m_doc.topics[static_cast<size_t>(t)].hasBrowse)
        return;
    out += "<nav class=\"parcours\" aria-label=\"S\xC3\xA9quence de lecture\"" + m_french + ">";
    const auto button = [&](int target, const char* rel, const char* label) {
        if (target >= 0)
            out += "<a class=\"bouton\" rel=\"" + QByteArray(rel) + "\" href=\"" + m_names.pageBytes(target) + ".html\">" + label + "</a>";
        else
            out += "<span class=\"bouton\" aria-disabled=\"true\">" + QByteArray(label) + "</span>";
    };
    button(b.previous, "prev", "\xC2\xAB Pr\xC3\xA9" "c\xC3\xA9" "dent");
    button(b.next, "next", "Suivant \xC2\xBB");
    out += "</nav>\n";
}

QByteArray SiteBuilder::topicPage(int t)
{
    const Topic& topic = m_doc.topics[static_cast<size_t>(t)];
    QByteArray title;
    m_codec.appendHtml(title, topicLabel(topic));
    QByteArray out;
    out.reserve(16384);
    pageStart(out, title, m_names.pageBytes(t));
    browseButtons(out, t);
    TopicWriter(m_cx).write(out, t);
    pageEnd(out);
    return out;
}

QByteArray SiteBuilder::keywordPage(const QByteArray& list)
{
    QByteArray out;
    pageStart(out, "Index", "motscles");
    out += "<div" + m_french + "><h1 class=\"titre-page\">Index</h1>\n<p class=\"filtre\"><label for=\"filtre\">Mot-cl\xC3\xA9 :</label> "
           "<input type=\"search\" id=\"filtre\" autocomplete=\"off\" aria-describedby=\"compte\"></p>\n"
           "<p id=\"compte\" class=\"compte\" aria-live=\"polite\"></p>\n";
    out += "</div>\n";
    out += list.contains("<li") ? list : "<p" + m_french + ">Cette aide n'a pas de mots-cl\xC3\xA9s.</p>\n";
    pageEnd(out);
    return out;
}

QByteArray SiteBuilder::searchPage()
{
    QByteArray out;
    pageStart(out, "Rechercher", "recherche", "recherche.js");
    out += "<div" + m_french + "><h1 class=\"titre-page\">Rechercher</h1>\n<form class=\"recherche\" action=\"recherche.html\" method=\"get\" role=\"search\">"
           "<label for=\"q\">Mots \xC3\xA0 chercher :</label> <input type=\"search\" id=\"q\" name=\"q\" autocomplete=\"off\">"
           " <button type=\"submit\">Rechercher</button></form>\n"
           "<p id=\"etat\" class=\"compte\" aria-live=\"polite\"><noscript>La recherche demande JavaScript.</noscript></p>\n"
           "</div>\n<ol id=\"resultats\" class=\"resultats\"></ol>\n";
    pageEnd(out);
    return out;
}

QByteArray SiteBuilder::styleSheet()
{
    QByteArray css = siteAsset(QStringLiteral("aide.css"));
    css += "\n/* Formats of this help */\n" + m_formats.css(m_doc.faces);
    for (const WindowDef& w : m_help.project.windows) {
        if (w.name.toLower() != "main")
            continue;
        if (w.hasColour)
            css += ".corps{background:" + colour(w.colour) + "}\n";
        if (w.hasNonScrollColour)
            css += ".fixe{background:" + colour(w.nonScrollColour) + "}\n";
    }
    return css;
}

QByteArray SiteBuilder::contextMap() const
{
    QByteArray out = "{\n\"generateur\": \"Tyx Plumet\",\n\"sommaire\": \"index.html\",\n\"contextes\": {";
    bool first = true;
    for (size_t t = 0; t < m_doc.topics.size(); ++t)
        for (const QByteArray& c : m_doc.topics[t].contexts) {
            if (m_names.topic(c) != static_cast<int>(t))
                continue;
            out += first ? "\n" : ",\n";
            first = false;
            appendJson(out, m_codec.decode(c));
            out += ": ";
            appendJson(out, m_names.page(static_cast<int>(t)) + QStringLiteral(".html"));
        }
    out += "\n},\n\"numeros\": {";
    first = true;
    QSet<std::uint32_t> seen;
    for (const MapEntry& e : m_help.project.map) {
        const int t = m_names.topic(e.context);
        if (t < 0 || seen.contains(e.number))
            continue;
        seen.insert(e.number);
        out += first ? "\n\"" : ",\n\"";
        first = false;
        out += QByteArray::number(e.number) + "\": ";
        appendJson(out, m_names.page(t) + QStringLiteral(".html"));
    }
    out += "\n}\n}\n";
    return out;
}

bool SiteBuilder::build(const SiteSink& sink)
{
    if (!convertPictures(m_doc, m_names, sink, m_help.diagnostics, m_pictures))
        return false;
    std::vector<bool> popupOnly = popupOnlyTopics(m_doc, m_names, m_help.contentsTopic);
    // A topic the author put in the contents is a page, whatever opens it.
    for (const ContentsEntry& e : m_options.contents)
        if (const int t = e.context.isEmpty() ? -1 : m_names.topic(e.context); t >= 0)
            popupOnly[static_cast<size_t>(t)] = false;
    const std::vector<TreeEntry> tree = contentsTree(m_doc, m_names, m_help.contentsTopic, popupOnly, m_options.contents);

    // The indexes only read the document: they are made beside the pages.
    struct Indexes {
        QByteArray keywords, contents, search, contexts;
    };
    std::future<Indexes> indexes = std::async(std::launch::async, [&] {
        return Indexes{keywordList(m_doc, m_names, m_codec), contentsData(m_doc, m_names, m_codec, tree),
            m_options.search ? searchData(m_doc, m_codec, tree) : QByteArray(), contextMap()};
    });
    for (size_t t = 0; t < m_doc.topics.size(); ++t)
        if (!sink(m_names.page(static_cast<int>(t)) + QStringLiteral(".html"), topicPage(static_cast<int>(t))))
            return false;
    const Indexes made = indexes.get();
    return sink(QStringLiteral("motscles.html"), keywordPage(made.keywords))
        && (!m_options.search || sink(QStringLiteral("recherche.html"), searchPage()))
        && sink(QStringLiteral("sommaire.js"), made.contents)
        && (!m_options.search || sink(QStringLiteral("recherche.js"), made.search))
        && sink(QStringLiteral("aide.js"), siteAsset(QStringLiteral("aide.js")))
        && sink(QStringLiteral("aide.css"), styleSheet()) // after the pages: it holds their formats
        && sink(QStringLiteral("contextes.json"), made.contexts);
}

} // namespace

QString languageTag(std::uint16_t lcid)
{
    static const QHash<int, const char*> tags = {{0x01, "ar"}, {0x02, "bg"}, {0x03, "ca"}, {0x04, "zh"}, {0x05, "cs"},
        {0x06, "da"}, {0x07, "de"}, {0x08, "el"}, {0x09, "en"}, {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"}, {0x0D, "he"},
        {0x0E, "hu"}, {0x0F, "is"}, {0x10, "it"}, {0x11, "ja"}, {0x12, "ko"}, {0x13, "nl"}, {0x14, "no"}, {0x15, "pl"},
        {0x16, "pt"}, {0x18, "ro"}, {0x19, "ru"}, {0x1A, "hr"}, {0x1B, "sk"}, {0x1D, "sv"}, {0x1E, "th"}, {0x1F, "tr"},
        {0x21, "id"}, {0x22, "uk"}, {0x24, "sl"}, {0x25, "et"}, {0x26, "lv"}, {0x27, "lt"}, {0x2D, "eu"}};
    return QString::fromLatin1(tags.value(lcid & 0x3FF, ""));
}

QByteArray siteAsset(const QString& name)
{
    initHtmlAssets();
    QFile f(QStringLiteral(":/tyx/html/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool makeSite(const ReadHelp& help, const HtmlOptions& options, const SiteSink& sink)
{
    return SiteBuilder(help, options).build(sink);
}

std::vector<SiteFile> makeSite(const ReadHelp& help, const HtmlOptions& options)
{
    std::vector<SiteFile> files;
    makeSite(help, options, [&files](const QString& name, const QByteArray& bytes) {
        files.push_back({name, bytes});
        return true;
    });
    return files;
}

} // namespace hlp::html
