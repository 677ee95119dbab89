#pragma once
// The contents file (.cnt) the build writes beside the help file: the levels the author set in
// the hierarchy, as WinHelp 4 shows them in its Sommaire tab. The site's contents tree follows
// the same levels.
#include "winhelp/model/LoadedHelp.h"

#include <QStringList>

namespace publish {

// Topics 0 .. pageCount-1 (up to the first missing number) in number order. A level-1 topic
// followed by level-2 topics becomes a book of its title that holds the topic itself first, then
// them; any other topic is a line of its level that opens it ("IDH_" + its key). `:Base` names
// `hlpName`, `:Title` the help's TITLE= option when the project block has one.
hlp::ContentsFile projectContents(const QStringList& documentLines, int pageCount, const QString& hlpName);

} // namespace publish
