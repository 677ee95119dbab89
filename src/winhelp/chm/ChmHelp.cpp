#include "winhelp/chm/ChmHelp.h"

#include "platform/core/SafeFile.h"
#include "winhelp/chm/ChmContainer.h"
#include "winhelp/chm/ChmSitemap.h"
#include "winhelp/model/Diagnostics.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace hlp::chm {

namespace {

// #STRINGS: zero-terminated strings after a first zero byte, none across a 4 KB boundary
// (viewers read the file by blocks of 4 KB); offset 0 is the empty string.
class Strings {
public:
    std::uint32_t add(QByteArray s)
    {
        if (s.isEmpty())
            return 0;
        if (const auto it = m_seen.constFind(s); it != m_seen.cend())
            return *it;
        s.truncate(Block - 1);
        const qsizetype used = m_data.size() % Block;
        if (used + s.size() + 1 > Block)
            m_data.append(QByteArray(Block - used, '\0'));
        const auto at = static_cast<std::uint32_t>(m_data.size());
        m_data += s;
        m_data += '\0';
        m_seen.insert(s, at);
        return at;
    }
    const QByteArray& data() const { return m_data; }

private:
    static constexpr qsizetype Block = 0x1000;
    QByteArray m_data = QByteArray(1, '\0');
    QHash<QByteArray, std::uint32_t> m_seen;
};

} // namespace

std::uint32_t urlHash(const QByteArray& url)
{
    std::uint32_t hash = 0;
    for (const char c : url) {
        const int byte = static_cast<signed char>(c);
        const int value = c == '/' ? 0x2C : byte <= 'Z' ? byte - 0x30 : byte - 0x50;
        hash = hash * 43 + static_cast<std::uint32_t>(value);
    }
    return hash ? hash : 1;
}

namespace {

// #TOPICS, #URLTBL and #URLSTR: every page with its title and address. The viewer finds a page's
// topic by the hash of its address, looked up in #URLTBL: that table is sorted by it.
class TopicTables {
public:
    void add(Strings& strings, const QByteArray& title, const QByteArray& url)
    {
        m_pages.push_back({title.isEmpty() ? 0xFFFFFFFFu : strings.add(title), url});
    }

    QByteArray topics, urlTable, urlStrings;

    void finish()
    {
        // #URLSTR: a zero byte first (offset 0, no address), then each page's entry, none across a
        // 4 KB page of the file.
        urlStrings = QByteArray(1, '\0');
        std::vector<std::uint32_t> urlAt;
        for (const Page& page : m_pages) {
            const qsizetype size = 8 + page.url.size() + 1;
            if (size <= Block && urlStrings.size() / Block != (urlStrings.size() + size - 1) / Block)
                urlStrings.append(QByteArray(Block - urlStrings.size() % Block, '\0'));
            urlAt.push_back(static_cast<std::uint32_t>(urlStrings.size()));
            putDword(urlStrings, 0); // the address of a page outside the file: none
            putDword(urlStrings, 0); // its frame: none
            urlStrings += page.url;
            urlStrings += '\0';
        }
        // #URLTBL: entries of 12 bytes sorted by hash (then topic), 341 in every 4 KB page.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> order; // hash, topic
        for (size_t i = 0; i < m_pages.size(); ++i)
            order.emplace_back(urlHash(m_pages[i].url), static_cast<std::uint32_t>(i));
        std::sort(order.begin(), order.end());
        std::vector<std::uint32_t> tableAt(m_pages.size());
        for (const auto& [hash, topic] : order) {
            if (urlTable.size() % Block + 12 > Block)
                urlTable.append(QByteArray(Block - urlTable.size() % Block, '\0'));
            tableAt[topic] = static_cast<std::uint32_t>(urlTable.size());
            putDword(urlTable, hash);
            putDword(urlTable, topic);
            putDword(urlTable, urlAt[topic]);
        }
        // #TOPICS: 16 bytes a page, in page order; none is in a binary contents tree.
        for (size_t i = 0; i < m_pages.size(); ++i) {
            putDword(topics, 0);
            putDword(topics, m_pages[i].title);
            putDword(topics, tableAt[i]);
            putWord(topics, 2);
            putWord(topics, 0);
        }
    }

private:
    static constexpr qsizetype Block = 0x1000;
    struct Page {
        std::uint32_t title; // offset in #STRINGS, or -1
        QByteArray url;
    };
    std::vector<Page> m_pages;
};

void systemEntry(QByteArray& out, int code, const QByteArray& data)
{
    putWord(out, static_cast<std::uint32_t>(code));
    putWord(out, static_cast<std::uint32_t>(data.size()));
    out += data;
}
QByteArray zeroEnded(const QByteArray& s)
{
    return s + '\0';
}

// HHWIN_PROP_*, HHWIN_PARAM_* and HHWIN_BUTTON_* of the window type.
enum : std::uint32_t {
    PropOnTop = 1u << 1,
    PropTriPane = 1u << 5,
    PropAutoSync = 1u << 8,
    ParamProperties = 1u << 1,
    ParamRect = 1u << 4,
    ParamNavWidth = 1u << 5,
    ParamShowState = 1u << 6,
    ParamToolbar = 1u << 8,
    ParamCurrentTab = 1u << 13,
    Buttons = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 6) | (1u << 12) | (1u << 13),
};

