// tyxbuild: builds a help project without the window. Loads the .hpa file as Open does, then
// writes the .hpj and .rtf files beside it exactly as the Build command does, and compiles the
// .hlp file with the built-in compiler, or writes the HTML help with --html, or the compiled HTML
// help (.chm) with --chm. Never writes the .hpa.
#include "publish/core/HtmlBuild.h"
#include "publish/core/ProjectBuild.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/render/DrawingApplication.h"
#include "platform/core/MemoryUse.h"
#include "store/core/DocumentStore.h"
#include "store/core/HeaderBlock.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TextRules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

enum Exit { Success = 0, FileError = 1, UsageError = 2 };

void say(FILE* stream, const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void err(const QString& text) { say(stderr, QStringLiteral("tyxbuild : ") + text); }

QString quoted(const QString& s) { return QStringLiteral("« ") + s + QStringLiteral(" »"); }

QString usageLine() { return QStringLiteral("Usage : tyxbuild [--help] [--version] [--sans-hlp | --html | --chm] [--strict] PROJET.hpa"); }

QString helpText()
{
    return usageLine() + QStringLiteral(
        "\n\n"
        "Construit le projet d'aide PROJET.hpa sans ouvrir de fenêtre : écrit le fichier de projet\n"
        "PROJET.hpj, le fichier de rubriques PROJET.rtf et le sommaire PROJET.cnt (les niveaux de la\n"
        "hiérarchie) à côté du fichier .hpa, comme la commande « Créer ficher HLP », puis compile le\n"
        "fichier d'aide PROJET.hlp avec le compilateur intégré.\n"
        "Le fichier .hpa n'est jamais modifié. L'extension du nom donné est remplacée par .hpa.\n"
        "Les fichiers forment un tout : si l'un d'eux ne peut être écrit, les fichiers .hpj, .rtf\n"
        "et .cnt restent (ou sont remis) tels qu'ils étaient.\n"
        "\n"
        "  --help      affiche cette aide\n"
        "  --version   affiche la version\n"
        "  --sans-hlp  écrit les fichiers .hpj, .rtf et .cnt sans compiler le fichier .hlp\n"
        "  --html      écrit l'aide en HTML dans le dossier PROJET-html à côté du projet au lieu\n"
        "              de compiler le fichier .hlp : index.html (le sommaire), une page par rubrique,\n"
        "              l'index, la recherche et les images\n"
        "  --chm       écrit l'aide HTML compilée PROJET.chm à côté du projet au lieu de compiler\n"
        "              le fichier .hlp : un seul fichier que Windows ouvre seul, avec le sommaire,\n"
        "              l'index et les numéros de [MAP] pour l'aide contextuelle des programmes ;\n"
        "              un PROJET.chm existant reste tel quel si le nouveau ne peut être écrit\n"
        "  --strict    code de sortie 1 quand la compilation signale une erreur (un lien vers une\n"
        "              rubrique qui n'existe pas, par exemple), même si le fichier d'aide est écrit\n"
        "  --          termine les options : l'argument suivant est le projet\n"
        "\n"
        "Code de sortie : 0 en cas de succès, 1 si un fichier ne peut être lu ou écrit (ou, avec\n"
        "--strict, si la compilation signale une erreur), 2 si la ligne de commande est incorrecte.");
}

int usageError(const QString& why)
{
    err(why);
    say(stderr, usageLine());
    say(stderr, QStringLiteral("Pour plus d'informations : tyxbuild --help"));
    return UsageError;
}

} // namespace

