#pragma once
// The program's own help: where its files are looked for, and which topic a help context number
// of the menus and fields names in the compiled file.
#include <QString>
#include <QStringList>

namespace publish::ownhelp {

inline const QString HlpName = QStringLiteral("TyxHelp.hlp");
// The topic of the program's help on how to use a help (Aide > Utiliser l'aide).
inline const QString HowToUseContext = QStringLiteral("IDH_Utiliserlaide");
// The HTML help built from the same project: a folder with one page per topic.
inline const QString HtmlFolderName = QStringLiteral("TyxHelp-html");

// Where the help lives, in the order it is looked for: the start directory (as it always was),
// the installed data folder (found from the executable, so a moved installation still finds it,
// then the folder the build was configured for), and last the executable's own folder (a build tree).
struct Places {
    QString startDirectory;
    QString executableDirectory;
    QString dataFromExecutable; // relative to executableDirectory, e.g. "../share/tyxplumet"
    QString installedData;      // absolute
};
QStringList searchFolders(const Places& places);

// The first entry named `name` (letters' case ignored, as on the platform the help came from) in
// the first folder that holds one; a folder entry when `folder` is set. Empty when none has it.
QString find(const QStringList& folders, const QString& name, bool folder = false);

// The context string ("IDH_...") of the topic that context number `number` opens in the compiled
// file `hlpPath`, read back through the file's [MAP] and title index; empty when the file cannot
// be read or has no such number.
QString contextString(const QString& hlpPath, int number);

// The page of the HTML help in `folder` that context number `number` opens, as its contextes.json
// maps them; its first page (index.html) for 0, an unknown number or a missing map; empty when the
// folder holds no help.
QString htmlPage(const QString& folder, int number);

} // namespace publish::ownhelp
