// tyxhlpc: compiles a WinHelp project (.hpj with its RTF topic files and pictures) into the .hlp
// file beside it, with the built-in compiler, or into a help site with --html. Diagnostics go to
// stderr, in French.
#include "winhelp/HlpCompiler.h"
#include "platform/core/SafeFile.h"
#include "winhelp/html/HtmlHelp.h"

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

QString usageLine() { return QStringLiteral("Usage : tyxhlpc [--help] [--version] [--html DOSSIER] [--strict] PROJET.hpj"); }

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
        "  --strict          code de sortie 1 quand la compilation signale une erreur, même si\n"
        "                    le fichier d'aide est écrit\n"
        "  --                termine les options : l'argument suivant est le projet\n"
        "\n"
        "Code de sortie : 0 si le fichier .hlp (ou l'aide HTML) a été écrit, 1 sinon (ou, avec\n"
        "--strict, si la compilation signale une erreur), 2 si la ligne de commande est incorrecte.");
}

int usageError(const QString& why)
{
    err(why);
    say(stderr, usageLine());
    say(stderr, QStringLiteral("Pour plus d'informations : tyxhlpc --help"));
    return UsageError;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();

    QString project;
    QString htmlFolder;
    bool html = false;
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

    const hlp::CompileResult c = html ? hlp::html::writeHtmlHelp(project, htmlFolder) : hlp::HlpCompiler().compile(project);
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
