#include "publish/windows/BuildCommands.h"

#include "publish/core/BuildNames.h"
#include "publish/core/HtmlBuild.h"
#include "publish/core/OwnHelp.h"
#include "publish/core/ProjectBuild.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/FixerHcp.h"
#include "publish/windows/Options.h"
#include "platform/core/Launcher.h"
#include "platform/windows/DesktopOpen.h"
#include "platform/windows/Prompts.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString SetCompilerHint = QStringLiteral("Indiquez-le avec « Compiler > Fixer compilateur... ».");

bool runsThroughWine(const QString& program)
{
#ifdef Q_OS_WIN
    Q_UNUSED(program);
    return false;
#else
    return program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && !launcher::findOnPath(QStringLiteral("wine")).isEmpty();
#endif
}

// The program to start for a compiler path, or empty with the reason.
QString compilerProgram(const QString& path, QString& reason)
{
    QString program = path;
    if (!path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char('\\')) && !QFileInfo::exists(path))
        program = launcher::findOnPath(path);
    const QFileInfo info(program);
    if (program.isEmpty() || !info.exists()) {
        reason = QStringLiteral("Le compilateur « %1 » est introuvable. ").arg(path) + SetCompilerHint;
        return {};
    }
    if (info.isDir()) {
        reason = QStringLiteral("« %1 » est un dossier, pas le programme du compilateur. ").arg(path) + SetCompilerHint;
        return {};
    }
    if (!info.isExecutable() && !runsThroughWine(program)) {
        reason = program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)
            ? QStringLiteral("Le compilateur « %1 » est un programme Windows et Wine n'est pas installé.").arg(path)
            : QStringLiteral("« %1 » n'est pas un programme exécutable. ").arg(path) + SetCompilerHint;
        return {};
    }
    // The compiler runs in the project's folder: a relative path must not move with it.
    return info.absoluteFilePath();
}

} // namespace

BuildOutcome BuildCommands::Compiler2Click(QStringList& lines, int pageCount, int popupCount,
    const store::FieldLook& title, const store::FieldLook& body, const QString& currentFileName,
    const QString& helpCompilerPath, QStringList* warnings) const
{
    const publish::BuildNames files = publish::buildNames(currentFileName);
    BuildOutcome out;
    QStringList notes;
    const auto problem = [&](const QString& text) {
        out.ok = false;
        notes << text;
    };
    // The same writer as the command-line build, so both give the same bytes.
    const publish::BuildFiles written = publish::writeBuildFiles(lines, pageCount, popupCount, title, body, currentFileName);
    out.documentChanged = written.blockFollowed;
    if (!written.ok()) {
        // Compiling stale or missing input would give a help file that does not match the project.
        if (written.noProjectBlock)
            problem(QStringLiteral("Le document n'a pas de bloc projet : « %1 » et « %2 » n'ont pas été écrits.")
                        .arg(files.hpj, files.rtf));
        else
            problem(QStringLiteral("Fichier « %1 » non écrit : %2. Les fichiers « %3 » et « %4 » restent tels qu'ils étaient.")
                        .arg(written.failedPath, written.error, store::fileNamePart(files.hpj), store::fileNamePart(files.rtf)));
        out.message = notes.join(QLatin1Char(' '));
        return out;
    }
    if (warnings)
        *warnings = written.warnings;
    if (!written.warnings.isEmpty())
        notes << (written.warnings.size() == 1
                ? QStringLiteral("1 avertissement : voir les messages.")
                : QStringLiteral("%1 avertissements : voir les messages.").arg(written.warnings.size()));
    const auto revertFiles = [&] {
        if (written.files->revert())
            notes << QStringLiteral("Les fichiers « %1 » et « %2 » sont remis tels qu'ils étaient.")
                         .arg(store::fileNamePart(files.hpj), store::fileNamePart(files.rtf));
        else
            notes << written.files->error();
    };

    if (helpCompilerPath.trimmed().isEmpty()) {
        QString said;
        if (!builtInCompiler) {
            problem(QStringLiteral("Aucun compilateur n'est disponible. ") + SetCompilerHint);
        } else if (!builtInCompiler(files.hpj, &said)) {
            problem(said.isEmpty() ? QStringLiteral("La compilation de « %1 » a échoué.").arg(files.hpjName()) : said);
        } else {
            if (!said.isEmpty())
                notes << said;
            out.files = written.files;
        }
    } else {
        QString reason;
        const QString program = compilerProgram(helpCompilerPath, reason);
        if (program.isEmpty())
            problem(reason);
        else if (!launcher::start({program, {files.hpjName()}, files.folder}, &reason))
            problem(reason.isEmpty() ? QStringLiteral("Le compilateur « %1 » n'a pas pu être lancé.").arg(helpCompilerPath) : reason);
        else
            notes << QStringLiteral("Compilateur lancé sur %1.").arg(files.hpjName());
    }
    // A build that stopped short leaves the old set. (An outside compiler is never waited for:
    // once it has started, the new files are its input.)
    if (!out.ok)
        revertFiles();
    out.message = notes.join(QLatin1Char(' '));
    return out;
}

