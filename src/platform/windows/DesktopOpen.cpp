#include "platform/windows/DesktopOpen.h"

#include "platform/core/Launcher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QTimer>
#include <memory>
#include <utility>

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

void openThen(const QUrl& url, std::function<void(bool opened, const QString& error)> done)
{
    const QString opener = recorder() ? QString() : launcher::findOnPath(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        QString error;
        const bool opened = open(url, &error);
        done(opened, error);
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    auto told = std::make_shared<bool>(false);
    const auto tell = [told, done](bool opened, const QString& error) {
        if (!std::exchange(*told, true))
            done(opened, error);
    };
    process->setProgram(opener);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, [process, tell](int code, QProcess::ExitStatus how) {
        const QString said = QString::fromLocal8Bit(process->readAllStandardError()).trimmed().section(QLatin1Char('\n'), 0, 0);
        if (how == QProcess::NormalExit && code == 0)
            tell(true, QString());
        else
            tell(false, said.isEmpty() ? QStringLiteral("xdg-open a échoué, code %1").arg(code) : said);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, tell](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        tell(false, QStringLiteral("impossible de lancer « %1 »").arg(process->program()));
        process->deleteLater();
    });
    // Some openers run the browser in their place until it is closed: still running means started.
    QTimer::singleShot(3000, process, [tell] { tell(true, QString()); });
    process->start();
}

void setRecorder(std::function<bool(const QUrl&)> r)
{
    recorder() = std::move(r);
}

} // namespace desktop
