#include "platform/core/Launcher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
std::function<bool(const launcher::Start&)>& recorder()
{
    static std::function<bool(const launcher::Start&)> r;
    return r;
}
} // namespace

namespace launcher {

QString findOnPath(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

Start resolve(const Start& s)
{
#ifndef Q_OS_WIN
    if (s.program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        const QString wine = findOnPath(QStringLiteral("wine"));
        if (!wine.isEmpty()) {
            Start w = s;
            w.program = wine;
            w.arguments.prepend(s.program);
            return w;
        }
    }
#endif
    return s;
}

bool start(const Start& s, QString* error)
{
    if (recorder())
        return recorder()(s);
    const Start r = resolve(s);
    if (r.program.isEmpty()) {
        if (error)
            *error = QStringLiteral("Aucun programme à lancer.");
        return false;
    }
    if (!QProcess::startDetached(r.program, r.arguments, r.workingDirectory)) {
        if (error)
            *error = QStringLiteral("Impossible de lancer « %1 ».").arg(r.program);
        return false;
    }
    return true;
}

void setRecorder(std::function<bool(const Start&)> r)
{
    recorder() = std::move(r);
}

} // namespace launcher
