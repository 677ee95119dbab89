#include "platform/windows/DesktopOpen.h"

#include <QDesktopServices>

namespace {
std::function<bool(const QUrl&)>& recorder()
{
    static std::function<bool(const QUrl&)> r;
    return r;
}
} // namespace

namespace desktop {

bool open(const QUrl& url, QString* error)
{
    if (recorder())
        return recorder()(url);
    if (QDesktopServices::openUrl(url))
        return true;
    if (error)
        *error = QStringLiteral("Aucun programme n'est associé à « %1 » sur ce bureau.")
                     .arg(url.isLocalFile() ? url.toLocalFile() : url.toString());
    return false;
}

void setRecorder(std::function<bool(const QUrl&)> r)
{
    recorder() = std::move(r);
}

} // namespace desktop
