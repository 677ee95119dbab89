#pragma once
// The contents tree of the site. Our own projects give it from the topics' levels; for any other
// project it is read from the help file's links: the topics the contents topic jumps to stand at
// the top, and every other topic under the first topic, nearest the contents, that jumps to it
// (at most four levels). Topics no jump reaches follow at the top, in file order. Topics that only
// popups open are left out: they are shown in place, never as pages of their own.
#include "winhelp/html/HtmlNames.h"
#include "winhelp/model/HelpModel.h"

#include <vector>

namespace hlp::html {

// One topic of a tree the author arranged: its context string and its depth (0 at the top).
struct ContentsEntry {
    QByteArray context;
    int depth = 0;
    QString page; // the name its page takes (without ".html"); empty: from the context string
};

struct TreeEntry {
    int topic = -1;
    int depth = 0;
};

// True for the topics that popups open and no jump, browse sequence or contents names.
std::vector<bool> popupOnlyTopics(const HelpDocument& document, const SiteNames& names, int contentsTopic);

// The tree in reading order, each topic once. `given`, when not empty, is the author's tree:
// unknown context strings are skipped, and a depth is never more than one below the entry
// before it.
std::vector<TreeEntry> contentsTree(const HelpDocument& document, const SiteNames& names, int contentsTopic,
    const std::vector<bool>& popupOnly, const std::vector<ContentsEntry>& given);

} // namespace hlp::html
