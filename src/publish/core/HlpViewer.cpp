#include "publish/core/HlpViewer.h"

#include <QProcess>
#include <QStandardPaths>

namespace publish::hlpviewer {

Probe systemProbe()
{
    Probe p;
    p.findProgram = [](const QString& name) { return QStandardPaths::findExecutable(name); };
    p.queryOutput = [](const QString& program, const QStringList& arguments) {
        QProcess q;
        q.start(program, arguments, QIODevice::ReadOnly);
        // A query that hangs must not freeze the window: give up after a few seconds.
        if (!q.waitForFinished(5000)) {
            q.kill();
            q.waitForFinished(1000);
            return QString();
        }
        return QString::fromLocal8Bit(q.readAllStandardOutput());
    };
    return p;
}

Viewer find(const Probe& probe)
{
    Viewer v;
    const QString xdgMime = probe.findProgram(QStringLiteral("xdg-mime"));
    const QString xdgOpen = probe.findProgram(QStringLiteral("xdg-open"));
    if (!xdgMime.isEmpty() && !xdgOpen.isEmpty()) {
        const QString app = probe.queryOutput(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), HlpMimeType})
                                .trimmed();
        if (!app.isEmpty()) {
            v.kind = Kind::Desktop;
            v.program = xdgOpen;
            return v;
        }
    }
    const QString winhlp = probe.findProgram(QStringLiteral("winhlp32"));
    if (!winhlp.isEmpty()) {
        v.kind = Kind::WinHelp;
        v.program = winhlp;
        return v;
    }
    const QString wine = probe.findProgram(QStringLiteral("wine"));
    if (!wine.isEmpty()) {
        v.kind = Kind::WinHelp;
        v.program = wine;
        v.leadingArguments = QStringList{QStringLiteral("winhlp32")};
        return v;
    }
    v.reason = QStringLiteral("Aucun programme n'est associé aux fichiers .hlp : "
                              "pas d'application par défaut sur le bureau et Wine n'est pas installé.");
    return v;
}

launcher::Start call(const Viewer& viewer, const QStringList& arguments, const QString& folder)
{
    return {viewer.program, viewer.leadingArguments + arguments, folder};
}

} // namespace publish::hlpviewer
