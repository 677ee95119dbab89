#pragma once
// One-line fields (titles, keywords, names) never hold a line break: a break that comes in,
// typed, pasted or dropped, becomes one space.
#include <QString>

namespace linebreaks {

// True for CR, LF and the two Unicode separators a text widget may hand over.
bool isBreak(QChar c);

// Replaces each line break (CR LF counts as one) by a space; returns how many were replaced.
// `position` (a caret in the text), when given, stays on the same character.
int toSpaces(QString& text, int* position = nullptr);

} // namespace linebreaks
