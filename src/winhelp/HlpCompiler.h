#pragma once
// The built-in WinHelp compiler: reads a help project (.hpj) and its RTF topic files and writes
// the WinHelp 4.0 file beside the project, under the same base name with the extension ".hlp".
//
// Pure and self-contained: no widgets, no shared state, so a caller may run it on a worker thread.
//
//     const hlp::CompileResult r = hlp::HlpCompiler().compile(QStringLiteral("/aide/DEMO.hpj"));
//     if (!r.written) ... // r.diagnostics says why; the last line always sums the build up
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace hlp {

struct CompileResult {
    bool written = false;    // the .hlp file was written (a build without it is never a success)
    QString hlpPath;         // where the .hlp file is, or would have been, written
    QStringList diagnostics; // French, one message per line: "Erreur : ...", "Attention : ...", then a summary
    int errorCount = 0;      // errors found, whether the file was written or not
    int topicCount = 0;
};

class Diagnostics;
struct HelpDocument;
struct HelpProject;

// The project as the readers made it, once checked: where every output starts. The pictures the
// text shows are in document.pictures with the bytes of their files (none for a file that could
// not be read, already reported).
struct ReadHelp {
    const HelpProject& project;
    const HelpDocument& document;
    int contentsTopic;                                        // index into document.topics
    const std::vector<std::pair<QByteArray, int>>& aliases;  // [ALIAS] name -> index of its topic
    Diagnostics& diagnostics; // for the output's own messages; its code page is the text's
};

// Writes another output than the .hlp file from the read project; false when it was not written
// (the reason is in the diagnostics).
using HelpOutput = std::function<bool(const ReadHelp& help)>;

class HlpCompiler {
public:
    // Input files are found in the project's folder without regard to letter case. An existing
    // .hlp file is replaced only when the new one is complete.
    CompileResult compile(const QString& hpjPath);

    // Reads and checks the project exactly as compile() does, then lets `output` write it to
    // `outputPath` instead of the .hlp file. The result's hlpPath is `outputPath`.
    CompileResult compile(const QString& hpjPath, const QString& outputPath, const HelpOutput& output);
};

} // namespace hlp
