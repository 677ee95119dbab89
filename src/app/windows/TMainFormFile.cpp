// The "&Fichier" menu: file commands, the closing question and the settings file.
#include "app/windows/TMainForm.h"

#include "app/core/WindowFit.h"
#include "app/windows/ShellPictures.h"
#include "app/windows/TAboutBox.h"
#include "publish/windows/BuildCommands.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/ExportCommand.h"
#include "publish/windows/ImportHelp.h"
#include "publish/windows/TFichTxt.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/TPopUp.h"
#include "platform/core/FrenchFormat.h"
#include "platform/core/TimeSource.h"
#include "platform/windows/Prompts.h"
#include "store/core/DocumentStore.h"
#include "store/core/TextRules.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QScreen>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QProgressDialog>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString ProjectFilter = QStringLiteral("Pages d'aide (*.hpa)|*.hpa|Tous les fichiers (*.*)|*.*");
const QString ProjectPattern = QStringLiteral("*.hpa");

} // namespace

bool TMainForm::askToSave()
{
    const QString text = QStringLiteral("Enregistrer changements dans '%1'?").arg(store::fileNamePart(CurrentFileName));
    switch (prompts().ask(this, text, Prompts::Buttons::YesNoCancel, Prompts::Kind::Confirmation)) {
    case Prompts::Answer::Cancel:
        return false;
    case Prompts::Answer::Yes:
        // A save the author declined lets the command go on; a save that failed keeps the document.
        return Save() != SaveResult::Failed;
    default:
        return true;
    }
}

void TMainForm::Nouveau1Click()
{
    editorCommand([this] {
        if (PagesHlp->TestModif() && !askToSave())
            return;
        CurrentFileName.clear();
        PagesHlp->Nouveau();
        setWindowTitle(QStringLiteral("Tyx Plumet")); // the old name no longer stands for this document
    });
}

void TMainForm::OpenItemClick()
{
    editorCommand([this] {
        openProject(prompts().openFileName(this, ProjectFilter, ProjectPattern));
    });
}

void TMainForm::SaveItemClick()
{
    editorCommand([this] { Save(); });
}

TMainForm::SaveResult TMainForm::Save()
{
    if (CurrentFileName.isEmpty())
        return SaveAs();
    CurrentFileName = store::projectFilePath(CurrentFileName);
    // A failure has shown the system's reason; nothing more to say.
    if (!PagesHlp->Sauve(CurrentFileName))
        return SaveResult::Failed;
    rememberProject();
    return SaveResult::Saved;
}

void TMainForm::Enregistrersous1Click()
{
    editorCommand([this] { SaveAs(); });
}

TMainForm::SaveResult TMainForm::SaveAs()
{
    if (!PagesHlp)
        return SaveResult::Declined;
    CurrentFileName.clear();
    const QString chosen = prompts().saveFileName(this, ProjectFilter, ProjectPattern, QStringLiteral("hpa"));
    if (chosen.isEmpty())
        return SaveResult::Declined;
    CurrentFileName = chosen;
    bool write = true;
    // The file the save writes: PROJET.HPA on disk is the one "projet" or "PROJET.hpa" replaces.
    if (QFileInfo::exists(store::projectFilePath(CurrentFileName)))
        write = prompts().ask(this, QStringLiteral("Ce fichier existe déjà"), Prompts::Buttons::OkCancel,
                    Prompts::Kind::Warning)
            == Prompts::Answer::Ok;
    SaveResult result = SaveResult::Declined;
    if (write)
        result = PagesHlp->Sauve(CurrentFileName) ? SaveResult::Saved : SaveResult::Failed;
    setFileCaption();
    if (result == SaveResult::Saved)
        rememberProject();
    return result;
}

void TMainForm::ExitItemClick()
{
    close();
}

// ---- Import, export and printing ----

void TMainForm::Importer1Click()
{
    editorCommand([this] { PagesHlp->Importer(); });
}

void TMainForm::ImporterAide1Click()
{
    // The imported project replaces the open one, as Open does: its changes are asked about first.
    editorCommand([this] {
        if (PagesHlp->TestModif() && !askToSave())
            return;
        openProject(ImporterAide(this));
    });
}

