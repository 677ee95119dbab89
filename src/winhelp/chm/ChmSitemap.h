#pragma once
// The two sitemap files the viewer shows beside the page: the contents tree (.hhc) and the
// keyword index (.hhk). Their text is in the help's own code page, as the viewer reads them in
// the code page of the help's language.
#include "winhelp/html/HtmlContents.h"
#include "winhelp/html/HtmlNames.h"
#include "winhelp/model/HelpModel.h"

#include <QByteArray>
#include <vector>

namespace hlp::chm {

// The title a topic has in the contents and the index: its title, else its first context string.
QByteArray topicTitle(const Topic& topic);

// The tree in reading order, each entry one level at most below the one before it.
QByteArray contentsSitemap(const HelpDocument& document, const html::SiteNames& names,
    const std::vector<html::TreeEntry>& tree, const CodePage& codePage);

// One entry per keyword (letter case aside, first spelling kept), in folded order, with every
// topic it names (popup-only topics left out: they have no page of their own to open).
QByteArray indexSitemap(const HelpDocument& document, const html::SiteNames& names, const std::vector<bool>& popupOnly,
    const CodePage& codePage);

} // namespace hlp::chm