BuildOutcome BuildCommands::CreerAideHtml1Click(QStringList& lines, int pageCount, int popupCount,
    const store::FieldLook& title, const store::FieldLook& body, const QString& currentFileName,
    std::function<hlp::CompileResult()>* job, QStringList* warnings) const
{
    const BuildOutcome out = writeHelpInputs(lines, pageCount, popupCount, title, body, currentFileName,
        QStringLiteral("l'aide HTML"), QStringLiteral("dans un dossier"), warnings);
    if (out.ok && job)
        *job = publish::htmlHelpJob(lines, pageCount, currentFileName);
    return out;
}

BuildOutcome BuildCommands::CreerAideChm1Click(QStringList& lines, int pageCount, int popupCount,
    const store::FieldLook& title, const store::FieldLook& body, const QString& currentFileName,
    std::function<hlp::CompileResult()>* job, QStringList* warnings) const
{
    const BuildOutcome out = writeHelpInputs(lines, pageCount, popupCount, title, body, currentFileName,
        QStringLiteral("l'aide CHM"), QStringLiteral("dans un fichier"), warnings);
    if (out.ok && job)
        *job = publish::chmHelpJob(lines, pageCount, currentFileName);
    return out;
}

BuildOutcome BuildCommands::writeHelpInputs(QStringList& lines, int pageCount, int popupCount, const store::FieldLook& title,
    const store::FieldLook& body, const QString& currentFileName, const QString& product, const QString& place,
    QStringList* warnings) const
{
    if (warnings)
        warnings->clear();
    if (currentFileName.trimmed().isEmpty())
        return {false, QStringLiteral("Enregistrez d'abord le projet : %1 s'écrit %2 à côté de lui.").arg(product, place), nullptr};
    const publish::BuildNames files = publish::buildNames(currentFileName);
    const publish::BuildFiles written = publish::writeBuildFiles(lines, pageCount, popupCount, title, body, currentFileName);
    if (warnings)
        *warnings = written.warnings;
    if (!written.ok()) {
        // A site made from files the build could not write would not be this project.
        const QString problem = written.noProjectBlock
            ? QStringLiteral("Le document n'a pas de bloc projet : « %1 » n'a pas été écrit.").arg(files.hpj)
            : QStringLiteral("Fichier « %1 » non écrit : %2. Les fichiers « %3 » et « %4 » restent tels qu'ils étaient.")
                  .arg(written.failedPath, written.error, store::fileNamePart(files.hpj), store::fileNamePart(files.rtf));
        QString what = product;
        what[0] = what[0].toUpper();
        return {false, problem + QStringLiteral(" %1 n'a pas été écrite.").arg(what), nullptr};
    }
    // The help is made from these two: when it cannot be written, they go back with it.
    return {true, QString(), written.files};
}

void BuildCommands::openHtmlHelp(const QString& folder, std::function<void(const BuildOutcome&)> done)
{
    const QString index = QDir(folder).filePath(QStringLiteral("index.html"));
    if (!QFileInfo::exists(index)) {
        done({false, QStringLiteral("L'aide HTML « %1 » n'existe pas.").arg(QDir::toNativeSeparators(index)), nullptr});
        return;
    }
    desktop::openThen(QUrl::fromLocalFile(index), [done](bool opened, const QString& error) {
        done({opened, error, nullptr});
    });
}

BuildOutcome BuildCommands::startViewer(const QString& file, const QStringList& arguments, const QString& folder,
    bool withoutFile) const
{
    if (!withoutFile && !QFileInfo::exists(file))
        return {false, QString(), nullptr};
    const publish::hlpviewer::Viewer viewer = publish::hlpviewer::find(probe);
    if (viewer.kind == publish::hlpviewer::Kind::None)
        return {false, viewer.reason, nullptr};
    QString error;
    if (!launcher::start(publish::hlpviewer::call(viewer, arguments, folder), &error))
        return {false, error, nullptr};
    return {true, QString(), nullptr};
}

BuildOutcome BuildCommands::voirfichierhlp1Click(const QString& currentFileName) const
{
    const publish::BuildNames files = publish::buildNames(currentFileName);
    BuildOutcome out = startViewer(files.hlp, {files.hlpName()}, files.folder, false);
    if (!out.ok && out.message.isEmpty())
        out.message = QStringLiteral("Le fichier « %1 » n'existe pas encore : créez-le d'abord (F9).").arg(files.hlp);
    return out;
}

