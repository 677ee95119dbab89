// The menus, the toolbar and the status line of the main window.
#include "app/windows/TMainForm.h"

#include "app/windows/ShellPictures.h"
#include "app/windows/TAboutBox.h"
#include "publish/windows/BuildCommands.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "publish/windows/EditHpj.h"
#include "editor/windows/PagesHlp.h"
#include "platform/core/FrenchFormat.h"
#include "platform/core/TimeSource.h"
#include "platform/windows/Prompts.h"
#include "store/core/TextRules.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
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

void TMainForm::createMenus()
{
    MainMenu = menuBar();
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    using S = QKeySequence;

    Fichier1 = menu(QStringLiteral("Fichier1"), QStringLiteral("&Fichier"), 6);
    Nouveau1 = entry(Fichier1, QStringLiteral("Nouveau1"), QStringLiteral("&Nouveau"), S(),
        QStringLiteral("Nouveau projet d'aide"), &TMainForm::Nouveau1Click);
    OpenItem = entry(Fichier1, QStringLiteral("OpenItem"), QStringLiteral("&Ouvrir..."), S(Qt::CTRL | Qt::Key_O),
        QStringLiteral("Ouvrir un fichier"), &TMainForm::OpenItemClick);
    SaveItem = entry(Fichier1, QStringLiteral("SaveItem"), QStringLiteral("&Enregistrer"), S(Qt::CTRL | Qt::Key_S),
        QStringLiteral("Enregistrer le fichier en cours"), &TMainForm::SaveItemClick);
    Enregistrersous1 = entry(Fichier1, QStringLiteral("Enregistrersous1"), QStringLiteral("Enregistrer &sous..."), S(),
        QStringLiteral("Enregistrer le fichier sous un autre nom"), &TMainForm::Enregistrersous1Click);
    Fichier1->addSeparator();
    Importer1 = entry(Fichier1, QStringLiteral("Importer1"), QStringLiteral("Im&porter..."), S(),
        QStringLiteral("Importer fichier"), &TMainForm::Importer1Click);
    ImporterAide1 = entry(Fichier1, QStringLiteral("ImporterAide1"), QStringLiteral("Importer une &aide .hlp…"), S(),
        QStringLiteral("Faire un projet d'une aide .hlp"), &TMainForm::ImporterAide1Click);
    Exporter1 = entry(Fichier1, QStringLiteral("Exporter1"), QStringLiteral("E&xporter..."), S(),
        QStringLiteral("Exporter les pages"), &TMainForm::Exporter1Click);
    Fichier1->addSeparator();
    Imprimer1 = entry(Fichier1, QStringLiteral("Imprimer1"), QStringLiteral("&Imprimer..."), S(),
        QStringLiteral("Imprimer le document"), &TMainForm::Imprimer1Click);
    Configurationimprimante1 = entry(Fichier1, QStringLiteral("Configurationimprimante1"),
        QStringLiteral("&Configuration imprimante..."), S(), QStringLiteral("Configurer l'imprimante"),
        &TMainForm::Configurationimprimante1Click);
    Fichier1->addSeparator();
    ExitItem = entry(Fichier1, QStringLiteral("ExitItem"), QStringLiteral("&Quitter"), S(Qt::ALT | Qt::Key_X),
        QStringLiteral("Quitter l'application"), &TMainForm::ExitItemClick);

    Edition1 = menu(QStringLiteral("Edition1"), QStringLiteral("&Edition"), 7);
    Annuler1 = entry(Edition1, QStringLiteral("Annuler1"), QStringLiteral("&Annuler"), S(Qt::CTRL | Qt::Key_Z),
        QStringLiteral("Annuler la dernière modification"), &TMainForm::Annuler1Click);
    Retablir1 = entry(Edition1, QStringLiteral("Retablir1"), QStringLiteral("Réta&blir"), S(Qt::CTRL | Qt::Key_Y),
        QStringLiteral("Rétablir la modification annulée"), &TMainForm::Retablir1Click);
    Retablir1->setShortcuts({S(Qt::CTRL | Qt::Key_Y), S(QKeySequence::Redo)});
    Edition1->addSeparator();
    Copier1 = entry(Edition1, QStringLiteral("Copier1"), QStringLiteral("&Copier"), S(Qt::CTRL | Qt::Key_C),
        QStringLiteral("Copier dans le presse-papier"), &TMainForm::Copier1Click);
    Couper1 = entry(Edition1, QStringLiteral("Couper1"), QStringLiteral("Cou&per"), S(Qt::CTRL | Qt::Key_X),
        QStringLiteral("Couper"), &TMainForm::Couper1Click);
    Coller1 = entry(Edition1, QStringLiteral("Coller1"), QStringLiteral("C&oller"), S(Qt::CTRL | Qt::Key_V),
        QStringLiteral("Coller depuis le presse-papier"), &TMainForm::Coller1Click);
    CollerTexte1 = entry(Edition1, QStringLiteral("CollerTexte1"), QStringLiteral("Coller comme te&xte"),
        S(Qt::CTRL | Qt::SHIFT | Qt::Key_V), QStringLiteral("Coller le presse-papier comme du texte tapé"),
        &TMainForm::CollerTexte1Click);
    Toutslectionner1 = entry(Edition1, QStringLiteral("Toutslectionner1"), QStringLiteral("&Tout sélectionner"), S(),
        QStringLiteral("Tout sélectionner"), &TMainForm::Toutslectionner1Click);
    Edition1->addSeparator();
    Rechercher1 = entry(Edition1, QStringLiteral("Rechercher1"), QStringLiteral("&Rechercher..."), S(),
        QStringLiteral("Rechercher"), &TMainForm::Rechercher1Click);
    Continuer1 = entry(Edition1, QStringLiteral("Continuer1"), QStringLiteral("Co&ntinuer"), S(Qt::Key_F3),
        QStringLiteral("Continuer la rexherche"), &TMainForm::Continuer1Click);
    Remplacer1 = entry(Edition1, QStringLiteral("Remplacer1"), QStringLiteral("Re&mplacer..."), S(),
        QStringLiteral("Remplacer"), &TMainForm::Remplacer1Click);
    Edition1->addSeparator();
    WordWrap = entry(Edition1, QStringLiteral("WordWrap"), QStringLiteral("Retour à la ligne &auto"), S(),
        QStringLiteral("Valider retour à la ligne"), &TMainForm::Retouralaligneauto);
    WordWrap->setCheckable(true); // the entry reverses its own mark before the handler runs
    WordWrap->setChecked(true);   // the body wraps until the settings say otherwise: mark and body agree

    Rubriques1 = menu(QStringLiteral("Rubriques1"), QStringLiteral("&Rubriques"), 8);
    Prcdent1 = entry(Rubriques1, QStringLiteral("Prcdent1"), QStringLiteral("&Précédent           PgUp"), S(),
        QStringLiteral("Rubrique précédente"), &TMainForm::Button1Click);
    Suivant1 = entry(Rubriques1, QStringLiteral("Suivant1"), QStringLiteral("&Suivant                 PgDn"), S(),
        QStringLiteral("Rubrique suivante"), &TMainForm::Button2Click);
    Rubriques1->addSeparator();
    Ajouter1 = entry(Rubriques1, QStringLiteral("Ajouter1"), QStringLiteral("&Ajouter rubrique"), S(),
        QStringLiteral("Ajouter une page"), &TMainForm::Ajouter1Click);
    Supprimer1 = entry(Rubriques1, QStringLiteral("Supprimer1"), QStringLiteral("S&upprimer rubrique"), S(),
        QStringLiteral("Supprimer la page courante"), &TMainForm::Supprimer1Click);
    Rubriques1->addSeparator();
    Proprites1 = entry(Rubriques1, QStringLiteral("Proprites1"), QStringLiteral("P&ropriétes"), S(),
        QStringLiteral("Propriétés de la rubrique"), &TMainForm::Proprites1Click);
    Lienvoiraussi1 = entry(Rubriques1, QStringLiteral("Lienvoiraussi1"), QStringLiteral("Lien &voir aussi"), S(),
        QStringLiteral("Relier à une rubrique"), &TMainForm::Lienvoiraussi1Click);
    Supprimervoiraussi1 = entry(Rubriques1, QStringLiteral("Supprimervoiraussi1"),
        QStringLiteral("Supp&rimer voir aussi"), S(), QStringLiteral("Supprimer la rubrique"),
        &TMainForm::Supprimervoiraussi1Click);
    LienPopUp1 = entry(Rubriques1, QStringLiteral("LienPopUp1"), QStringLiteral("Lien Pop&Up"), S(),
        QStringLiteral("Lien vers une fenêtre PopUp"), &TMainForm::LienPopUp1Click);
    ModifierPopUp1 = entry(Rubriques1, QStringLiteral("ModifierPopUp1"), QStringLiteral("&Modifier PopUp"), S(),
        QStringLiteral("Modifier PopUp"), &TMainForm::ModifierPopUp1Click);
    Rubriques1->addSeparator();
    Liste1 = entry(Rubriques1, QStringLiteral("Liste1"), QStringLiteral("&Liste des rubriques"), S(Qt::Key_F2),
        QStringLiteral("Montrer la liste des pages"), &TMainForm::Liste1Click);
    Hirarchie1 = entry(Rubriques1, QStringLiteral("Hirarchie1"), QStringLiteral("&Hiérarchie"), S(),
        QStringLiteral("Hiérarchie des rubriques"), &TMainForm::Hirachie1Click);
    VoirPopups1 = entry(Rubriques1, QStringLiteral("VoirPopups1"), QStringLiteral("Liste des &PopUp"), S(),
        QStringLiteral("Voir la liste des rubriques PopUp"), &TMainForm::VoirPopups1Click);

    Projet1 = menu(QStringLiteral("Projet1"), QStringLiteral("&Projet"), 9);
    Options1 = entry(Projet1, QStringLiteral("Options1"), QStringLiteral("&Options..."), S(),
        QStringLiteral("Options du projet"), &TMainForm::Options1Click);
    Projet1->addSeparator();
    Ouvrirunfichier1 = entry(Projet1, QStringLiteral("Ouvrirunfichier1"), QStringLiteral("Ouvrir &fichier texte..."),
        S(), QStringLiteral("Ouvrir un fichier texte"), &TMainForm::Ouvrirunfichier1Click);
    Insreruneimage1 = entry(Projet1, QStringLiteral("Insreruneimage1"), QStringLiteral("&Insérer une image..."), S(),
        QStringLiteral("Insérer une image"), &TMainForm::Insreruneimage1Click);
    Projet1->addSeparator();
    ImprimerTitresetn1 = entry(Projet1, QStringLiteral("ImprimerTitresetn1"),
        QStringLiteral("Imprimer &titres et numéros"), S(),
        QStringLiteral("Imprimer les numéros de contexte associé au titre"), &TMainForm::ImprimerTitresetn1Click);
    Editerfichierhpj1 = entry(Projet1, QStringLiteral("Editerfichierhpj1"), QStringLiteral("&Editer fichier projet"),
        S(), QStringLiteral("Editer fichier hpj"), &TMainForm::Editerfichierhpj1Click);

    Compiler1 = menu(QStringLiteral("Compiler1"), QStringLiteral("&Compiler"), 10);
    Fixerlecompilateur1 = entry(Compiler1, QStringLiteral("Fixerlecompilateur1"),
        QStringLiteral("&Fixer compilateur..."), S(), QStringLiteral("Indiquer le chemin du compilateur"),
        &TMainForm::Fixerlecompilateur1Click);
    Compiler2 = entry(Compiler1, QStringLiteral("Compiler2"), QStringLiteral("&Créer ficher HLP"), S(Qt::Key_F9),
        QStringLiteral("Créer le fichier d'aide"), &TMainForm::Compiler2Click);
    voirfichierhlp1 = entry(Compiler1, QStringLiteral("voirfichierhlp1"), QStringLiteral("&Voir fichier HLP"), S(),
        QStringLiteral("voir avec Winhelp"), &TMainForm::voirfichierhlp1Click);
    CreerAideHtml1 = entry(Compiler1, QStringLiteral("CreerAideHtml1"), QStringLiteral("Créer l'aide &HTML"), S(),
        QStringLiteral("Créer l'aide en HTML et l'ouvrir dans le navigateur"), &TMainForm::CreerAideHtml1Click);
    CreerAideChm1 = entry(Compiler1, QStringLiteral("CreerAideChm1"), QStringLiteral("Créer l'aide CH&M"), S(),
        QStringLiteral("Créer l'aide HTML compilée (.chm) que Windows ouvre seul"), &TMainForm::CreerAideChm1Click);

    Style1 = menu(QStringLiteral("Style1"), QStringLiteral("&Style"), 11);
    Gras1 = entry(Style1, QStringLiteral("Gras1"), QStringLiteral("&Gras"), S(), QStringLiteral("Caractère gras"),
        &TMainForm::Gras1Click);
    Italique1 = entry(Style1, QStringLiteral("Italique1"), QStringLiteral("&Italique"), S(),
        QStringLiteral("Caractère italique"), &TMainForm::Italique1Click);
    Soulign1 = entry(Style1, QStringLiteral("Soulign1"), QStringLiteral("&Souligné"), S(), QString(),
        &TMainForm::Soulign1Click);
    Encadrer1 = entry(Style1, QStringLiteral("Encadrer1"), QStringLiteral("&Encadrer"), S(),
        QStringLiteral("Encadrer paragraphe"), &TMainForm::Encadrer1Click);
    Centrer1 = entry(Style1, QStringLiteral("Centrer1"), QStringLiteral("&Centrer"), S(),
        QStringLiteral("Center texte ou image"), &TMainForm::Centrer1Click);
    Habiller1 = new QMenu(QStringLiteral("&Habiller"), Style1);
    Habiller1->setObjectName(QStringLiteral("Habiller1"));
    Habiller1->setProperty("helpContext", 11);
    Habiller1->menuAction()->setObjectName(QStringLiteral("Habiller1"));
    Habiller1->menuAction()->setStatusTip(QStringLiteral("Habiller image par du texte"));
    Habiller1->menuAction()->setProperty("helpContext", 11);
    Style1->addMenu(Habiller1);
    Imagegauche1 = entry(Habiller1, QStringLiteral("Imagegauche1"), QStringLiteral("Image à &gauche"), S(),
        QStringLiteral("Imagecadrée à gauche"), &TMainForm::Imagegauche1Click);
    Imagedroite1 = entry(Habiller1, QStringLiteral("Imagedroite1"), QStringLiteral("Image à &droite"), S(),
        QStringLiteral("Image cadrée à droite"), &TMainForm::Imagedroite1Click);
    Imagecommecaractre1 = entry(Habiller1, QStringLiteral("Imagecommecaractre1"),
        QStringLiteral("Image comme &caractère"), S(), QStringLiteral("Insérer une image comme un caractère"),
        &TMainForm::Imagecommecaractre1Click);

    Utilitaires1 = menu(QStringLiteral("Utilitaires1"), QStringLiteral("&Utilitaires"), 12);
    Calendrier1 = entry(Utilitaires1, QStringLiteral("Calendrier1"), QStringLiteral("&Calendrier"), S(),
        QStringLiteral("Calendrier"), &TMainForm::Calendrier1Click);
    Calculatrice1 = entry(Utilitaires1, QStringLiteral("Calculatrice1"), QStringLiteral("C&alculatrice"), S(),
        QStringLiteral("Calculatrice"), &TMainForm::Calculatrice1Click);
    Horloge1 = entry(Utilitaires1, QStringLiteral("Horloge1"), QStringLiteral("&Horloge"), S(),
        QStringLiteral("Horloge"), &TMainForm::Horloge1Click);

    Aide1 = menu(QStringLiteral("Aide1"), QStringLiteral("&Aide"), 13);
    HelpContents = entry(Aide1, QStringLiteral("HelpContents"), QStringLiteral("&Index"), S(),
        QStringLiteral("Sommaire de l'aide"), &TMainForm::HContents);
    HelpSearch = entry(Aide1, QStringLiteral("HelpSearch"), QStringLiteral("&Rechercher"), S(),
        QStringLiteral("Rechercher un mot clé"), &TMainForm::HSearch);
    HelpHowToUse = entry(Aide1, QStringLiteral("HelpHowToUse"), QStringLiteral("&Utiliser l'aide"), S(),
        QStringLiteral("Aide sur l'aide"), &TMainForm::HowToUse);
    Aide1->addSeparator();
    About1 = entry(Aide1, QStringLiteral("About1"), QStringLiteral("&A propos"), S(),
        QStringLiteral("Informations sur le logiciel"), &TMainForm::About1Click);
}