// One window type, as HH_WINTYPE with its texts as offsets into #STRINGS.
QByteArray windowsFile(const ReadHelp& help, Strings& strings, const QByteArray& title)
{
    const WindowDef* main = nullptr;
    for (const WindowDef& w : help.project.windows)
        if (w.name.toLower() == "main")
            main = &w;
    std::uint32_t properties = PropTriPane | PropAutoSync;
    std::uint32_t valid = ParamProperties | ParamNavWidth | ParamToolbar | ParamCurrentTab;
    std::uint32_t left = 0, top = 0, right = 0, bottom = 0, show = 0;
    if (main && main->onTop)
        properties |= PropOnTop;
    if (main && main->hasPosition()) {
        // The help project places windows on a 1024 x 1024 grid of the screen; the viewer wants
        // pixels: those of a 1024 x 768 screen.
        left = static_cast<std::uint32_t>(main->x);
        top = static_cast<std::uint32_t>(main->y * 3 / 4);
        right = left + static_cast<std::uint32_t>(main->hasWidth ? main->width : 800);
        bottom = top + static_cast<std::uint32_t>((main->hasHeight ? main->height : 800) * 3 / 4);
        valid |= ParamRect;
    }
    if (main && main->maximize == 1) {
        show = 3; // SW_SHOWMAXIMIZED
        valid |= ParamShowState;
    }
    const QByteArray caption = main && !main->caption.isEmpty() ? main->caption : title;
    QByteArray w;
    putDword(w, 1);
    putDword(w, 0xC4);
    putDword(w, 0xC4);                      // cbStruct
    putDword(w, 0);                         // ANSI strings
    putDword(w, strings.add(DefaultWindow)); // pszType
    putDword(w, valid);
    putDword(w, properties);
    putDword(w, strings.add(caption));
    putDword(w, 0); // styles
    putDword(w, 0); // extended styles
    for (std::uint32_t v : {left, top, right, bottom})
        putDword(w, v);
    putDword(w, show);
    for (int i = 0; i < 6; ++i)
        putDword(w, 0); // window handles and information types
    putDword(w, 250); // navigation pane width
    for (int i = 0; i < 4; ++i)
        putDword(w, 0); // rcHTML
    putDword(w, strings.add(ContentsFile));
    putDword(w, strings.add(IndexFile));
    putDword(w, strings.add("index.html")); // pszFile
    putDword(w, strings.add("index.html")); // pszHome
    putDword(w, Buttons);
    putDword(w, 0); // navigation pane open
    putDword(w, 0); // first tab: the contents
    putDword(w, 0); // tabs at the top
    putDword(w, 0); // idNotify
    w.append(QByteArray(20, '\0')); // tab order
    putDword(w, 30); // history
    for (int i = 0; i < 4; ++i)
        putDword(w, 0); // jump buttons
    for (int i = 0; i < 4; ++i)
        putDword(w, 0); // minimum size
    putDword(w, 0); // cbInfoTypes
    putDword(w, 0); // custom tabs
    return w;
}

} // namespace

std::uint32_t helpLanguage(const ReadHelp& help)
{
    if (help.project.hasLcid && help.project.lcid)
        return help.project.lcid;
    const std::uint16_t usual = help.diagnostics.codePage().usualLanguage();
    return usual ? usual : 0x040C;
}

