#pragma once
// The main frame window: menus, toolbar, status line with its clock, the topic editor as its one
// maximised child, the file commands, the unsaved-changes question and the settings file.
#include "app/core/RecentProjects.h"
#include "app/core/ShellSettings.h"
#include "app/windows/ShellPictures.h"
#include "publish/core/OwnHelp.h"
#include "publish/windows/BuildCommands.h"
#include "publish/windows/Printing.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenuBar;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class CompileJob;
namespace hlp {
struct CompileResult;
}
class QProgressDialog;
class TAboutBox;
class TCompileReport;
class TEditHpj;
class TFichTxt;
class TFixerHcp;
class TOptions;
class TPagesHlp;
class TPageListe;
class TPageOut;
class TLienAussi;
class TPropriete;
class TLstPopUp;
class TPopUp;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    // Puts the topic editor in as the one child, maximised, without close or size buttons.
    void attachPagesHlp(TPagesHlp* pages);

    // Shell state.
    QString CurrentFileName;
    QString HelpCompilerPath;
    QString StartDirectory;

    // Windows made at start-up after this one; all are children of this window.
    TPagesHlp* PagesHlp = nullptr;
    TAboutBox* AboutBox = nullptr;
    QDialog* Calendrier = nullptr;
    QDialog* Horloge = nullptr;
    QDialog* Pocket = nullptr;
    TFixerHcp* FixerHcp = nullptr;
    TOptions* Options = nullptr;
    TEditHpj* EditHpj = nullptr;
    TCompileReport* CompileReport = nullptr;
    // Page index, hierarchy, see-also picker and properties (made in start-up order).
    TPageListe* PageListe = nullptr;
    TPageOut* PageOut = nullptr;
    TLienAussi* LienAussi = nullptr;
    TPropriete* Propriete = nullptr;

    // Popup editor and popup list.
    TPopUp* PopUp = nullptr;
    TLstPopUp* LstPopUp = nullptr;

    // Find and replace dialogs, text viewer, printing. The find and replace dialogs belong to the
    // topic editor (PagesHlp->FindDialog1, PagesHlp->ReplaceDialog1).
    TFichTxt* FichTxt = nullptr;
    Printing Printer;


    // The build, view and help commands; `Build` runs the built-in compiler through `Compilation`.
    BuildCommands Build;
    CompileJob* Compilation = nullptr;

    // Settings lines of the remembered windows, kept as read (bounds applied) and written back at
    // exit while the window itself is not there to give and take them (the popup editor takes its own).
    shellsettings::WindowPlace TextViewerPlace;
    shellsettings::WindowPlace HpjEditorPlace;

    // The built-in compiler is done: status line, and the messages window when there is anything to read.
    void compileFinished(const hlp::CompileResult& result);

    void ChargeIni();
    void SauveIni();
    // How a save ended: written, declined by the author (a dialog cancelled), or failed.
    enum class SaveResult { Saved, Declined, Failed };
    SaveResult SaveAs();
    // The closing question; false keeps the window open.
    bool FormCloseQuery();
    void FormClose();
    // Runs once when the window is first shown (also callable by tests).
    void FormShow();

    // The command line's project, opened as Open opens a chosen file; further names are answered.
    void openAtStart(const QStringList& arguments);
    // The last projects opened or saved, listed in "&Fichier" above "&Quitter".
    RecentProjects Recent;
    QAction* RecentItems[RecentProjects::Capacity] = {};
    QAction* RecentSeparator = nullptr;
    void refreshRecent();
    void openRecent(int index);

    // Where the program's own help is looked for; the start directory is added when it is known.
    publish::ownhelp::Places HelpPlaces;
    // The program's own help file as found, or its name in the start directory when none is.
    QString ownHelpFile() const;
    // The folder of its HTML help as found, or empty.
    QString ownHtmlHelp() const;
    // F1: the own help at `context` (0: its contents).
    void helpOnContext(int context);
    // The dialogs made at start-up take the help context of the menu that opens them.
    void assignHelpContexts();

    // Controls.
    QMenuBar* MainMenu = nullptr;
    QToolBar* SpeedPanel = nullptr;
    QMdiArea* ClientArea = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* Panel1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Menus.
    QMenu* Fichier1 = nullptr;
    QMenu* Edition1 = nullptr;
    QMenu* Rubriques1 = nullptr;
    QMenu* Projet1 = nullptr;
    QMenu* Compiler1 = nullptr;
    QMenu* Style1 = nullptr;
    QMenu* Habiller1 = nullptr;
    QMenu* Utilitaires1 = nullptr;
    QMenu* Aide1 = nullptr;

    // Entries.
    QAction* Nouveau1 = nullptr;
    QAction* OpenItem = nullptr;
    QAction* SaveItem = nullptr;
    QAction* Enregistrersous1 = nullptr;
    QAction* Importer1 = nullptr;
    QAction* ImporterAide1 = nullptr;
    QAction* Exporter1 = nullptr;
    QAction* Imprimer1 = nullptr;
    QAction* Configurationimprimante1 = nullptr;
    QAction* ExitItem = nullptr;
    QAction* Annuler1 = nullptr;
    QAction* Retablir1 = nullptr;
    QAction* Copier1 = nullptr;
    QAction* Couper1 = nullptr;
    QAction* Coller1 = nullptr;
    QAction* CollerTexte1 = nullptr;
    QAction* Toutslectionner1 = nullptr;
    QAction* Rechercher1 = nullptr;
    QAction* Continuer1 = nullptr;
    QAction* Remplacer1 = nullptr;
    QAction* WordWrap = nullptr;
    QAction* Prcdent1 = nullptr;
    QAction* Suivant1 = nullptr;
    QAction* Ajouter1 = nullptr;
    QAction* Supprimer1 = nullptr;
    QAction* Proprites1 = nullptr;
    QAction* Lienvoiraussi1 = nullptr;
    QAction* Supprimervoiraussi1 = nullptr;
    QAction* LienPopUp1 = nullptr;
    QAction* ModifierPopUp1 = nullptr;
    QAction* Liste1 = nullptr;
    QAction* Hirarchie1 = nullptr;
    QAction* VoirPopups1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* Ouvrirunfichier1 = nullptr;
    QAction* Insreruneimage1 = nullptr;
    QAction* ImprimerTitresetn1 = nullptr;
    QAction* Editerfichierhpj1 = nullptr;
    QAction* Fixerlecompilateur1 = nullptr;
    QAction* Compiler2 = nullptr;
    QAction* CreerAideHtml1 = nullptr;
    QAction* CreerAideChm1 = nullptr;
    QAction* voirfichierhlp1 = nullptr;
    QAction* Gras1 = nullptr;
    QAction* Italique1 = nullptr;
    QAction* Soulign1 = nullptr;
    QAction* Encadrer1 = nullptr;
    QAction* Centrer1 = nullptr;
    QAction* Imagegauche1 = nullptr;
    QAction* Imagedroite1 = nullptr;
    QAction* Imagecommecaractre1 = nullptr;
    QAction* Calendrier1 = nullptr;
    QAction* Calculatrice1 = nullptr;
    QAction* Horloge1 = nullptr;
    QAction* HelpContents = nullptr;
    QAction* HelpSearch = nullptr;
    QAction* HelpHowToUse = nullptr;
    QAction* About1 = nullptr;

    // Toolbar buttons, left to right.
    QToolButton* FileNew1Btn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PasteBtn = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;

