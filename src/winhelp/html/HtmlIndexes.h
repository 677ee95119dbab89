#pragma once
// The site's data besides the pages: the keyword index, the contents tree as the script reads it,
// and the search index (every word of every titled topic, with the topics it is in).
#include "winhelp/html/HtmlContents.h"
#include "winhelp/html/HtmlNames.h"
#include "winhelp/html/HtmlText.h"
#include "winhelp/model/HelpModel.h"

#include <QByteArray>
#include <vector>

namespace hlp::html {

// The list of the keyword page: one item per keyword (letter case aside), in folded order, with
// the topics it names; `data-cle` holds the folded keyword the filter box compares.
QByteArray keywordList(const HelpDocument& document, const SiteNames& names, const TextCodec& codec);

// tyxSommaire({"e":[[title,page,depth],...]}); the search results are entry numbers of this list.
// A book of the contents has an empty page; a topic the contents names otherwise than its title has
// its title fourth, for the search's results.
QByteArray contentsData(const HelpDocument& document, const SiteNames& names, const TextCodec& codec,
    const std::vector<TreeEntry>& tree);

// tyxRecherche({"mots":"w1 w2 ...","listes":"l1 l2 ..."}): the folded words of at least two
// characters, sorted, and for each the entries that hold it, as gaps between entry numbers written
// in base 32 (digits "0"-"9" "a"-"v" end a number, "w"-"z" "A"-"Z" "-" "_" carry its higher bits).
// Wrapped in one call so that a page opened from the disk can load it with a script element.
QByteArray searchData(const HelpDocument& document, const TextCodec& codec, const std::vector<TreeEntry>& tree);

// The gap encoding above, for one list of increasing entry numbers.
QByteArray encodeEntries(const std::vector<int>& entries);

} // namespace hlp::html
