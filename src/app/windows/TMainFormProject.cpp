// The "&Projet", "&Compiler", "&Style", "&Utilitaires" and "&Aide" menus.
#include "app/windows/TMainForm.h"

#include "app/windows/ShellPictures.h"
#include "app/windows/TAboutBox.h"
#include "publish/core/BuildNames.h"
#include "publish/windows/BuildCommands.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/TFichTxt.h"
#include "editor/windows/PagesHlp.h"
#include "platform/core/FrenchFormat.h"
#include "platform/core/SafeFile.h"
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
#include <QPointer>
#include <QProgressDialog>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <utility>

void TMainForm::Options1Click()
{
    editorCommand([this] { PagesHlp->Opt(); });
}

void TMainForm::Editerfichierhpj1Click()
{
    if (!EditHpj || !PagesHlp)
        return;
    editorCommand([this] {
        PagesHlp->setStepLabel(QStringLiteral("fichier projet"));
        auto& d = PagesHlp->doc();
        QString message;
        if (BuildCommands::Edithpj1(*EditHpj, d.DocumentLines, d.PageCount, d.ProjectFileName, &message))
            d.DocumentModified = true;
        status(message);
    });
}

// ---- Text viewer and title printing ----

void TMainForm::Ouvrirunfichier1Click()
{
    if (FichTxt)
        modalCommand([this] { OuvreTxt(this, *FichTxt); });
}

void TMainForm::ImprimerTitresetn1Click()
{
    editorCommand([this] {
        PagesHlp->EcritFiche();
        const auto& d = PagesHlp->doc();
        Printer.ImpTitres(this, d.DocumentLines, d.PageCount, PagesHlp->bodyLook());
    });
}

// ---- Style and pictures ----

void TMainForm::Insreruneimage1Click()
{
    editorCommand([this] { PagesHlp->Image(); });
}

void TMainForm::Gras1Click()
{
    editorCommand([this] { PagesHlp->Gras(); });
}

void TMainForm::Italique1Click()
{
    editorCommand([this] { PagesHlp->Ital(); });
}

void TMainForm::Soulign1Click()
{
    editorCommand([this] { PagesHlp->Souligne(); });
}

void TMainForm::Encadrer1Click()
{
    editorCommand([this] { PagesHlp->Encadrer(); });
}

void TMainForm::Centrer1Click()
{
    editorCommand([this] { PagesHlp->Centre(); });
}

void TMainForm::Imagegauche1Click()
{
    editorCommand([this] { PagesHlp->Habiller(1); });
}

void TMainForm::Imagedroite1Click()
{
    editorCommand([this] { PagesHlp->Habiller(2); });
}

void TMainForm::Imagecommecaractre1Click()
{
    editorCommand([this] { PagesHlp->Habiller(3); });
}

// ---- Compiler ----

void TMainForm::Compiler2Click()
{
    if (!PagesHlp)
        return;
    if (Compilation && Compilation->running()) {
        status(QStringLiteral("Une compilation est déjà en cours."));
        return;
    }
    PagesHlp->EcritFiche();
    auto& d = PagesHlp->doc();
    // The built-in compiler is started after the files are written, on its own thread.
    QString hpjToCompile;
    Build.builtInCompiler = [&hpjToCompile](const QString& hpj, QString*) {
        hpjToCompile = hpj;
        return true;
    };
    // What the build changes in the document ([MAP], the project's name) goes with the last step.
    BuildOutcome outcome;
    PagesHlp->runCommand([&] {
        outcome = Build.Compiler2Click(d.DocumentLines, d.PageCount, d.PopupCount, PagesHlp->titleLook(),
            PagesHlp->bodyLook(), CurrentFileName, HelpCompilerPath, &buildWarnings_);
        PagesHlp->recordDerived();
    });
    Build.builtInCompiler = nullptr;
    if (outcome.documentChanged)
        d.DocumentModified = true;
    status(outcome.message);
    if (hpjToCompile.isEmpty() || !Compilation || !outcome.ok) {
        if (!buildWarnings_.isEmpty() && CompileReport) {
            CompileReport->InitWarnings(buildWarnings_);
            CompileReport->show();
            CompileReport->raise();
        }
        return;
    }
    buildFiles_ = outcome.files;
    htmlSite_.clear();
    chmFile_.clear();
    Compilation->start(hpjToCompile);
    status(QStringLiteral("Compilation de %1 en cours...").arg(store::fileNamePart(hpjToCompile)));
    showProgress(QStringLiteral("Compilation du fichier d'aide..."));
}

void TMainForm::showProgress(const QString& text)
{
    if (!progress_) {
        progress_ = new QProgressDialog(text, QString(), 0, 0, this);
        progress_->setObjectName(QStringLiteral("CompileProgress"));
        progress_->setWindowTitle(QStringLiteral("Compilation"));
        progress_->setCancelButton(nullptr);
        progress_->setWindowModality(Qt::NonModal);
        progress_->setMinimumDuration(500); // shown only when it takes longer than a moment
    }
    progress_->setLabelText(text);
    progress_->reset();
    progress_->setRange(0, 0);
    progress_->setValue(0);
}

void TMainForm::CreerAideHtml1Click()
{
    startHelpOutput(false);
}

void TMainForm::CreerAideChm1Click()
{
    startHelpOutput(true);
}