QByteArray makeChm(const ReadHelp& help, const html::HtmlOptions& options, const QString& baseName)
{
    const HelpDocument& doc = help.document;
    const CodePage& codePage = help.diagnostics.codePage();
    html::SiteNames names(doc, help.contentsTopic, help.aliases, html::preferredPages(options));
    names.addMap(help.project.map);
    const std::vector<bool> popupOnly = html::popupOnlyTopics(doc, names, help.contentsTopic);
    const std::vector<html::TreeEntry> tree = html::contentsTree(doc, names, help.contentsTopic, popupOnly, options.contents);
    const QByteArray title = help.project.title.isEmpty() ? QByteArray("Aide") : help.project.title;

    const std::uint32_t lcid = helpLanguage(help);
    ChmPacker packer(lcid);
    QHash<QString, int> pageTopic; // page file -> topic
    for (size_t t = 0; t < doc.topics.size(); ++t)
        pageTopic.insert(names.page(static_cast<int>(t)) + QStringLiteral(".html"), static_cast<int>(t));

    Strings strings;
    TopicTables tables;
    html::HtmlOptions siteOptions = options;
    siteOptions.search = false; // the viewer searches by itself
    html::makeSite(help, siteOptions, [&](const QString& name, const QByteArray& bytes) {
        if (name.endsWith(u".html")) {
            const int t = pageTopic.value(name, -1);
            tables.add(strings, t >= 0 ? topicTitle(doc.topics[static_cast<size_t>(t)]) : QByteArray("Index"), name.toUtf8());
        }
        packer.add('/' + name.toUtf8(), bytes, true);
        return true;
    });
    packer.add(QByteArray("/") + ContentsFile, contentsSitemap(doc, names, tree, codePage), true);
    packer.add(QByteArray("/") + IndexFile, indexSitemap(doc, names, popupOnly, codePage), true);

    // #IVB: every [MAP] number (first definition wins) with the page it opens.
    QByteArray ivb;
    QSet<std::uint32_t> numbers;
    for (const MapEntry& e : help.project.map) {
        const int t = names.topic(e.context);
        if (t < 0 || numbers.contains(e.number))
            continue;
        numbers.insert(e.number);
        putDword(ivb, e.number);
        putDword(ivb, strings.add(names.pageBytes(t) + ".html"));
    }
    QByteArray ivbFile;
    putDword(ivbFile, static_cast<std::uint32_t>(ivb.size()));
    ivbFile += ivb;

    const QByteArray windows = windowsFile(help, strings, title);

    QByteArray system;
    putDword(system, 3);
    QByteArray word;
    putDword(word, 0);
    systemEntry(system, 10, word); // time stamp: none, as in the header
    systemEntry(system, 9, zeroEnded("HHA Version 4.74.8702"));
    QByteArray language;
    putDword(language, lcid);
    const int codePageNumber = codePage.number();
    putDword(language, codePageNumber == 932 || codePageNumber == 936 || codePageNumber == 949 || codePageNumber == 950 ? 1 : 0);
    putDword(language, 0); // full-text search: the file has no search index
    putDword(language, 0); // keyword links
    putDword(language, 0); // associative links
    for (int i = 0; i < 4; ++i)
        putDword(language, 0); // compile time and two unknown values
    systemEntry(system, 4, language);
    systemEntry(system, 2, zeroEnded("index.html"));
    systemEntry(system, 3, zeroEnded(title));
    systemEntry(system, 6, zeroEnded(baseName.toLower().toUtf8()));
    systemEntry(system, 0, zeroEnded(ContentsFile));
    systemEntry(system, 1, zeroEnded(IndexFile));
    systemEntry(system, 5, zeroEnded(DefaultWindow));

    // #IDXHDR: the sitemap's header: the count of its entries, and -1 for each of its settings
    // that the contents file leaves unset (image list, colours, font, window styles, frame and
    // window names): 0 would be black on black.
    QByteArray idxhdr("T#SM", 4);
    putDword(idxhdr, 0);
    putDword(idxhdr, 1);
    putDword(idxhdr, static_cast<std::uint32_t>(tree.size()));
    putDword(idxhdr, 0);
    putDword(idxhdr, 0xFFFFFFFFu); // image list
    putDword(idxhdr, 0);
    putDword(idxhdr, 0);           // the top entry is no folder
    for (int i = 0; i < 8; ++i)
        putDword(idxhdr, 0xFFFFFFFFu); // colours, font, styles, frame, window
    putDword(idxhdr, 0);           // information types
    putDword(idxhdr, 1);
    putDword(idxhdr, 0);           // merged files
    idxhdr.append(QByteArray(0x1000 - idxhdr.size(), '\0'));

    packer.add("/#SYSTEM", system, false);
    packer.add("/#WINDOWS", windows, false);
    packer.add("/#IDXHDR", idxhdr, false);
    packer.add("/#IVB", ivbFile, false);
    tables.finish();
    packer.add("/#TOPICS", tables.topics, false);
    packer.add("/#URLTBL", tables.urlTable, false);
    packer.add("/#URLSTR", tables.urlStrings, false);
    packer.add("/#ITBITS", QByteArray(), false);
    packer.add("/#STRINGS", strings.data(), false); // last: the others add to it
    return packer.finish();
}

bool writeChm(const ReadHelp& help, const html::HtmlOptions& options, const QString& chmPath)
{
    const QByteArray bytes = makeChm(help, options, QFileInfo(chmPath).completeBaseName());
    QString why;
    if (safefile::write(chmPath, bytes, &why))
        return true;
    help.diagnostics.error(QStringLiteral("le fichier ") + quoted(chmPath) + QStringLiteral(" n'a pas pu être écrit : ") + why);
    return false;
}

CompileResult writeChmHelp(const QString& hpjPath, const QString& chmPath, const html::HtmlOptions& options)
{
    return HlpCompiler().compile(hpjPath, chmPath, [&](const ReadHelp& help) { return writeChm(help, options, chmPath); });
}

} // namespace hlp::chm
