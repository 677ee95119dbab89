// The "&Edition" and "&Rubriques" menus and the navigation buttons.
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

void TMainForm::Annuler1Click()
{
    if (PagesHlp)
        PagesHlp->Annuler();
}

void TMainForm::Retablir1Click()
{
    if (PagesHlp)
        PagesHlp->Retablir();
}

void TMainForm::CollerTexte1Click()
{
    editorCommand([this] { PagesHlp->CollerTexte(); });
}

void TMainForm::Copier1Click()
{
    editorCommand([this] { PagesHlp->Copier(); });
}

void TMainForm::Couper1Click()
{
    editorCommand([this] { PagesHlp->Couper(); });
}

void TMainForm::Coller1Click()
{
    editorCommand([this] { PagesHlp->Coller(); });
}

void TMainForm::Toutslectionner1Click()
{
    editorCommand([this] { PagesHlp->Selection(); });
}

void TMainForm::Retouralaligneauto()
{
    if (PagesHlp)
        PagesHlp->setWordWrap(WordWrap->isChecked());
}

// ---- Search and replace ----

void TMainForm::Rechercher1Click()
{
    editorCommand([this] { PagesHlp->Chercher(); });
}

void TMainForm::Continuer1Click()
{
    editorCommand([this] { PagesHlp->Continuer(); });
}

void TMainForm::Remplacer1Click()
{
    editorCommand([this] { PagesHlp->Remplacer(); });
}

// ---- Rubriques ----

void TMainForm::Button1Click()
{
    editorCommand([this] { PagesHlp->Precedent(); });
}

void TMainForm::Button2Click()
{
    editorCommand([this] { PagesHlp->Suivant(); });
}

void TMainForm::SpeedButton3Click()
{
    editorCommand([this] { PagesHlp->Premier(); });
}

void TMainForm::SpeedButton4Click()
{
    Button1Click();
}

void TMainForm::SpeedButton5Click()
{
    Button2Click();
}

void TMainForm::SpeedButton6Click()
{
    editorCommand([this] { PagesHlp->Dernier(); });
}

void TMainForm::Ajouter1Click()
{
    editorCommand([this] { PagesHlp->Ajout(); });
}

void TMainForm::Supprimer1Click()
{
    editorCommand([this] { PagesHlp->Supprime(); });
}

// ---- Page index, hierarchy, see-also and properties ----

void TMainForm::Liste1Click()
{
    editorCommand([this] { PagesHlp->Index(); });
}

void TMainForm::Hirachie1Click()
{
    editorCommand([this] { PagesHlp->Niveaux(); });
}

void TMainForm::Proprites1Click()
{
    editorCommand([this] { PagesHlp->Proprietes(); });
}

void TMainForm::Lienvoiraussi1Click()
{
    editorCommand([this] { PagesHlp->VoirAussi(); });
}

void TMainForm::Supprimervoiraussi1Click()
{
    editorCommand([this] { PagesHlp->SupVa(); });
}

// ---- Popups ----

void TMainForm::LienPopUp1Click()
{
    editorCommand([this] { PagesHlp->LienPopUp(); });
}

void TMainForm::ModifierPopUp1Click()
{
    editorCommand([this] { PagesHlp->ModifPopUp(); });
}

void TMainForm::VoirPopups1Click()
{
    editorCommand([this] { PagesHlp->ListePopUp(); });
}
