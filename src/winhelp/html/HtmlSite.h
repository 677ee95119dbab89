#pragma once
// The help site made from a read project, in memory: index.html (the contents topic), one page
// per topic named after its context string, motscles.html (keyword index), recherche.html
// (full-text search), the pictures as PNG, aide.css, aide.js, the data the script reads
// (sommaire.js, recherche.js) and contextes.json (context strings and [MAP] numbers -> pages).
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlContents.h"
#include "winhelp/html/HtmlNames.h"

#include <vector>

namespace hlp::html {

struct HtmlOptions {
    // The tree the author arranged; empty: read from the help file's links.
    std::vector<ContentsEntry> contents;
    // BCP 47 language of the pages; empty: from the project's LCID, else French.
    QString language;
    // The search page and its index (recherche.html, recherche.js); a reader with its own search
    // (the .chm's viewer) goes without them. The pages stay the same either way.
    bool search = true;
};

// Makes the site and hands its files to `sink` one by one; false when the sink refused one.
// Reads no file but the pictures `help.pictures` names.
bool makeSite(const ReadHelp& help, const HtmlOptions& options, const SiteSink& sink);
// The same, all files in memory.
std::vector<SiteFile> makeSite(const ReadHelp& help, const HtmlOptions& options);

// The page names the author's tree gives some topics (by lower-cased context string): every writer
// of the site's pages (the site, the .chm) names the pages alike.
QHash<QByteArray, QString> preferredPages(const HtmlOptions& options);

// "fr", "en", "de"... for a Windows language identifier; empty when unknown.
QString languageTag(std::uint16_t lcid);

// The fixed files of every site (aide.css without the project's formats, aide.js).
QByteArray siteAsset(const QString& name);

} // namespace hlp::html
