#include "app/core/StartArguments.h"

namespace startarguments {

Request parse(const QStringList& arguments)
{
    Request r;
    bool optionsEnded = false;
    for (const QString& a : arguments) {
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
        if (r.project.isEmpty())
            r.project = a;
        else
            r.ignored << a;
    }
    return r;
}

QString usage()
{
    return QStringLiteral(
        "Usage : tyxplumet [--help] [--version] [PROJET.hpa]\n"
        "\n"
        "Ouvre Tyx Plumet, l'outil d'écriture de fichiers d'aide WinHelp. Le projet d'aide\n"
        "PROJET.hpa, s'il est donné, est ouvert au démarrage comme par la commande « Ouvrir ».\n"
        "\n"
        "  --help      affiche cette aide\n"
        "  --version   affiche la version");
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