void TMainForm::Exporter1Click()
{
    editorCommand([this] {
        auto& d = PagesHlp->doc();
        ExportSource source;
        source.lines = &d.DocumentLines;
        source.pageCount = d.PageCount;
        source.popupCount = d.PopupCount;
        source.title = PagesHlp->titleLook();
        source.body = PagesHlp->bodyLook();
        source.projectFile = CurrentFileName.isEmpty() ? d.ProjectFileName
                                                       : store::projectFilePath(CurrentFileName);
        source.storePage = [this] { PagesHlp->EcritFiche(); };
        Exporter(this, source);
    });
}

void TMainForm::Imprimer1Click()
{
    // What the author sees is what prints: the page on screen is stored first.
    editorCommand([this] {
        PagesHlp->EcritFiche();
        const auto& d = PagesHlp->doc();
        Printer.Imprimer(this, d.DocumentLines, d.PageCount, PagesHlp->bodyLook());
    });
}

void TMainForm::Configurationimprimante1Click()
{
    modalCommand([this] { Printer.Configurationimprimante(this); });
}

// ---- Closing and the settings file ----

bool TMainForm::FormCloseQuery()
{
    bool go = true;
    editorCommand([this, &go] {
        if (PagesHlp->TestModif())
            go = askToSave();
    });
    return go;
}

void TMainForm::FormClose()
{
    SauveIni();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        if (!FormCloseQuery()) {
            event->ignore();
            return;
        }
        closed_ = true;
        FormClose();
    }
    event->accept();
}

void TMainForm::ChargeIni()
{
    shellsettings::Settings s;
    const QRect screenArea = screen()->availableGeometry();
    if (!shellsettings::readAtStart(StartDirectory.isEmpty() ? QDir::currentPath() : StartDirectory, s)) {
        // A first start: a size that fits the screen and the text, whatever the screen.
        const QFontMetrics fm(font());
        const QRect place = windowfit::firstPlace(screenArea, fm.averageCharWidth(), fm.lineSpacing());
        resize(place.size());
        move(place.topLeft());
        return;
    }
    HelpCompilerPath = s.helpCompilerPath;
    const QRect place = windowfit::keptOnScreen(QRect(s.left, s.top, s.width, s.height), screenArea);
    move(place.topLeft());
    resize(place.size());
    TextViewerPlace = s.textViewer;
    if (FichTxt)
        FichTxt->SetIni(s.textViewer.left, s.textViewer.top, s.textViewer.colour);
    WordWrap->setChecked(s.wordWrap);
    if (PagesHlp)
        PagesHlp->setWordWrap(s.wordWrap);
    HpjEditorPlace = s.hpjEditor;
    if (EditHpj)
        EditHpj->SetIni(s.hpjEditor.left, s.hpjEditor.top, s.hpjEditor.colour);
    if (PopUp)
        PopUp->SetIni(s.popupEditor.left, s.popupEditor.top, s.popupEditor.colour);
}

void TMainForm::SauveIni()
{
    if (!StartDirectory.isEmpty())
        QDir::setCurrent(StartDirectory); // the file dialogs may have moved it
    shellsettings::Settings s;
    s.helpCompilerPath = HelpCompilerPath;
    s.left = x();
    s.top = y();
    s.height = height();
    s.width = width();
    s.textViewer = TextViewerPlace;
    if (FichTxt) {
        int colour = 0;
        FichTxt->GetIni(s.textViewer.left, s.textViewer.top, colour);
        s.textViewer.colour = colour;
    }
    s.wordWrap = WordWrap->isChecked();
    s.hpjEditor = HpjEditorPlace;
    if (EditHpj) {
        int colour = 0;
        EditHpj->GetIni(s.hpjEditor.left, s.hpjEditor.top, colour);
        s.hpjEditor.colour = colour;
    }
    if (PopUp) {
        int colour = 0;
        PopUp->GetIni(s.popupEditor.left, s.popupEditor.top, colour);
        s.popupEditor.colour = colour;
    }
    // Settings lost without a word would come back wrong at the next start: say so.
    QString error;
    if (!shellsettings::writeAtExit(s, &error))
        prompts().tell(this,
            QStringLiteral("Les réglages n'ont pas pu être enregistrés dans « %1 » : %2")
                .arg(shellsettings::configFilePath(), error),
            Prompts::Kind::Warning);
}
