#pragma once
// The contents tree of the site. Our own projects give it from the topics' levels; for any other
// project it is read from the help file's links: the topics the contents topic jumps to stand at
// the top, and every other topic under the first topic, nearest the contents, that jumps to it
// (at most four levels). Topics no jump reaches follow at the top, in file order. Topics that only
// popups open are left out: they are shown in place, never as pages of their own.
#include "winhelp/html/HtmlNames.h"
#include "winhelp/model/HelpModel.h"
#include "winhelp/model/LoadedHelp.h"

#include <vector>

namespace hlp::html {

// One line of a tree the author arranged: a topic (its context string) or a book (a heading over
// the lines below it, deeper by one), and its depth (0 at the top).
struct ContentsEntry {
    QByteArray context; // empty for a book
    int depth = 0;
    QByteArray label;   // the text the tree shows; empty: the topic's title
    QString page = {};  // the name its page takes (without ".html"); empty: from the context string
};

struct TreeEntry {
    int topic = -1; // -1 for a book
    int depth = 0;
    QByteArray label; // empty: the topic's title
};

// The tree of a contents file (.cnt): its books and the topics of this help (those of other help
// files are left out).
std::vector<ContentsEntry> contentsEntries(const ContentsFile& contents);

// True for the topics that popups open and no jump, browse sequence or contents names.
std::vector<bool> popupOnlyTopics(const HelpDocument& document, const SiteNames& names, int contentsTopic);

// The tree in reading order, each topic once. `given`, when not empty, is the author's tree:
// unknown context strings are skipped, a depth is never more than one below the entry before it,
// and a book left with nothing under it is dropped.
std::vector<TreeEntry> contentsTree(const HelpDocument& document, const SiteNames& names, int contentsTopic,
    const std::vector<bool>& popupOnly, const std::vector<ContentsEntry>& given);

} // namespace hlp::html
