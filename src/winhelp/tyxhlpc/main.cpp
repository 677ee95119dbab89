// tyxhlpc: compiles a WinHelp project (.hpj with its RTF topic files and pictures) into the .hlp
// file beside it, with the built-in compiler, or into a help site with --html, or into compiled
// HTML help with --chm. A help file (.hlp) given in its place is read: --html makes its site, --chm
// its compiled HTML help, --hpa a Tyx Plumet project of it; --info describes it.
// Diagnostics go to stderr, in French.
#include "winhelp/HlpCompiler.h"
#include "winhelp/render/DrawingApplication.h"
#include "platform/core/MemoryUse.h"
#include "platform/core/SafeFile.h"
#include "winhelp/chm/ChmHelp.h"
#include "winhelp/html/HtmlHelp.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/reader/HelpSummary.h"
#include "winhelp/writer/ProjectWriter.h"

#include <QFile>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

enum Exit { Success = 0, NotWritten = 1, UsageError = 2 };

void say(FILE* stream, const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void err(const QString& text) { say(stderr, QStringLiteral("tyxhlpc : ") + text); }

QString quoted(const QString& s) { return QStringLiteral("« ") + s + QStringLiteral(" »"); }

QString usageLine()
{
    return QStringLiteral("Usage : tyxhlpc [--help] [--version] [--html DOSSIER | --chm FICHIER.chm] [--strict] PROJET.hpj\n"
                          "        tyxhlpc --html DOSSIER FICHIER.hlp\n"
                          "        tyxhlpc --chm FICHIER.chm FICHIER.hlp\n"
                          "        tyxhlpc --hpa PROJET.hpa FICHIER.hlp\n"
                          "        tyxhlpc --info FICHIER.hlp");
}

QString helpText()
{
    return usageLine() + QStringLiteral(
        "\n\n"
        "Compile le projet d'aide WinHelp PROJET.hpj (ses fichiers de rubriques RTF et ses images)\n"
        "en un fichier d'aide PROJET.hlp écrit à côté du projet. Les fichiers sont cherchés dans le\n"
        "dossier du projet sans tenir compte de la casse des noms.\n"
        "\n"
        "  --help            affiche cette aide\n"
        "  --version         affiche la version\n"
        "  --html DOSSIER    écrit l'aide en HTML dans DOSSIER au lieu du fichier .hlp : index.html\n"
        "                    (le sommaire), une page par rubrique, l'index, la recherche et les images ;\n"
        "                    un dossier existant n'est remplacé que s'il est vide ou contient déjà une\n"
        "                    aide HTML écrite par ce programme\n"
        "  --chm FICHIER     écrit l'aide HTML compilée (.chm, que Windows ouvre seul) dans FICHIER\n"
        "                    au lieu du fichier .hlp : les pages, les images, le sommaire, l'index\n"
        "                    et les numéros de [MAP] pour l'aide contextuelle ; un fichier existant\n"
        "                    n'est remplacé que si le nouveau a pu être écrit en entier. Avec un\n"
        "                    fichier d'aide AIDE.hlp au lieu d'un projet, c'est ce fichier d'aide\n"
        "                    (et son sommaire .cnt) qui devient le .chm\n"
        "  --strict          code de sortie 1 quand la compilation signale une erreur, même si\n"
        "                    le fichier d'aide est écrit\n"
        "  --                termine les options : l'argument suivant est le projet\n"
        "  --info FICHIER.hlp\n"
        "                    décrit le fichier d'aide FICHIER.hlp (de tout compilateur WinHelp 3.0,\n"
        "                    3.1 ou 4.0) sur la sortie standard, une ligne « clé : valeur » par fait :\n"
        "                    version, compression, rubriques, mots-clés, images, fenêtres, macros\n"
        "\n"
        "Un fichier d'aide FICHIER.hlp (WinHelp 3.0, 3.1 ou 4.0, avec le sommaire .cnt posé à côté)\n"
        "peut être donné à la place du projet :\n"
        "  --html DOSSIER    écrit son aide HTML dans DOSSIER (le sommaire vient du fichier .cnt)\n"
        "  --chm FICHIER.chm écrit son aide HTML compilée dans FICHIER.chm\n"
        "  --hpa PROJET.hpa  en fait un projet Tyx Plumet : chaque rubrique avec son titre, ses\n"
        "                    mots-clés et son texte, les fenêtres surgissantes, les images écrites\n"
        "                    à côté du projet ; le tout est écrit d'un bloc, ou rien\n"
        "\n"
        "Code de sortie : 0 si le fichier .hlp (ou l'aide HTML, le .chm, ou le projet) a été écrit (avec --info :\n"
        "si le fichier d'aide a pu être lu), 1 sinon (ou, avec --strict, si la compilation signale une\n"
        "erreur), 2 si la ligne de commande est incorrecte.");
}

// --info: what the help file is, on stdout; what was read with a loss, on stderr.
int describeHelpFile(const QString& path)
{
    const hlp::HelpFileRead read = hlp::readHelpFile(path);
    for (const QString& warning : read.warnings)
        err(QStringLiteral("attention : ") + warning);
    if (!read.help) {
        err(QStringLiteral("impossible de lire ") + quoted(path) + QStringLiteral(" : ") + read.error + QLatin1Char('.'));
        return NotWritten;
    }
    say(stdout, QStringLiteral("fichier : ") + path);
    for (const QString& line : hlp::helpSummary(*read.help))
        say(stdout, line);
    return Success;
}

// --chm with a help file: the file read back, then written as a .chm; a summary line as the
// compiler's.
hlp::CompileResult chmFromHelpFile(const QString& hlpPath, const QString& chmPath)
{
    hlp::CompileResult result;
    result.hlpPath = chmPath;
    const hlp::HelpFileRead read = hlp::readHelpFile(hlpPath);
    for (const QString& warning : read.warnings)
        result.diagnostics << QStringLiteral("Attention : ") + warning;
    if (!read.help) {
        result.diagnostics << QStringLiteral("Erreur : impossible de lire ") + quoted(hlpPath) + QStringLiteral(" : ") + read.error;
        result.errorCount = 1;
        return result;
    }
    hlp::Diagnostics diagnostics;
    diagnostics.setCodePage(hlp::CodePage::forCharset(read.help->project.textCharset));
    // The contents file makes the tree, as in the help's site.
    hlp::html::HtmlOptions options;
    options.contents = hlp::html::contentsEntries(read.help->contents);
    result.written = hlp::chm::writeChm(read.help->view(diagnostics), options, chmPath);
    result.diagnostics += diagnostics.lines();
    result.errorCount = diagnostics.errorCount();
    const QString file = QFileInfo(chmPath).fileName();
    if (result.written) {
        result.topicCount = static_cast<int>(read.help->document.topics.size());
        result.diagnostics << QStringLiteral("%1 écrit : %2 rubrique(s), %3 erreur(s).").arg(file).arg(result.topicCount).arg(result.errorCount);
    } else {
        result.diagnostics << QStringLiteral("%1 n'a pas été écrit.").arg(file);
    }
    return result;
}

int usageError(const QString& why)
{
    err(why);
    say(stderr, usageLine());
    say(stderr, QStringLiteral("Pour plus d'informations : tyxhlpc --help"));
    return UsageError;
}

// A help file starts with the magic number of its internal file system.
bool isHelpFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(4) == QByteArray("\x3F\x5F\x03\x00", 4);
}

