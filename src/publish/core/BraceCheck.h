#pragma once
// Topic text goes into the RTF file as it stands, so a brace that opens or closes nothing there
// breaks every topic after it in the help file. The build names each such topic and popup.
#include <QStringList>
#include <QStringView>

namespace publish {

// True when the unescaped braces of the lines pair up, read as one text: none closes before it
// was opened and none is left open. A backslash escapes the character after it.
bool bracesBalanced(const QStringList& lines);

// One French sentence for each topic (title or body) and each popup that the RTF file will hold
// with unbalanced braces, named by its title, in the file's order.
QStringList braceWarnings(const QStringList& documentLines, int pageCount, int popupCount);

} // namespace publish
