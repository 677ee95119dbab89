#include "publish/core/BuildNames.h"

#include "store/core/TextRules.h"

namespace publish {

QString BuildNames::hpjName() const
{
    return store::fileNamePart(hpj);
}

QString BuildNames::hlpName() const
{
    return store::fileNamePart(hlp);
}

BuildNames buildNames(const QString& currentFileName)
{
    return {store::forceExtension(currentFileName, QStringLiteral(".hpj")),
        store::forceExtension(currentFileName, QStringLiteral(".rtf")),
        store::forceExtension(currentFileName, QStringLiteral(".hlp")),
        store::forceExtension(currentFileName, QStringLiteral(".cnt")), store::folderPart(currentFileName),
        store::forceExtension(currentFileName, QStringLiteral("-html")),
        store::forceExtension(currentFileName, QStringLiteral(".chm"))};
}

} // namespace publish
