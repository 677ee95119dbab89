#pragma once
// The popup commands' rules over plain text: the first line of a new popup and the popup that a
// selected link designates.
#include <QString>

namespace editor {

// The word with its first character turned to upper case (ASCII letters only), then the paragraph
// mark: the first line of a popup made from the word.
QString popupFirstLine(const QString& word);

struct PopupReference {
    enum Kind {
        Nothing, // nothing selected, or no "PP" in it: the command does nothing
        Number,  // `digits` follow "Pp" in the link (normally four digits)
        Unknown  // a "PP" that is not a link: "Identificateur non reconnu"
    };
    Kind kind = Nothing;
    QString digits;
};
// The popup that a selection in a topic body designates. The hidden part "{\v Pp" + four digits
// (letter case ignored) wins wherever it stands, so the letters of an anchor such as "Appel" are
// never read as the number; a selection that begins with "Pp" is the hidden part alone.
PopupReference popupReference(const QString& selection);

} // namespace editor
