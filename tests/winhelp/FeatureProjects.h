#pragma once
// Help projects of the kind people have, one per feature of the compiler: tables, pictures
// inside the RTF and .shg hot spots, a Help Workshop 4 project (windows, aliases, [MAP] with
// C headers, baggage, compression), macro hot spots split the ways Word splits them, and a
// Russian project. Their .hpj and RTF files are in tests/data/winhelp-projects; the binary
// pictures are made here.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace hlptest {

// The names of the feature projects: "tables", "pictures", "workshop", "macros", "russian".
QStringList featureProjects();

// Copies project `name` into `folder` (with the pictures it needs) and returns its .hpj path, or
// an empty string when it could not be written.
QString writeFeatureProject(const QString& name, const QString& folder);

// A .shg picture, 96 x 64 in four quadrants, each a hot spot: an invisible jump to IDH_CIBLE, an
// invisible popup of IDH_NOTE, an invisible jump to IDH_SECONDAIRE in the window "second", and a
// macro JI(`',`IDH_CIBLE').
QByteArray sampleShg();

} // namespace hlptest
