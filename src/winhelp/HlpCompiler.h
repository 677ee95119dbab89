#pragma once
// The built-in WinHelp compiler: reads a help project (.hpj) and its RTF topic files and writes
// the WinHelp 4.0 file beside the project, under the same base name with the extension ".hlp".
//
// Pure and self-contained: no widgets, no shared state, so a caller may run it on a worker thread.
//
//     const hlp::CompileResult r = hlp::HlpCompiler().compile(QStringLiteral("/aide/DEMO.hpj"));
//     if (!r.written) ... // r.diagnostics says why; the last line always sums the build up
#include <QString>
#include <QStringList>

namespace hlp {

struct CompileResult {
    bool written = false;    // the .hlp file was written (a build without it is never a success)
    QString hlpPath;         // where the .hlp file is, or would have been, written
    QStringList diagnostics; // French, one message per line: "Erreur : ...", "Attention : ...", then a summary
    int errorCount = 0;      // errors found, whether the file was written or not
    int topicCount = 0;
};

class HlpCompiler {
public:
    // Input files are found in the project's folder without regard to letter case. An existing
    // .hlp file is replaced only when the new one is complete.
    CompileResult compile(const QString& hpjPath);
};

} // namespace hlp
