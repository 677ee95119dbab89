#pragma once
// What the program was asked on its command line: "tyxplumet [PROJET.hpa]", as a file manager
// starts it for a double-clicked project; "tyxplumet AIDE.hlp" or "tyxplumet --aide AIDE.hlp
// [--contexte N]" for the help viewer alone.
#include <QString>
#include <QStringList>

namespace startarguments {

struct Request {
    QString project;     // the project to open at start, as given; empty: none
    QStringList ignored; // further names: one project at a time
    bool help = false;   // --help: print the usage and stop
    bool version = false;
    QString helpFile;    // a help file to show in the viewer alone (--aide, or a name ending in .hlp)
    QString context;     // --contexte: a context number of [MAP] or a context string
    QString error;       // French: what is wrong with the arguments (nothing starts then)
};

// `arguments` without the program's own name (and without what Qt took for itself).
Request parse(const QStringList& arguments);

QString usage();
QString version();
// The French answer to names beyond the first, empty when there are none.
QString ignoredMessage(const QStringList& ignored);

} // namespace startarguments