void TMainForm::startHelpOutput(bool chm)
{
    if (!PagesHlp || !Compilation)
        return;
    if (Compilation->running()) {
        status(QStringLiteral("Une compilation est déjà en cours."));
        return;
    }
    PagesHlp->EcritFiche();
    auto& d = PagesHlp->doc();
    std::function<hlp::CompileResult()> job;
    BuildOutcome outcome;
    // What writing the build set changes in the document ([MAP], the project's name) goes with
    // the last step, as for the help file.
    PagesHlp->runCommand([&] {
        outcome = chm ? Build.CreerAideChm1Click(d.DocumentLines, d.PageCount, d.PopupCount, PagesHlp->titleLook(),
                            PagesHlp->bodyLook(), CurrentFileName, &job, &buildWarnings_)
                      : Build.CreerAideHtml1Click(d.DocumentLines, d.PageCount, d.PopupCount, PagesHlp->titleLook(),
                            PagesHlp->bodyLook(), CurrentFileName, &job, &buildWarnings_);
        PagesHlp->recordDerived();
    });
    status(outcome.message);
    if (!job)
        return;
    buildFiles_ = outcome.files;
    const publish::BuildNames names = publish::buildNames(CurrentFileName);
    (chm ? chmFile_ : htmlSite_) = chm ? names.chm : names.html;
    Compilation->start(std::move(job));
    const QString what = chm ? QStringLiteral("CHM") : QStringLiteral("HTML");
    status(QStringLiteral("Écriture de l'aide %1 %2 en cours...").arg(what, store::fileNamePart(chm ? names.chm : names.html)));
    showProgress(QStringLiteral("Écriture de l'aide %1...").arg(what));
}

void TMainForm::compileFinished(const hlp::CompileResult& result)
{
    if (progress_)
        progress_->reset();
    const QString name = store::fileNamePart(result.hlpPath);
    const QString topics = result.topicCount == 1 ? QStringLiteral("1 rubrique") : QStringLiteral("%1 rubriques").arg(result.topicCount);
    QString restored;
    if (const std::shared_ptr<safefile::FileSet> files = std::exchange(buildFiles_, nullptr); files && !result.written)
        restored = files->revert() ? QStringLiteral(" Les fichiers .hpj et .rtf sont remis tels qu'ils étaient.")
                                   : QString(QLatin1Char(' ') + files->error());
    const QString site = std::exchange(htmlSite_, QString());
    const QString chm = std::exchange(chmFile_, QString());
    if (!chm.isEmpty())
        status(result.written ? QStringLiteral("Aide CHM %1 écrite (%2).").arg(name, topics)
                              : QString(QStringLiteral("L'aide CHM %1 n'a pas été écrite : voir les messages.").arg(name) + restored));
    else if (site.isEmpty())
        status(result.written ? QStringLiteral("Fichier d'aide %1 écrit (%2).").arg(name, topics)
                              : QString(QStringLiteral("Le fichier d'aide %1 n'a pas été écrit : voir les messages.").arg(name) + restored));
    else if (!result.written)
        status(QString(QStringLiteral("L'aide HTML %1 n'a pas été écrite : voir les messages.").arg(name) + restored));
    else {
        // The browser may take a moment to say whether it started: the status line waits for it.
        const QString waiting = QStringLiteral("Aide HTML %1 écrite (%2) ; ouverture dans le navigateur...").arg(name, topics);
        status(waiting);
        BuildCommands::openHtmlHelp(site, [window = QPointer<TMainForm>(this), name, topics, waiting](const BuildOutcome& opened) {
            if (!window)
                return;
            if (opened.ok) {
                if (window->StatusBar->currentMessage() == waiting) // not when another command spoke since
                    window->status(QStringLiteral("Aide HTML %1 écrite (%2) et ouverte dans le navigateur.").arg(name, topics));
            } else {
                window->status(QStringLiteral("Aide HTML %1 écrite (%2), mais le navigateur n'a pas pu l'ouvrir (%3).")
                                   .arg(name, topics, opened.message));
            }
        });
    }
    // The summary line alone means a clean build: no window then.
    if (result.written && result.diagnostics.size() <= 1 && buildWarnings_.isEmpty())
        return;
    if (!CompileReport)
        return;
    CompileReport->Init(result.hlpPath, result.diagnostics, result.written, buildWarnings_);
    CompileReport->show();
    CompileReport->raise();
}

void TMainForm::voirfichierhlp1Click()
{
    status(Build.voirfichierhlp1Click(CurrentFileName).message);
}

void TMainForm::Fixerlecompilateur1Click()
{
    if (FixerHcp)
        modalCommand([this] { BuildCommands::Fixerlecompilateur1Click(*FixerHcp, HelpCompilerPath); });
}

// ---- Aide ----

void TMainForm::HContents()
{
    status(Build.HContents(ownHelpFile(), ownHtmlHelp()).message);
}

void TMainForm::HSearch()
{
    status(Build.HSearch(ownHelpFile(), ownHtmlHelp()).message);
}

void TMainForm::HowToUse()
{
    status(Build.HowToUse(ownHelpFile(), ownHtmlHelp()).message);
}

// ---- Utilitaires and A propos ----

void TMainForm::Calendrier1Click()
{
    showTool(Calendrier);
}

void TMainForm::Calculatrice1Click()
{
    showTool(Pocket);
}

void TMainForm::Horloge1Click()
{
    showTool(Horloge);
}

void TMainForm::About1Click()
{
    showTool(AboutBox);
}
