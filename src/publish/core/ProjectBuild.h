#pragma once
// The files a build writes beside the project file, shared by the Build command and tyxbuild so
// that both write the same bytes.
#include "store/core/HeaderBlock.h"

#include <QString>
#include <QStringList>

namespace publish {

struct BuildFiles {
    QString hpjPath;
    QString rtfPath;
    bool hpjWritten = false;
    bool noProjectBlock = false; // the .hpj was not written because the document has no project block
    QString hpjError;            // the system's reason when it could not be written
    bool rtfWritten = false;
    QString rtfError;
    QStringList warnings;        // topics and popups whose braces do not pair up, by title
    bool ok() const { return hpjWritten && rtfWritten; }
};

// Writes the .hpj file (refreshing the [MAP] section of `documentLines`, as a build does) and then
// the RTF topic file. Both are attempted even when the first fails.
BuildFiles writeBuildFiles(QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& projectFile);

} // namespace publish
