#pragma once
// Reads the topic files of a help project: the RTF our build writes (footnotes # $ K + !, \page,
// hidden-text hot spots, \{bmc file\} pictures, popup topics after the closing brace) and the RTF
// of other help projects and of Word 97 to 2007 (style sheets, \plain, \line, \u, tables,
// pictures inside the file). Control words that change nothing in a help file are skipped.
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

namespace hlp {

// True for a control word (without its backslash) that starts a destination: the rest of its
// group is not body text. A writer of RTF text keeps such words at the start of a group.
bool isRtfDestination(QByteArrayView word);

// True for a control word (without its backslash) the reader acts on or skips knowingly; any other
// is dropped, and with it the letters that made it ("\Calculo" in a path typed as text).
bool isKnownRtfWord(QByteArrayView word);

class RtfReader {
public:
    RtfReader(HelpDocument& document, Diagnostics& diagnostics);

    // The project states its code page (CHARSET=, LCID=): the files' fonts do not change it.
    // Otherwise the code page of the diagnostics is only a first guess.
    void setCodePageFixed(bool fixed) { m_codePageFixed = fixed; }

    // Appends the topics of one file to the document.
    void read(const QByteArray& rtf, const QString& sourceName);

private:
    HelpDocument& m_doc;
    Diagnostics& m_diag;
    bool m_codePageFixed = false;
};

} // namespace hlp
