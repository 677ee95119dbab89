#pragma once
// The project options as the options dialog reads them from the document and writes them back
// as the project block. Pure rules; the dialog holds the fields.
#include <QString>
#include <QStringList>
#include <functional>

namespace publish {

// The four numbers of the main window line, in the order the line writes them.
struct WindowPlace {
    int left = 100;   // "Gauche"  (SpinEdit3)
    int top = 5;      // "Haut"    (SpinEdit4)
    int height = 800; // "Hauteur" (SpinEdit1)
    int width = 800;  // "Largeur" (SpinEdit2)

    bool operator==(const WindowPlace&) const = default;
};

struct OptionsFields {
    QString title;              // Edit1
    QString icon;               // Edit2
    bool browseButtons = false; // CheckBox1
    WindowPlace place;
};

inline constexpr int MaxTitleLength = 50;
inline constexpr int MaxIconShown = 15;

// "Aide de " + the lower-cased file name part, extension kept.
QString defaultHelpTitle(const QString& projectFileName);
// The lower-cased file name part with the extension ".rtf" (an empty name gives ".rtf").
QString topicFileName(const QString& projectFileName);

struct OptionsScan {
    bool ok = true;
    QString error;          // French, when a MAIN= number cannot be read
    bool blockFound = false;
    OptionsFields fields;
    QString iconAsWritten;  // the whole ICON= value; the field shows only its start
};

// Reads the option lines of the project block. `current` holds the numeric fields as they are:
// numbers not found keep their value. A first or second MAIN= number that is not an integer
// makes the whole scan fail (ok false, nothing to apply).
OptionsScan scanOptions(const QStringList& lines, const QString& projectFileName, const WindowPlace& current);

// Turns a system colour word (top bit set) into an explicit 0x00BBGGRR word.
using SystemColourResolver = std::function<quint32(quint32 word)>;

// "r,g,b" of a colour word read as eight hexadecimal digits (red = digits 7-8, green 5-6,
// blue 3-4). A system colour is first resolved when a resolver is given.
QString rgbText(quint32 word, const SystemColourResolver& resolve = {});

// main="title",(left,top,height,width),0,(main r,g,b),(title r,g,b)
QString mainWindowLine(const QString& title, const WindowPlace& place, quint32 mainColour, quint32 titleColour,
    const SystemColourResolver& resolve = {});

// The whole block, "<HPJ>" to "</HPJ>", as the options dialog writes it.
QStringList optionsBlock(const OptionsFields& fields, const QString& topicFile, quint32 mainColour,
    quint32 titleColour, const SystemColourResolver& resolve = {});

// Replaces the project block by `block` where it began, or puts it at the top.
void replaceProjectBlock(QStringList& lines, const QStringList& block);

} // namespace publish
