#pragma once
// The pictures of the shell, drawn at run time: the toolbar glyphs and the program's picture (a
// quill over an ink pot) shown by the splash window and the about box.
#include <QIcon>
#include <QPixmap>

namespace shellpictures {

enum class Glyph {
    NewFile,
    Open,
    Save,
    Copy,
    Paste,
    First,
    Previous,
    Next,
    Last,
    AddPage,
    DeletePage,
    Compile,
    ViewHelp,
};

QIcon glyph(Glyph g);
QPixmap programPicture(int side);

} // namespace shellpictures