// A help file read, then written as a site or as a project.
int fromHelpFile(const QString& path, const QString& htmlFolder, const QString& hpaFile)
{
    if (htmlFolder.isEmpty() && hpaFile.isEmpty()) {
        err(quoted(path) + QStringLiteral(" est un fichier d'aide déjà compilé : --html DOSSIER en fait une aide HTML, "
                                          "--hpa PROJET.hpa un projet."));
        return UsageError;
    }
    const hlp::HelpFileRead read = hlp::readHelpFile(path);
    for (const QString& w : read.warnings)
        err(QStringLiteral("attention : ") + w);
    if (!read.help) {
        err(QStringLiteral("impossible de lire ") + quoted(path) + QStringLiteral(" : ") + read.error);
        return NotWritten;
    }
    if (!htmlFolder.isEmpty()) {
        const hlp::CompileResult c = hlp::html::writeHtmlHelp(*read.help, htmlFolder);
        for (const QString& line : c.diagnostics)
            say(stderr, line);
        if (!c.written) {
            err(QStringLiteral("l'aide HTML ") + quoted(c.hlpPath) + QStringLiteral(" n'a pas été écrite."));
            return NotWritten;
        }
        // The same closing line as a site made from a project.
        say(stderr, QStringLiteral("%1 écrit : %2 rubrique(s), %3 erreur(s).").arg(QFileInfo(c.hlpPath).fileName()).arg(c.topicCount).arg(c.errorCount));
        return Success;
    }
    const hlp::HelpProjectFile made = hlp::makeHelpProject(*read.help, hpaFile);
    for (const QString& w : made.warnings)
        err(QStringLiteral("attention : ") + w);
    QString why = made.error;
    if (why.isEmpty() && hlp::writeHelpProject(made, hpaFile, &why)) {
        say(stderr, QStringLiteral("%1 écrit : %2 rubrique(s), %3 fenêtre(s) surgissante(s), %4 image(s).")
                        .arg(quoted(hpaFile))
                        .arg(made.topics)
                        .arg(made.popups)
                        .arg(made.pictures));
        return Success;
    }
    err(QStringLiteral("le projet ") + quoted(hpaFile) + QStringLiteral(" n'a pas été écrit : ") + why);
    return NotWritten;
}

} // namespace

