#pragma once
// The platform's 32-bit colour words (0x00BBGGRR, or a system colour with the top bit set) as
// screen colours.
#include <QColor>

namespace colourwords {

bool isSystemColour(quint32 word);
// The real colour of a word; a system colour takes the application palette's matching colour.
QColor toColor(quint32 word);
// An explicit colour word (never a system reference).
quint32 fromColor(const QColor& c);

} // namespace colourwords