public Q_SLOTS:
    void ShowHint(const QString& hint);
    void Timer1Timer();

    // "&Fichier"
    void Nouveau1Click();
    void OpenItemClick();
    void SaveItemClick();
    void Enregistrersous1Click();
    void Importer1Click();
    void ImporterAide1Click();
    void Exporter1Click();
    void Imprimer1Click();
    void Configurationimprimante1Click();
    void ExitItemClick();
    // "&Edition"
    void Annuler1Click();
    void Retablir1Click();
    void Copier1Click();
    void Couper1Click();
    void Coller1Click();
    void CollerTexte1Click();
    void Toutslectionner1Click();
    void Rechercher1Click();
    void Continuer1Click();
    void Remplacer1Click();
    void Retouralaligneauto();
    // "&Rubriques"
    void Button1Click();
    void Button2Click();
    void Ajouter1Click();
    void Supprimer1Click();
    void Proprites1Click();
    void Lienvoiraussi1Click();
    void Supprimervoiraussi1Click();
    void LienPopUp1Click();
    void ModifierPopUp1Click();
    void Liste1Click();
    void Hirachie1Click();
    void VoirPopups1Click();
    // "&Projet"
    void Options1Click();
    void Ouvrirunfichier1Click();
    void Insreruneimage1Click();
    void ImprimerTitresetn1Click();
    void Editerfichierhpj1Click();
    // "&Compiler"
    void Fixerlecompilateur1Click();
    void Compiler2Click();
    void voirfichierhlp1Click();
    void CreerAideHtml1Click();
    void CreerAideChm1Click();
    // "&Style"
    void Gras1Click();
    void Italique1Click();
    void Soulign1Click();
    void Encadrer1Click();
    void Centrer1Click();
    void Imagegauche1Click();
    void Imagedroite1Click();
    void Imagecommecaractre1Click();
    // "&Utilitaires"
    void Calendrier1Click();
    void Calculatrice1Click();
    void Horloge1Click();
    // "&Aide"
    void HContents();
    void HSearch();
    void HowToUse();
    void About1Click();
    // Toolbar buttons without a menu entry of their own.
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createMenus();
    void createSpeedPanel();
    void createStatusLine();
    QMenu* menu(const QString& name, const QString& caption, int helpContext);
    QAction* entry(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
        const QString& hint, void (TMainForm::*handler)());
    QToolButton* button(const QString& name, const QString& hint, shellpictures::Glyph glyph, void (TMainForm::*handler)());
    // Runs `command` on the topic editor as one command (nothing when there is no editor).
    void editorCommand(const std::function<void()>& command);
    // Runs a command that shows a modal window, with or without the editor.
    void modalCommand(const std::function<void()>& command);
    void showTool(QDialog* tool);
    SaveResult Save();
    // The unsaved-changes question; Yes saves. False when the user cancelled.
    bool askToSave();
    void setFileCaption();
    void createRecentEntries();
    void createHelpKey();
    // Open's steps after the dialog: the name takes ".hpa", the file is loaded, the caption follows.
    void openProject(const QString& chosen);
    void rememberProject();
    void status(const QString& message);

    // Shown while the built-in compiler or the HTML help runs, when it takes more than a moment.
    void showProgress(const QString& text);
    // The help site (or the .chm) written from the build set on the compile thread.
    void startHelpOutput(bool chm);
    QProgressDialog* progress_ = nullptr;
    // The .hpj and .rtf of the build being compiled: put back when the compile fails.
    std::shared_ptr<safefile::FileSet> buildFiles_;
    QString htmlSite_; // the HTML help being written: opened in the browser once written
    QString chmFile_;  // the compiled HTML help being written
    QStringList buildWarnings_; // the last build's warnings, shown with the compiler's messages

    QMdiSubWindow* pagesWindow_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
};
