#include "app/windows/StartUp.h"
#include "app/windows/TMainForm.h"
#include "app/windows/TSplash.h"
#include "platform/windows/Prompts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tyx Plumet"));
    // The platform's own dialogs speak French when Qt's French texts are installed.
    QTranslator platformTexts;
    if (platformTexts.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&platformTexts);

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
    return app.exec();
}
