#pragma once
// What a help file is, in French, one "clé : valeur" line each, for people and for scripts:
// version, compression, topics, keywords, pictures, windows, macros.
#include "winhelp/model/LoadedHelp.h"

#include <QStringList>

namespace hlp {

QStringList helpSummary(const LoadedHelp& help);

} // namespace hlp
