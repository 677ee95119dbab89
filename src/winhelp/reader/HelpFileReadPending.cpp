// Stands in for the .hlp reader until it lands: help files are refused with a French reason.
#include "winhelp/reader/HelpFileRead.h"

namespace hlp {

HelpFileRead readHelpFile(const QString& path)
{
    HelpFileRead r;
    r.error = QStringLiteral("« %1 » ne peut pas être lu : la lecture des fichiers .hlp n'est pas encore disponible.").arg(path);
    return r;
}

HelpFileRead readHelpBytes(const QByteArray&, const QByteArray&)
{
    HelpFileRead r;
    r.error = QStringLiteral("La lecture des fichiers .hlp n'est pas encore disponible.");
    return r;
}

} // namespace hlp
