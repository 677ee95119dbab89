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

    QString hpjName() const; // without folder: the compiler's argument
    QString hlpName() const; // without folder: the viewer's argument
};

// D:\AIDE\DEMO.HPA gives D:\AIDE\DEMO.hpj, DEMO.rtf, DEMO.hlp, DEMO.cnt, D:\AIDE\ and D:\AIDE\DEMO-html ;
// an empty name gives ".hpj", ".rtf", ".hlp", ".cnt", an empty folder and "-html".
BuildNames buildNames(const QString& currentFileName);

} // namespace publish
