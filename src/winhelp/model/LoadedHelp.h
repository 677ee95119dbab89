#pragma once
// A help as one piece, whatever it was read from: a project (.hpj and its topic files) or a help
// file (.hlp, with the .cnt contents file beside it). It owns what ReadHelp only points to, so a
// viewer can keep it open and every writer (help file, site, .chm, project) can take it.
#include "winhelp/HlpCompiler.h"
#include "winhelp/model/HelpModel.h"

#include <utility>
#include <vector>

namespace hlp {

// One line of a contents file: a book (a heading over the lines below it, deeper by one) or a
// topic. Texts are bytes in the help's code page.
struct ContentsLine {
    int level = 1;        // 1 at the top
    QByteArray text;      // as the contents shows it
    QByteArray context;   // the topic's context string; empty for a book
    QByteArray file;      // a topic of another help file (topic=context@file), else empty
    QByteArray window;    // opens in this window (topic=context>window), else empty
    bool book() const { return context.isEmpty(); }
};

// A contents file (.cnt): its header commands and its lines, in order.
struct ContentsFile {
    QByteArray base;     // :Base, the help file (and window) the topics belong to
    QByteArray title;    // :Title
    std::vector<ContentsLine> lines;
    bool empty() const { return lines.empty(); }
};

struct LoadedHelp {
    HelpProject project;
    HelpDocument document;
    int contentsTopic = 0;                              // index into document.topics
    std::vector<std::pair<QByteArray, int>> aliases;    // another name of a context -> topic index
    ContentsFile contents;                              // empty when the help has none

    // What every writer takes. The diagnostics collect the writer's own messages.
    ReadHelp view(Diagnostics& diagnostics) const
    {
        return ReadHelp{project, document, contentsTopic, aliases, diagnostics};
    }
};

} // namespace hlp
