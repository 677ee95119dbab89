#pragma once
// A text file inserted into the body: its lines as the body receives them.
#include <QString>

namespace editor {

struct ImportedText {
    QString text;     // every line followed by a line end; empty for an empty file
    int replaced = 0; // characters that became '?'
};

// `decoded` is the whole file already decoded. Characters the document cannot hold become a visible
// '?': those outside code page 1252, and NUL, which would end the project file when it is read back.
ImportedText importedText(QStringView decoded);

// The one message that tells how many characters an import had to replace (empty for none).
QString replacedMessage(int replaced);

// The status line after typing or pasting: how many characters became "?", and which (`replaced`
// holds them in order, repeats included). Empty when none.
QString replacedStatus(QStringView replaced);

} // namespace editor