QString BuildCommands::ownHelpFile(const QString& startDirectory)
{
    return QDir(startDirectory).filePath(QStringLiteral("TyxHelp.hlp"));
}

BuildOutcome BuildCommands::openHtmlPage(const QString& page)
{
    if (page.isEmpty())
        return {false, QString()};
    QString error;
    if (!desktop::open(QUrl::fromLocalFile(page), &error))
        return {false, error};
    return {true, QString()};
}

BuildOutcome BuildCommands::HContents(const QString& helpFile, const QString& htmlFolder) const
{
    BuildOutcome out = startViewer(helpFile, {store::fileNamePart(helpFile)}, store::folderPart(helpFile), false);
    if (out.ok)
        return out;
    const BuildOutcome html = openHtmlPage(publish::ownhelp::htmlPage(htmlFolder, 0));
    if (html.ok || !html.message.isEmpty())
        return html;
    if (out.message.isEmpty())
        out.message = QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(helpFile);
    return out;
}

BuildOutcome BuildCommands::HelpContext(const QString& helpFile, const QString& htmlFolder, int number) const
{
    if (publish::hlpviewer::find(probe).kind == publish::hlpviewer::Kind::WinHelp && QFileInfo::exists(helpFile)) {
        const QString context = publish::ownhelp::contextString(helpFile, number);
        if (context.isEmpty())
            return HContents(helpFile, htmlFolder);
        return startViewer(helpFile, {QStringLiteral("-i"), context, store::fileNamePart(helpFile)},
            store::folderPart(helpFile), false);
    }
    // Only the WinHelp viewer goes to a topic: the HTML help's page of that number does it as well.
    const BuildOutcome html = openHtmlPage(publish::ownhelp::htmlPage(htmlFolder, number));
    if (html.ok || !html.message.isEmpty())
        return html;
    return HContents(helpFile, htmlFolder);
}

BuildOutcome BuildCommands::HSearch(const QString& helpFile, const QString& htmlFolder) const
{
    // No viewer takes an empty keyword on its command line: the file opens and the viewer's own
    // search button is at hand. The HTML help has a page of its keywords.
    BuildOutcome out = startViewer(helpFile, {store::fileNamePart(helpFile)}, store::folderPart(helpFile), false);
    if (out.ok)
        return out;
    const QString keywords = QDir(htmlFolder).filePath(QStringLiteral("motscles.html"));
    if (!htmlFolder.isEmpty() && QFileInfo(keywords).isFile())
        return openHtmlPage(keywords);
    return HContents(helpFile, htmlFolder);
}

BuildOutcome BuildCommands::HowToUse(const QString& helpFile, const QString& htmlFolder) const
{
    // The WinHelp viewer without a file offers its own help; a desktop viewer gets our file.
    if (publish::hlpviewer::find(probe).kind == publish::hlpviewer::Kind::WinHelp)
        return startViewer(QString(), {}, QString(), true);
    return HContents(helpFile, htmlFolder);
}

bool BuildCommands::Fixerlecompilateur1Click(TFixerHcp& dialog, QString& helpCompilerPath)
{
    dialog.Init(helpCompilerPath);
    prompts().showModal(dialog);
    dialog.Result(helpCompilerPath);
    return dialog.confirmed();
}

bool BuildCommands::Edithpj1(TEditHpj& dialog, QStringList& lines, int pageCount, const QString& projectFileName,
    QString* message)
{
    if (projectFileName.isEmpty())
        return false;
    const QString hpj = store::forceExtension(projectFileName, QStringLiteral(".hpj"));
    if (!dialog.Init(hpj))
        return false;
    prompts().showModal(dialog);
    const QStringList before = lines;
    bool confirmed = false;
    dialog.Result(lines, confirmed);
    if (!confirmed)
        return false;
    QString error;
    if (!store::ExportHpj(lines, pageCount, hpj, &error) && message)
        *message = QStringLiteral("Fichier projet « %1 » non écrit : %2").arg(hpj, error);
    return lines != before;
}

bool BuildCommands::Opt(TOptions& dialog, QStringList& lines, const QString& projectFileName, store::FieldLook& title,
    store::FieldLook& body, bool* documentChanged)
{
    if (documentChanged)
        *documentChanged = false;
    if (!dialog.Init(lines, projectFileName, title, body))
        return false;
    prompts().showModal(dialog);
    const QStringList before = lines;
    const store::FieldLook titleBefore = title;
    const store::FieldLook bodyBefore = body;
    dialog.Result(lines, title, body);
    if (documentChanged)
        *documentChanged = title != titleBefore || body != bodyBefore || lines != before;
    return true;
}
