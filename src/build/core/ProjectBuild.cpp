#include "build/core/ProjectBuild.h"

#include "build/core/RtfWriter.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

namespace build {

QString buildFileName(const QString& projectFile, const QString& extension)
{
    return store::forceExtension(projectFile, extension);
}

BuildFiles writeBuildFiles(QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& projectFile)
{
    BuildFiles r;
    r.hpjPath = buildFileName(projectFile, QStringLiteral(".hpj"));
    r.rtfPath = buildFileName(projectFile, QStringLiteral(".rtf"));
    r.hpjWritten = store::ExportHpj(documentLines, pageCount, r.hpjPath, &r.hpjError);
    if (!r.hpjWritten)
        r.noProjectBlock = !store::projectFileLines(documentLines).has_value();
    r.rtfWritten = ExportRtf(documentLines, pageCount, popupCount, title, body, r.rtfPath, &r.rtfError);
    return r;
}

} // namespace build
