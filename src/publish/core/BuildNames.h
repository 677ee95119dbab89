#pragma once
// The names of the files a build writes and views, all derived from the project file name.
#include <QString>

namespace publish {

struct BuildNames {
    QString hpj;    // project file with ".hpj" (full name)
    QString rtf;    // topic file with ".rtf"
    QString hlp;    // compiled help file with ".hlp"
    QString cnt;    // its contents file with ".cnt"
    QString folder; // folder part with its final separator, or empty
    QString html;   // folder of the HTML help: the project's name with "-html" for its extension
    QString chm;    // compiled HTML help with ".chm"

    QString hpjName() const; // without folder: the compiler's argument
    QString hlpName() const; // without folder: the viewer's argument
};

// D:\AIDE\DEMO.HPA gives D:\AIDE\DEMO.hpj, DEMO.rtf, DEMO.hlp, DEMO.cnt, D:\AIDE\, D:\AIDE\DEMO-html and
// D:\AIDE\DEMO.chm; an empty name gives ".hpj", ".rtf", ".hlp", ".cnt", an empty folder, "-html" and ".chm".
BuildNames buildNames(const QString& currentFileName);

} // namespace publish
