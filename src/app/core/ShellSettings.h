#pragma once
// The six-line settings file "TyxHelp.ini": parsing with every bound, formatting, and where the file
// lives. Reading never reports an error (bad values take their bound's replacement); a failed
// write says why.
#include <QString>
#include <QStringList>

namespace shellsettings {

// The window background system colour, the default colour of the remembered windows.
inline constexpr qint32 WindowColour = qint32(0x80000005u);

// One remembered window (text viewer, project file editor, popup editor): left, top, colour.
struct WindowPlace {
    int left = 330;
    int top = 70;
    qint32 colour = WindowColour;
    bool operator==(const WindowPlace&) const = default;
};

struct Settings {
    QString helpCompilerPath;
    int left = 0;
    int top = 0;
    int height = 400;
    int width = 600;
    WindowPlace textViewer;
    bool wordWrap = false;
    WindowPlace hpjEditor;
    WindowPlace popupEditor;
    bool operator==(const Settings&) const = default;
};

// The first `count` blank-separated decimal integers of `line`; a missing or unreadable one is 0,
// the rest of the line is skipped.
QList<qint64> readNumbers(const QString& line, int count);

// The bounds of the remembered windows' SetIni: a left below 5 becomes 330, a top below 70 becomes 70.
WindowPlace boundedPlace(int left, int top, qint64 colour);

// The six lines, short files and garbage included, with every bound applied.
Settings parse(const QStringList& lines);
// The six lines to write.
QStringList format(const Settings& s);

inline const QString FileName = QStringLiteral("TyxHelp.ini");
// Where the desktop keeps the program's settings: the user's configuration folder (XDG), in its
// own folder "tyxplumet".
QString configFolder();
// The settings file written at exit: "TyxHelp.ini" in configFolder().
QString configFilePath();
// The settings a start reads: the file of the configuration folder, or, when there is none yet,
// the one of an older installation in the start folder, so nothing of it is lost. False when
// neither exists (a first start: every default).
bool readAtStart(const QString& startDirectory, Settings& out);
// Writes configFilePath(), making its folder; false with the reason (French).
bool writeAtExit(const Settings& s, QString* error = nullptr);
// The settings file of `directory`: an existing entry whose name matches "TyxHelp.ini" without
// regard to case, else that name in the directory.
QString filePath(const QString& directory);
// False when there is no settings file in `directory` (then `out` is untouched).
bool read(const QString& directory, Settings& out);
// False with the reason (French) when it could not be written; the old file is then untouched.
bool write(const QString& directory, const Settings& s, QString* error = nullptr);

} // namespace shellsettings
