#pragma once
// The markup commands' rules over plain text: wrapping the body's selection in RTF control words,
// picture references and their placement. The window takes the selection and puts the result back.
#include <QString>
#include <QStringList>
#include <optional>

namespace editor {

enum class Style { Gras, Ital, Souligne, Centre, Encadrer };

// The selection with the style's opening and closing text around it. "\n" stands for the line break
// that ends a centred or boxed paragraph.
QString wrapped(Style style, const QString& selection);

// The picture file dialog's file types, bitmap first.
inline const QString PictureFilter = QStringLiteral(
    "Fichiers Bmp (*.bmp)|*.bmp|Fichiers Wmf (*.wmf)|*.wmf|Fichiers Dib (*.dib)|*.dib|"
    "Fichiers Shg (*.shg)|*.shg|Fichiers Mrb (*.mrb)|*.mrb");

// The file name without drive and directory.
QString bareFileName(const QString& path);
// "\{bmc " name "\}": a picture placed as a character.
QString pictureReference(const QString& path);

enum Placement { Left = 1, Right = 2, Character = 3 };
// The line with its first picture reference ("\{bm", letters in any case) placed as asked, or
// nothing when the line holds none. The line keeps its length.
std::optional<QString> placePicture(const QString& line, int placement);

// The line that holds character offset `caret` when each line ends with `lineEnd` characters: the
// first line whose running end passes the caret; the first line when none does.
int caretLine(const QStringList& lines, int caret, int lineEnd = 1);

} // namespace editor
