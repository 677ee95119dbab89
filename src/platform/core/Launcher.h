#pragma once
// Starting outside programs (help compiler, help viewer). Programs are started detached with an
// argument list, never through a shell. Tests install a recorder instead of starting anything.
#include <QString>
#include <QStringList>
#include <functional>

namespace launcher {

struct Start {
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

// Starts the program; false (with a French reason) when it could not be started.
bool start(const Start& s, QString* error = nullptr);

// Tests: every start goes to `recorder` instead of the system. Empty restores the real one.
void setRecorder(std::function<bool(const Start&)> recorder);

// The command that would really run: a Windows program (".exe") goes through Wine when present.
Start resolve(const Start& s);

// Full path of a program found on PATH, or empty.
QString findOnPath(const QString& name);

} // namespace launcher