QToolButton* TMainForm::button(const QString& name, const QString& hint, shellpictures::Glyph glyph, void (TMainForm::*handler)())
{
    auto* b = new QToolButton(SpeedPanel);
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(25, 25);
    b->setIcon(shellpictures::glyph(glyph));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAccessibleName(hint); // a picture alone says nothing to a screen reader
    connect(b, &QToolButton::clicked, this, handler);
    SpeedPanel->addWidget(b);
    return b;
}

void TMainForm::createSpeedPanel()
{
    SpeedPanel = new QToolBar(this);
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setMovable(false);
    SpeedPanel->setFloatable(false);
    SpeedPanel->setFixedHeight(28);
    SpeedPanel->setIconSize(QSize(16, 16));
    SpeedPanel->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, SpeedPanel);

    const auto gap = [this] {
        auto* g = new QWidget(SpeedPanel);
        g->setObjectName(QStringLiteral("SpeedPanelGap"));
        g->setFixedSize(8, 25);
        SpeedPanel->addWidget(g);
    };
    using G = shellpictures::Glyph;
    FileNew1Btn = button(QStringLiteral("FileNew1Btn"), QStringLiteral("Nouveau"), G::NewFile, &TMainForm::Nouveau1Click);
    OpenBtn = button(QStringLiteral("OpenBtn"), QStringLiteral("Ouvrir"), G::Open, &TMainForm::OpenItemClick);
    SaveBtn = button(QStringLiteral("SaveBtn"), QStringLiteral("Enregistrer"), G::Save, &TMainForm::SaveItemClick);
    gap();
    CopyBtn = button(QStringLiteral("CopyBtn"), QStringLiteral("Copier"), G::Copy, &TMainForm::Copier1Click);
    PasteBtn = button(QStringLiteral("PasteBtn"), QStringLiteral("Coller"), G::Paste, &TMainForm::Coller1Click);
    gap();
    SpeedButton3 = button(QStringLiteral("SpeedButton3"), QStringLiteral("Premier"), G::First, &TMainForm::SpeedButton3Click);
    SpeedButton4 = button(QStringLiteral("SpeedButton4"), QStringLiteral("Précédent"), G::Previous, &TMainForm::SpeedButton4Click);
    SpeedButton5 = button(QStringLiteral("SpeedButton5"), QStringLiteral("Suivant"), G::Next, &TMainForm::SpeedButton5Click);
    SpeedButton6 = button(QStringLiteral("SpeedButton6"), QStringLiteral("Dernier"), G::Last, &TMainForm::SpeedButton6Click);
    gap();
    SpeedButton7 = button(QStringLiteral("SpeedButton7"), QStringLiteral("Ajouter rubrique"), G::AddPage, &TMainForm::Ajouter1Click);
    SpeedButton8 = button(QStringLiteral("SpeedButton8"), QStringLiteral("Supprimer rubrique"), G::DeletePage, &TMainForm::Supprimer1Click);
    gap();
    SpeedButton1 = button(QStringLiteral("SpeedButton1"), QStringLiteral("Compiler"), G::Compile, &TMainForm::Compiler2Click);
    SpeedButton2 = button(QStringLiteral("SpeedButton2"), QStringLiteral("Voir fichier hlp"), G::ViewHelp, &TMainForm::voirfichierhlp1Click);
}

void TMainForm::createStatusLine()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(28);
    setStatusBar(StatusBar);

    Panel1 = new QLabel(StatusBar);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(82);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar->addPermanentWidget(Panel1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
    Timer1Timer();
}
