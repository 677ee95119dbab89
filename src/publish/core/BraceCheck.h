#pragma once
// Topic text goes into the RTF file as it stands, so a brace that opens or closes nothing there
// breaks every topic after it in the help file. The build names each such topic and popup.
#include <QList>
#include <QStringList>
#include <QStringView>

namespace publish {

// True when the unescaped braces of the lines pair up, read as one text: none closes before it
// was opened and none is left open. A backslash escapes the character after it.
bool bracesBalanced(const QStringList& lines);

// One French sentence for each topic (title or body) and each popup that the RTF file will hold
// with unbalanced braces, named by its title, in the file's order.
QStringList braceWarnings(const QStringList& documentLines, int pageCount, int popupCount);

// A place in a topic's body lines where the text will not come out as written.
struct TextProblem {
    int line = 0;   // 0-based body line
    int column = 0; // 0-based character of that line
    QString message; // French, naming the place
    bool operator==(const TextProblem&) const = default;
};

// The problems of one topic's body, in text order: a control word the compiler does not know (its
// letters disappear from the help), a closing brace with no opening one before it; then the
// opening brace left open at the end of the text.
QList<TextProblem> textProblems(const QStringList& body);

} // namespace publish
