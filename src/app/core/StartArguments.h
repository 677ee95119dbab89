#pragma once
// What the program was asked on its command line: "tyxplumet [PROJET.hpa]", as a file manager
// starts it for a double-clicked project.
#include <QString>
#include <QStringList>

namespace startarguments {

struct Request {
    QString project;     // the project to open at start, as given; empty: none
    QStringList ignored; // further names: one project at a time
    bool help = false;   // --help: print the usage and stop
    bool version = false;
};

// `arguments` without the program's own name (and without what Qt took for itself).
Request parse(const QStringList& arguments);

QString usage();
QString version();
// The French answer to names beyond the first, empty when there are none.
QString ignoredMessage(const QStringList& ignored);

} // namespace startarguments
