#pragma once
// Plain text pasted as if it were typed in the body: "Coller comme texte".
#include <QString>

namespace editor {

// Backslashes and braces get the backslash typing gives them, and each line break (CR LF, CR, LF
// or a Unicode line or paragraph separator) ends a paragraph as Enter does: the paragraph mark,
// not doubled when the line already ends with one, then the break.
QString typedText(QStringView plain);

} // namespace editor
