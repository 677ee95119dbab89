#pragma once
// Which program shows a .hlp file: the desktop's default application for that type, else the
// WinHelp viewer (natively or through Wine), else none with the reason in French.
#include "platform/core/Launcher.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace publish::hlpviewer {

// What the lookup asks the system; tests replace it.
struct Probe {
    std::function<QString(const QString& name)> findProgram; // full path on PATH, or empty
    // Standard output of a short query program, or empty when it could not run.
    std::function<QString(const QString& program, const QStringList& arguments)> queryOutput;
};
Probe systemProbe();

inline const QString HlpMimeType = QStringLiteral("application/winhlp");

enum class Kind { None, Desktop, WinHelp };

struct Viewer {
    Kind kind = Kind::None;
    QString program;
    QStringList leadingArguments; // before the file ("winhlp32" when run through Wine)
    QString reason;               // why there is none
};

Viewer find(const Probe& probe);

// The start of `viewer` on `arguments` (usually one file name) in `folder`.
launcher::Start call(const Viewer& viewer, const QStringList& arguments, const QString& folder);

} // namespace publish::hlpviewer
