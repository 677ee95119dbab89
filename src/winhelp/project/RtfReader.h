#pragma once
// Reads the topic files of a help project: the RTF our build writes (footnotes # $ K + !, \page,
// hidden-text hot spots, \{bmc file\} pictures, popup topics after the closing brace) and the RTF
// of other help projects (style sheets, \plain, \line, \u). Unknown control words are ignored.
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

namespace hlp {

// True for a control word (without its backslash) that starts a destination: the rest of its
// group is not body text. A writer of RTF text keeps such words at the start of a group.
bool isRtfDestination(QByteArrayView word);

class RtfReader {
public:
    RtfReader(HelpDocument& document, Diagnostics& diagnostics);

    // Appends the topics of one file to the document.
    void read(const QByteArray& rtf, const QString& sourceName);

private:
    HelpDocument& m_doc;
    Diagnostics& m_diag;
};

} // namespace hlp
