#pragma once
// A help turned back into a Tyx Plumet project (.hpa): the header block, the project block (title,
// copyright, configuration macros, windows, [MAP]), every topic as a topic block (title, keywords,
// level from the contents file, the body as the light RTF the editor carries) and the topics that
// only popups open as popup blocks. Pictures become files beside the project, placed with
// {bmc name}. Lines in code page 1252, as the project file holds them; this room knows nothing of
// the document store, so the lines follow the file's own format.
//
//     const hlp::HelpProjectFile made = hlp::makeHelpProject(*read.help, QStringLiteral("aide.hpa"));
//     if (!made.error.isEmpty()) ... // French: why no project can hold this help
//     QString why;
//     hlp::writeHelpProject(made, QStringLiteral("/aide/aide.hpa"), &why);
#include "winhelp/model/LoadedHelp.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace hlp {

// A file written beside the project: a picture the topics place, the icon, a file of [BAGGAGE].
struct ProjectSideFile {
    QString name; // file name without folder
    QByteArray bytes;
};

struct HelpProjectFile {
    QList<QByteArray> lines;                // the project file's lines, code page 1252, no line ends
    std::vector<ProjectSideFile> files;     // beside the project
    QStringList warnings;                   // French: what the project cannot hold, left out
    QString error;                          // French: why there is no project; then nothing else is set
    int topics = 0;
    int popups = 0;
    int pictures = 0;                       // of `files`

    QByteArray bytes() const; // the lines ended by CR LF
};

// `projectFile`: the project's file name (its folder does not matter); the topic file and the
// pictures are named after it. A help in another code page than 1252, or with more topics or
// popups than a project can number, gives an error and no lines.
HelpProjectFile makeHelpProject(const LoadedHelp& help, const QString& projectFile);

// Writes the project file and the files beside it as one set through the one write path: all new, or all
// as they were. False with the French reason.
bool writeHelpProject(const HelpProjectFile& project, const QString& hpaPath, QString* error);

} // namespace hlp
