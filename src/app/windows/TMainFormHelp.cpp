// The program's own help: where it is found, and F1 on menus, fields and windows.
#include "app/windows/TMainForm.h"

#include "app/windows/HelpKey.h"
#include "publish/core/OwnHelp.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/FixerHcp.h"
#include "publish/windows/Options.h"
#include "publish/windows/TCompileReport.h"
#include "app/windows/TAboutBox.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/SearchDialogs.h"
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "editor/windows/Propriete.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QDialog>
#include <QStatusBar>
#include <utility>

#ifndef TYX_DATA_FROM_BINDIR
#define TYX_DATA_FROM_BINDIR "../share/tyxplumet"
#endif
#ifndef TYX_INSTALLED_DATA
#define TYX_INSTALLED_DATA "/usr/local/share/tyxplumet"
#endif

void TMainForm::createHelpKey()
{
    HelpPlaces.executableDirectory = QCoreApplication::applicationDirPath();
    HelpPlaces.dataFromExecutable = QStringLiteral(TYX_DATA_FROM_BINDIR);
    HelpPlaces.installedData = QStringLiteral(TYX_INSTALLED_DATA);
    new HelpKey([this](int context) { helpOnContext(context); }, this);
}

namespace {

QStringList helpFolders(publish::ownhelp::Places places, const QString& startDirectory)
{
    places.startDirectory = startDirectory.isEmpty() ? QDir::currentPath() : startDirectory;
    return publish::ownhelp::searchFolders(places);
}

} // namespace

QString TMainForm::ownHelpFile() const
{
    const QStringList folders = helpFolders(HelpPlaces, StartDirectory);
    const QString found = publish::ownhelp::find(folders, publish::ownhelp::HlpName);
    return found.isEmpty() ? BuildCommands::ownHelpFile(folders.value(0)) : found;
}

QString TMainForm::ownHtmlHelp() const
{
    return publish::ownhelp::find(helpFolders(HelpPlaces, StartDirectory), publish::ownhelp::HtmlFolderName, true);
}

void TMainForm::helpOnContext(int context)
{
    if (OutsideViewer || !QFileInfo::exists(ownHelpFile())) {
        status(Build.HelpContext(ownHelpFile(), ownHtmlHelp(), context).message);
        return;
    }
    viewHelp(ownHelpFile(), context > 0 ? QString::number(context) : QString());
}

void TMainForm::assignHelpContexts()
{
    QWidget* find = PagesHlp ? PagesHlp->FindDialog1 : nullptr;
    QWidget* replace = PagesHlp ? PagesHlp->ReplaceDialog1 : nullptr;
    const std::pair<QWidget*, int> dialogs[] = {
        {find, 7}, {replace, 7},
        {PageListe, 8}, {PageOut, 8}, {LienAussi, 8}, {Propriete, 8}, {PopUp, 8}, {LstPopUp, 8},
        {FixerHcp, 10}, {CompileReport, 10}, {Options, 9}, {EditHpj, 9},
        {Calendrier, 12}, {Horloge, 12}, {Pocket, 12}, {AboutBox, 13},
    };
    for (const auto& [dialog, context] : dialogs) {
        if (dialog && !dialog->property("helpContext").isValid())
            dialog->setProperty("helpContext", context);
    }
}
