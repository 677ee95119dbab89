#include "publish/core/ProjectBuild.h"

#include "platform/core/TextFile.h"
#include "publish/core/BraceCheck.h"
#include "publish/core/BuildNames.h"
#include "publish/core/ContentsBuild.h"
#include "winhelp/format/CntFile.h"
#include "publish/core/RtfWriter.h"
#include "publish/core/TextCheck.h"
#include "store/core/DocumentStore.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

namespace publish {

BuildFiles writeBuildFiles(QStringList& documentLines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& projectFile)
{
    BuildFiles r;
    const BuildNames names = buildNames(projectFile);
    r.hpjPath = names.hpj;
    r.rtfPath = names.rtf;
    r.cntPath = names.cnt;
    // The compiler must read the topic file this build writes, whatever the block was made for.
    r.blockFollowed = store::followProjectName(documentLines, projectFile);
    store::CreMap(documentLines, pageCount);
    auto hpj = store::projectFileLines(documentLines);
    if (!hpj) {
        r.noProjectBlock = true;
        r.failedPath = r.hpjPath;
        r.error = QStringLiteral("le document n'a pas de bloc de projet <HPJ>");
        return r;
    }
    store::nameTopicFile(*hpj, store::fileNamePart(names.rtf));
    r.warnings = braceWarnings(documentLines, pageCount, popupCount) + textWarnings(documentLines, pageCount, popupCount);
    // Kept altered at Open (the repair declined): some text may be in no block the help reads.
    if (store::isAltered(documentLines, pageCount, popupCount))
        r.warnings.prepend(QString::fromUtf8(
            "Le fichier a été altéré : des rubriques ou des PopUp peuvent manquer à l'aide (balises non appariées, "
            "numéros qui ne se suivent pas ou au-delà de 9999). Rouvrez le projet et acceptez de le restaurer."));
    auto set = std::make_shared<safefile::FileSet>();
    // What is made from the files: once rebuilt after a kill, the files stay as they are.
    set->watch(names.hlp);
    set->watch(names.html);
    const bool written = set->add(r.hpjPath, textfile::joinLines(*hpj))
        && set->add(r.rtfPath, RtfBytes(documentLines, pageCount, popupCount, title, body))
        && set->add(r.cntPath, hlp::formatContentsFile(projectContents(documentLines, pageCount, names.hlpName())))
        && set->commit();
    r.warnings << set->notes();
    if (!written) {
        r.failedPath = set->failedPath();
        r.error = set->error();
        return r;
    }
    r.written = true;
    r.files = std::move(set);
    return r;
}

} // namespace publish
