#pragma once
// Opening a file or an address with the program the desktop gives it (a help site in the
// browser). Tests install a recorder instead of opening anything.
#include <QString>
#include <QUrl>
#include <functional>

namespace desktop {

// False with a French reason when the desktop has nothing to open it with.
bool open(const QUrl& url, QString* error = nullptr);

// Tests: every open goes to `recorder` instead of the desktop. Empty restores the real one.
void setRecorder(std::function<bool(const QUrl&)> recorder);

} // namespace desktop
