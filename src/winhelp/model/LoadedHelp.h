#pragma once
// A help as one piece, whatever it was read from: a project (.hpj and its topic files) or a help
// file (.hlp, with the .cnt contents file beside it). It owns what ReadHelp only points to, so a
// viewer can keep it open and every writer (help file, site, .chm, project) can take it.
#include "winhelp/HlpCompiler.h"
#include "winhelp/model/HelpModel.h"

#include <cstdint>
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

// What a help file (.hlp) says of itself beyond its content. Zero for a help read from a project.
struct HelpFileFacts {
    enum class Phrases : std::uint8_t { None, Old, Hall }; // phrase compression of the text
    int minor = 0, major = 0;     // 15 WinHelp 3.0, 21 WinHelp 3.1, 33 WinHelp 4.0
    unsigned flags = 0;           // of |SYSTEM: 4 or 8 LZ77-compressed topic blocks
    std::uint32_t generated = 0;  // when the compiler made it, seconds since 1970 (0: unknown)
    bool lz77 = false;
    int topicBlockSize = 0;
    Phrases phrases = Phrases::None;
    int phraseCount = 0;
    qsizetype size = 0;           // bytes of the file
    QByteArray contentsFile;      // the contents file it names (|SYSTEM), if any
    QList<QByteArray> internalFiles; // the directory, in its order
};

struct LoadedHelp {
    HelpProject project;
    HelpDocument document;
    int contentsTopic = 0;                              // index into document.topics
    std::vector<std::pair<QByteArray, int>> aliases;    // another name of a context -> topic index
    ContentsFile contents;                              // empty when the help has none
    // Read from a help file: what it says of itself, its icon (an .ico file; project.icon names
    // it) and the files of [BAGGAGE] (project.baggage names them) with their bytes.
    HelpFileFacts file;
    QByteArray icon;
    std::vector<std::pair<QByteArray, QByteArray>> baggage;

    // What every writer takes. The diagnostics collect the writer's own messages.
    ReadHelp view(Diagnostics& diagnostics) const
    {
        return ReadHelp{project, document, contentsTopic, aliases, diagnostics};
    }
};

} // namespace hlp