int main(int argc, char** argv)
{
    memoryuse::keepLargeBuffers();
    // The help site's metafile pictures are drawn, their text with fonts: a Gui application.
    const auto app = hlp::drawingApplication(argc, argv);
    const QStringList args = QCoreApplication::arguments();

    QString project;
    QString htmlFolder;
    QString chmFile;
    QString hpaFile;
    bool html = false;
    bool chm = false;
    bool hpa = false;
    bool describe = false;
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
            say(stdout, QStringLiteral("tyxhlpc 2.0"));
            return Success;
        } else if (!optionsEnded && a == u"--strict") {
            strict = true;
        } else if (!optionsEnded && (a == u"--html" || a.startsWith(u"--html="))) {
            if (html)
                return usageError(QStringLiteral("--html est donné deux fois."));
            html = true;
            if (a == u"--html") {
                if (i + 1 >= args.size())
                    return usageError(QStringLiteral("--html demande le dossier où écrire l'aide HTML."));
                htmlFolder = args[++i];
            } else {
                htmlFolder = a.mid(7);
            }
            if (htmlFolder.isEmpty())
                return usageError(QStringLiteral("le dossier de l'aide HTML est vide."));
        } else if (!optionsEnded && (a == u"--chm" || a.startsWith(u"--chm="))) {
            if (chm)
                return usageError(QStringLiteral("--chm est donné deux fois."));
            chm = true;
            if (a == u"--chm") {
                if (i + 1 >= args.size())
                    return usageError(QStringLiteral("--chm demande le fichier .chm à écrire."));
                chmFile = args[++i];
            } else {
                chmFile = a.mid(6);
            }
            if (chmFile.isEmpty())
                return usageError(QStringLiteral("le nom du fichier .chm est vide."));
        } else if (!optionsEnded && (a == u"--hpa" || a.startsWith(u"--hpa="))) {
            if (hpa)
                return usageError(QStringLiteral("--hpa est donné deux fois."));
            hpa = true;
            if (a == u"--hpa") {
                if (i + 1 >= args.size())
                    return usageError(QStringLiteral("--hpa demande le nom du projet à écrire."));
                hpaFile = args[++i];
            } else {
                hpaFile = a.mid(6);
            }
            if (hpaFile.isEmpty())
                return usageError(QStringLiteral("le nom du projet à écrire est vide."));
        } else if (!optionsEnded && a == u"--info") {
            describe = true;
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
    if (describe && html)
        return usageError(QStringLiteral("--info et --html ne vont pas ensemble."));
    if (describe && project.isEmpty())
        return usageError(QStringLiteral("--info demande le fichier d'aide à décrire."));
    if (project.isEmpty())
        return usageError(QStringLiteral("aucun projet indiqué."));
    if (int(html) + int(chm) + int(hpa) > 1)
        return usageError(QStringLiteral("--html, --chm et --hpa ne vont pas ensemble."));
    if (describe && (chm || hpa))
        return usageError(QStringLiteral("--info ne va pas avec --chm ou --hpa."));
    if (describe)
        return describeHelpFile(project);

    const QFileInfo info(project);
    if (!info.exists()) {
        err(QStringLiteral("impossible de lire ") + quoted(project) + QStringLiteral(" : le fichier n'existe pas."));
        return NotWritten;
    }
    // A FIFO or a device would block the reading or never end.
    if (const QString why = safefile::notRegularFile(project); !why.isEmpty()) {
        err(QStringLiteral("impossible de lire ") + quoted(project) + QStringLiteral(" : ") + why + QLatin1Char('.'));
        return NotWritten;
    }

    if (isHelpFile(project) && !chm)
        return fromHelpFile(project, html ? htmlFolder : QString(), hpa ? hpaFile : QString());
    if (hpa) {
        err(quoted(project) + QStringLiteral(" n'est pas un fichier d'aide WinHelp : --hpa en demande un."));
        return NotWritten;
    }

    const hlp::CompileResult c = html ? hlp::html::writeHtmlHelp(project, htmlFolder)
        : chm && (isHelpFile(project) || project.endsWith(QStringLiteral(".hlp"), Qt::CaseInsensitive)) ? chmFromHelpFile(project, chmFile)
        : chm ? hlp::chm::writeChmHelp(project, chmFile)
              : hlp::HlpCompiler().compile(project);
    for (const QString& line : c.diagnostics)
        say(stderr, line);
    if (!c.written) {
        err((html ? QStringLiteral("l'aide HTML ") : QStringLiteral("le fichier ")) + quoted(c.hlpPath)
            + QStringLiteral(" n'a pas été écrit") + (html ? QStringLiteral("e.") : QStringLiteral(".")));
        return NotWritten;
    }
    if (strict && c.errorCount > 0) {
        err(QStringLiteral("%1 erreur(s) signalée(s) par la compilation (--strict).").arg(c.errorCount));
        return NotWritten;
    }
    return Success;
}
