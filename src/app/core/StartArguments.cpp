#include "app/core/StartArguments.h"

namespace startarguments {

Request parse(const QStringList& arguments)
{
    Request r;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && (a == u"--aide" || a == u"--contexte")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                r.error = a == u"--aide" ? QStringLiteral("L'option --aide attend le nom d'un fichier d'aide.")
                                         : QStringLiteral("L'option --contexte attend un numéro ou une chaîne de contexte.");
                continue;
            }
            (a == u"--aide" ? r.helpFile : r.context) = arguments[++i];
            continue;
        }
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (a == u"--help" || a == u"-h")) {
            r.help = true;
            continue;
        }
        if (!optionsEnded && a == u"--version") {
            r.version = true;
            continue;
        }
        // Anything else is a file name, as the Open dialog would take it (a name may begin with
        // a dash; an empty one, from a launcher's empty %f, is no name).
        if (a.isEmpty())
            continue;
        if (a.endsWith(QLatin1String(".hlp"), Qt::CaseInsensitive) && r.helpFile.isEmpty() && r.project.isEmpty())
            r.helpFile = a;
        else if (r.project.isEmpty())
            r.project = a;
        else
            r.ignored << a;
    }
    if (!r.context.isEmpty() && r.helpFile.isEmpty() && r.error.isEmpty())
        r.error = QStringLiteral("L'option --contexte va avec un fichier d'aide : --aide FICHIER.hlp --contexte N.");
    return r;
}

QString usage()
{
    return QStringLiteral(
        "Usage : tyxplumet [--help] [--version] [PROJET.hpa]\n"
        "        tyxplumet [--aide] AIDE.hlp [--contexte N]\n"
        "\n"
        "Ouvre Tyx Plumet, l'outil d'écriture de fichiers d'aide WinHelp. Le projet d'aide\n"
        "PROJET.hpa, s'il est donné, est ouvert au démarrage comme par la commande « Ouvrir ».\n"
        "Un fichier d'aide AIDE.hlp s'ouvre seul dans la visionneuse d'aide de Tyx Plumet.\n"
        "\n"
        "  --aide AIDE.hlp   montre le fichier d'aide dans la visionneuse\n"
        "  --contexte N      à la rubrique de ce numéro de contexte ([MAP]) ou de cette\n"
        "                    chaîne de contexte (IDH_...)\n"
        "  --help            affiche cette aide\n"
        "  --version         affiche la version");
}

QString version()
{
    return QStringLiteral("tyxplumet 2.0");
}

QString ignoredMessage(const QStringList& ignored)
{
    if (ignored.isEmpty())
        return {};
    QStringList quoted;
    for (const QString& name : ignored)
        quoted << QStringLiteral("« %1 »").arg(name);
    return ignored.size() == 1
        ? QStringLiteral("Tyx Plumet ouvre un seul projet à la fois : %1 n'est pas ouvert.").arg(quoted.first())
        : QStringLiteral("Tyx Plumet ouvre un seul projet à la fois : %1 ne sont pas ouverts.").arg(quoted.join(QStringLiteral(", ")));
}

} // namespace startarguments
