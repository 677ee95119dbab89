#include "app/core/StartArguments.h"
#include "app/windows/StartUp.h"
#include "app/windows/TMainForm.h"
#include "app/windows/TSplash.h"
#include "platform/core/MemoryUse.h"
#include "platform/windows/Prompts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    memoryuse::keepLargeBuffers();
    // --help and --version answer on the terminal, before any window (or display) is needed.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    const startarguments::Request asked = startarguments::parse(given);
    if (asked.help || asked.version) {
        const QByteArray text = ((asked.help ? startarguments::usage() : startarguments::version()) + QLatin1Char('\n')).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return 0;
    }
    if (!asked.error.isEmpty()) {
        const QByteArray text = (asked.error + QLatin1Char('\n')).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tyx Plumet"));
    // The platform's own dialogs speak French when Qt's French texts are installed.
    QTranslator platformTexts;
    if (platformTexts.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&platformTexts);

    if (!asked.helpFile.isEmpty())
        return showHelpAlone(asked.helpFile, asked.context);

    auto splash = std::make_unique<TSplash>();
    splash->showNow();
    app.setProperty("helpFile", QStringLiteral("TYXHELP.HLP"));

    std::unique_ptr<TMainForm> mainForm;
    QString failure;
    try {
        mainForm = createWindows();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    splash.reset();
    if (!mainForm) {
        prompts().tell(nullptr, QStringLiteral("Tyx Plumet n'a pas pu créer ses fenêtres : %1").arg(failure),
            Prompts::Kind::Error);
        return 1;
    }
    mainForm->show();
    // The project named on the command line opens once the window is up, as Open would.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        QTimer::singleShot(0, mainForm.get(), [&mainForm, arguments] { mainForm->openAtStart(arguments); });
    return app.exec();
}