int main(int argc, char** argv)
{
    memoryuse::keepLargeBuffers();
    // The help site's metafile pictures are drawn, their text with fonts: a Gui application.
    const auto app = hlp::drawingApplication(argc, argv);
    const QStringList args = QCoreApplication::arguments();

    QString project;
    bool compile = true;
    bool html = false;
    bool chm = false;
    bool strict = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == u"--help" || a == u"-h")) {
            say(stdout, helpText());
            return Success;
        } else if (!optionsEnded && a == u"--version") {
            say(stdout, QStringLiteral("tyxbuild 2.0"));
            return Success;
        } else if (!optionsEnded && a == u"--sans-hlp") {
            compile = false;
        } else if (!optionsEnded && a == u"--html") {
            html = true;
        } else if (!optionsEnded && a == u"--chm") {
            chm = true;
        } else if (!optionsEnded && a == u"--strict") {
            strict = true;
        } else if (!optionsEnded && a.startsWith(u'-') && a.size() > 1) {
            return usageError(QStringLiteral("option inconnue ") + quoted(a) + QLatin1Char('.'));
        } else if (!project.isEmpty()) {
            return usageError(QStringLiteral("un seul projet à la fois."));
        } else if (a.isEmpty()) {
            return usageError(QStringLiteral("le nom du projet est vide."));
        } else {
            project = a;
        }
    }
    if (project.isEmpty())
        return usageError(QStringLiteral("aucun projet indiqué."));
    if (html && !compile)
        return usageError(QStringLiteral("--html et --sans-hlp ne vont pas ensemble."));
    if (chm && !compile)
        return usageError(QStringLiteral("--chm et --sans-hlp ne vont pas ensemble."));
    if (chm && html)
        return usageError(QStringLiteral("--html et --chm ne vont pas ensemble."));

    QString hpaPath = store::forceExtension(project, QStringLiteral(".hpa"));
    // On a file system that tells letter cases apart, DEMO.HPA is not DEMO.hpa: take the name as
    // typed when only the case of its extension differs.
    if (!QFileInfo::exists(hpaPath) && project.endsWith(QStringLiteral(".hpa"), Qt::CaseInsensitive)
        && QFileInfo::exists(project))
        hpaPath = project;
    store::DocumentStore doc;
    bool missing = false;
    QString error;
    if (!doc.load(hpaPath, &missing, &error)) {
        err(QStringLiteral("impossible de lire ") + quoted(hpaPath) + QStringLiteral(" : ") + error);
        return FileError;
    }
    if (missing) {
        err(QStringLiteral("impossible de lire ") + quoted(hpaPath) + QStringLiteral(" : le fichier n'existe pas."));
        return FileError;
    }

    // Anything without a project block is not a help project (a text file, a picture...): nothing
    // is written for it, not even a repaired copy.
    if (!store::projectFileLines(doc.DocumentLines)) {
        err(quoted(hpaPath) + QStringLiteral(" n'est pas un projet d'aide : il n'a pas de bloc <HPJ>. Aucun fichier n'est écrit."));
        return FileError;
    }

    // As Open does: count the blocks, check the topic tags, then take the fonts from the header.
    store::FieldLook title, body;
    doc.countBlocks();
    if (doc.altered()) {
        doc.repair(title, body);
        err(QStringLiteral("attention : les balises des rubriques de ") + quoted(hpaPath)
            + QStringLiteral(" ne sont pas appariées, leurs numéros ne se suivent pas ou dépassent 9999 ; le document a été réparé en mémoire pour la construction"
                             " (le fichier .hpa n'est pas modifié)."));
    }
    store::litHeader(doc.DocumentLines, title, body);

    // The .hpj and .rtf are written together, and put back when the .hlp cannot be made: the three
    // files always belong to one build.
    const publish::BuildFiles r =
        publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount, title, body, hpaPath);
    if (!r.ok()) {
        err(QStringLiteral("impossible d'écrire ") + quoted(r.failedPath) + QStringLiteral(" : ") + r.error
            + QStringLiteral(". Aucun fichier n'a été modifié."));
        return FileError;
    }
    for (const QString& warning : r.warnings)
        err(QStringLiteral("avertissement : ") + warning);
    const auto written = [&] {
        err(QStringLiteral("fichier ") + quoted(r.hpjPath) + QStringLiteral(" écrit."));
        err(QStringLiteral("fichier ") + quoted(r.rtfPath) + QStringLiteral(" écrit."));
        err(QStringLiteral("fichier ") + quoted(r.cntPath) + QStringLiteral(" écrit."));
    };
    if (!compile) {
        r.files->keep();
        written();
        return Success;
    }

    // The help file or the help site is made from these two files.
    const hlp::CompileResult c = html ? publish::writeHtmlHelp(doc.DocumentLines, doc.PageCount, hpaPath)
        : chm                         ? publish::writeChmHelp(doc.DocumentLines, doc.PageCount, hpaPath)
                                      : hlp::HlpCompiler().compile(r.hpjPath);
    if (c.written) {
        r.files->keep();
        written();
    }
    for (const QString& line : c.diagnostics)
        say(stderr, line);
    if (!c.written) {
        err((html ? QStringLiteral("l'aide HTML ") : QStringLiteral("le fichier ")) + quoted(c.hlpPath)
            + (html ? QStringLiteral(" n'a pas été écrite.") : QStringLiteral(" n'a pas été écrit.")));
        if (r.files->revert())
            err(QStringLiteral("les fichiers ") + quoted(r.hpjPath) + QStringLiteral(" et ") + quoted(r.rtfPath)
                + QStringLiteral(" sont remis tels qu'ils étaient."));
        else
            err(r.files->error());
        return FileError;
    }
    if (strict && c.errorCount > 0) {
        err(QStringLiteral("%1 erreur(s) signalée(s) par la compilation (--strict).").arg(c.errorCount));
        return FileError;
    }
    return Success;
}
