#pragma once
// Opening a file or an address with the program the desktop gives it (a help site in the
// browser). Tests install a recorder instead of opening anything.
#include <QString>
#include <QUrl>
#include <functional>

namespace desktop {

// False with a French reason when the desktop has nothing to open it with.
bool open(const QUrl& url, QString* error = nullptr);

// Opens `url` and says, through `done` on this thread, whether the program that opens it really
// started: the desktop's opener (xdg-open) may be there and still find no browser. `done` gets
// true when the opener ended well or still runs after a moment (the browser then runs in its
// place), else false with the reason (French, with what the opener said).
void openThen(const QUrl& url, std::function<void(bool opened, const QString& error)> done);

// Tests: every open goes to `recorder` instead of the desktop. Empty restores the real one.
void setRecorder(std::function<bool(const QUrl&)> recorder);

} // namespace desktop
