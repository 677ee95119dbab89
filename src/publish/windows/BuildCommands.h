#pragma once
// The command bodies of the build: set the compiler, build, view, the program's own help, the
// project options and the project file editor. The main window and the topic editor call these;
// storing the page on screen (EcritFiche) before a build is the caller's part.
#include "publish/core/HlpViewer.h"
#include "store/core/HeaderBlock.h"
#include "winhelp/HlpCompiler.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace safefile {
class FileSet;
}
class TEditHpj;
class TFixerHcp;
class TOptions;

// What a command has to say, in French, for the status line (empty when nothing).
struct BuildOutcome {
    bool ok = true;
    QString message;
    // After a build whose built-in compile goes on elsewhere: the new .hpj and .rtf, to revert()
    // when that compile fails (dropping it keeps them).
    std::shared_ptr<safefile::FileSet> files = nullptr;
    bool documentChanged = false; // the project block was made to name this project
};

class BuildCommands {
public:
    // Compiles `hpjPath` (the .hlp goes beside it) when no external compiler is set; false with
    // the reason in `message` (a success may also leave a message).
    using BuiltInCompiler = std::function<bool(const QString& hpjPath, QString* message)>;

    BuiltInCompiler builtInCompiler;
    publish::hlpviewer::Probe probe = publish::hlpviewer::systemProbe();

    // Build (F9, "&Créer ficher HLP", toolbar "Compiler"), after the caller's EcritFiche: writes the
    // .hpj (refreshing [MAP] in `lines`) and the .rtf beside `currentFileName` (the document's lines
    // and counts, the looks of the title field and the body), then starts `helpCompilerPath` on the
    // .hpj name without folder in the project's folder, without waiting; an empty path runs
    // `builtInCompiler` instead. The .hpj and .rtf are written together or not at all; when they
    // cannot be written no compiler starts, and when the built-in compile fails they go back to
    // what they were, so the three files always belong together. Every problem is in the message.
    // `warnings` receives what the author should read although the files were written (topics
    // whose braces do not pair up).
    BuildOutcome Compiler2Click(QStringList& lines, int pageCount, int popupCount, const store::FieldLook& title,
        const store::FieldLook& body, const QString& currentFileName, const QString& helpCompilerPath,
        QStringList* warnings = nullptr) const;

    // "Créer l'aide &HTML", after the caller's EcritFiche: writes the .hpj and the .rtf as the build
    // does; when both are written, `job` receives the writing of the help site into the folder
    // PROJET-html beside the project (the caller runs it, then openHtmlHelp). A project never saved
    // has no place for the site; files that could not be written stop the command.
    // `warnings` receives the build's warnings, as for F9.
    BuildOutcome CreerAideHtml1Click(QStringList& lines, int pageCount, int popupCount, const store::FieldLook& title,
        const store::FieldLook& body, const QString& currentFileName, std::function<hlp::CompileResult()>* job,
        QStringList* warnings = nullptr) const;
    // "Créer l'aide CHM": the same, with `job` writing the compiled HTML help PROJET.chm beside the
    // project (the caller runs it); an earlier PROJET.chm stays when the new one cannot be written.
    BuildOutcome CreerAideChm1Click(QStringList& lines, int pageCount, int popupCount, const store::FieldLook& title,
        const store::FieldLook& body, const QString& currentFileName, std::function<hlp::CompileResult()>* job,
        QStringList* warnings = nullptr) const;
    // Opens index.html of the site in `folder` with the desktop's browser; `done` learns (maybe
    // later, on this thread) whether the browser started, with the reason when not.
    static void openHtmlHelp(const QString& folder, std::function<void(const BuildOutcome&)> done);

    // View ("&Voir fichier HLP"): opens the .hlp named like `currentFileName` with the viewer.
    BuildOutcome voirfichierhlp1Click(const QString& currentFileName) const;

    // The three commands of the help menu on the program's own help file (full name); when no
    // viewer can show it, the HTML help in `htmlFolder` (if any) opens in the browser instead: its
    // contents, or for HSearch its keyword index.
    BuildOutcome HContents(const QString& helpFile, const QString& htmlFolder = {}) const;
    BuildOutcome HSearch(const QString& helpFile, const QString& htmlFolder = {}) const;
    BuildOutcome HowToUse(const QString& helpFile, const QString& htmlFolder = {}) const;
    // The program's own help file in the start directory.
    static QString ownHelpFile(const QString& startDirectory);
    // F1: the program's own help opened at help context `number` (0: at its contents). The WinHelp
    // viewer is sent to the topic itself; without it the HTML help's page of that number opens in
    // the browser; without both, the help file goes to a desktop viewer as HContents does.
    BuildOutcome HelpContext(const QString& helpFile, const QString& htmlFolder, int number) const;

    // "&Fixer compilateur...": Init, modal showing, Result. True when OK was pressed.
    static bool Fixerlecompilateur1Click(TFixerHcp& dialog, QString& helpCompilerPath);

    // "&Editer fichier projet": nothing without a project file name; otherwise the .hpj beside it is
    // edited and, after OK, becomes the project block and is written again (ExportHpj). Returns
    // true when `lines` changed: the caller then sets DocumentModified. Problems go to `message`.
    static bool Edithpj1(TEditHpj& dialog, QStringList& lines, int pageCount, const QString& projectFileName,
        QString* message = nullptr);

    // The editor's options command: Init with the looks of the title field and the body, modal
    // showing, Result. False when Init refused (message already shown; apply nothing). Otherwise
    // `title` and `body` hold the looks to apply and to store with EcritHeader, and
    // `documentChanged` tells whether the block or a look changed (set DocumentModified then).
    static bool Opt(TOptions& dialog, QStringList& lines, const QString& projectFileName, store::FieldLook& title,
        store::FieldLook& body, bool* documentChanged = nullptr);

private:
    // The .hpj and .rtf the site and the .chm are made from, written as the build does; `product`
    // names what is made ("l'aide HTML"), `place` where it goes ("dans un dossier").
    BuildOutcome writeHelpInputs(QStringList& lines, int pageCount, int popupCount, const store::FieldLook& title,
        const store::FieldLook& body, const QString& currentFileName, const QString& product, const QString& place,
        QStringList* warnings) const;
    // `page` of the HTML help in the desktop's browser; not ok when there is none or it cannot open.
    static BuildOutcome openHtmlPage(const QString& page);
    BuildOutcome startViewer(const QString& file, const QStringList& arguments, const QString& folder,
        bool withoutFile) const;
};
