#pragma once
// Reads a help project file (.hpj): [OPTIONS], [FILES], [CONFIG], [WINDOWS], [MAP] and [BITMAPS].
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

namespace hlp {

class ProjectFiles;

class HpjReader {
public:
    // Reads the file; false (with an error) when it cannot be opened.
    static bool read(const QString& hpjPath, HelpProject& project, Diagnostics& diag);

    // Reads the text of a project file. `files`, when given, resolves #include lines of [MAP].
    static void parse(const QByteArray& text, HelpProject& project, Diagnostics& diag, ProjectFiles* files = nullptr,
                      const QString& fileLabel = QString());

    // One main= line after the '=' sign: "caption",(x,y,w,h),max,(r,g,b),(r,g,b),ontop.
    static bool parseWindow(const QByteArray& name, const QByteArray& definition, WindowDef& window);
};

} // namespace hlp
