#include "publish/core/ProjectBuild.h"

#include "publish/core/BraceCheck.h"
#include "publish/core/BuildNames.h"
#include "publish/core/RtfWriter.h"
#include "store/core/ProjectBlock.h"

namespace publish {

BuildFiles writeBuildFiles(QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& projectFile)
{
    BuildFiles r;
    const BuildNames names = buildNames(projectFile);
    r.hpjPath = names.hpj;
    r.rtfPath = names.rtf;
    r.hpjWritten = store::ExportHpj(documentLines, pageCount, r.hpjPath, &r.hpjError);
    if (!r.hpjWritten)
        r.noProjectBlock = !store::projectFileLines(documentLines).has_value();
    r.warnings = braceWarnings(documentLines, pageCount, popupCount);
    r.rtfWritten = ExportRtf(documentLines, pageCount, popupCount, title, body, r.rtfPath, &r.rtfError);
    return r;
}

} // namespace publish
