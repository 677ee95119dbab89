#pragma once
// The files a build writes beside the project file, shared by the Build command and tyxbuild so
// that both write the same bytes.
#include "platform/core/SafeFile.h"
#include "store/core/HeaderBlock.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace publish {

struct BuildFiles {
    QString hpjPath;
    QString rtfPath;
    QString cntPath;
    bool blockFollowed = false;  // the project block was made to name this project (the document changed)
    bool written = false;        // both files are new and whole
    bool noProjectBlock = false; // nothing was written: the document has no project block
    QString failedPath;          // the file that could not be written
    QString error;               // why, in French
    QStringList warnings;        // topics and popups whose text the help will not show as written, by title
    // The files just written. The compiler runs next: when it fails, revert() brings the old .hpj,
    // .rtf and .cnt back so the files stay one set; dropping it keeps the new ones.
    std::shared_ptr<safefile::FileSet> files;
    bool ok() const { return written; }
};

// Writes the .hpj file (refreshing the [MAP] section of `documentLines`, as a build does), the
// RTF topic file and the contents file (.cnt) together: either all are new, or all stay as they
// were. The project block is
// first made to name this project's topic file (store::followProjectName), so the compiler always
// reads the topic file this build writes.
BuildFiles writeBuildFiles(QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& projectFile);

} // namespace publish
