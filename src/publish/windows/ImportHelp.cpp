#include "publish/windows/ImportHelp.h"

#include "platform/windows/Prompts.h"
#include "store/core/DocumentStore.h"
#include "winhelp/reader/HelpFileRead.h"
#include "winhelp/writer/ProjectWriter.h"

#include <QApplication>
#include <QFileInfo>

namespace {

// A wait cursor while the help is read and written (a large help takes a moment).
struct Busy {
    Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Busy() { QApplication::restoreOverrideCursor(); }
};

} // namespace

QString ImporterAide(QWidget* parent)
{
    const QString help = prompts().openFileName(parent, QStringLiteral("Fichiers d'aide (*.hlp)|*.hlp|Tous les fichiers (*.*)|*.*"),
        QStringLiteral("*.hlp"), QStringLiteral("hlp"), QStringLiteral("Importer une aide .hlp"));
    if (help.isEmpty())
        return {};
    const QString chosen = prompts().saveFileName(parent, QStringLiteral("Pages d'aide (*.hpa)|*.hpa|Tous les fichiers (*.*)|*.*"),
        QFileInfo(help).completeBaseName() + QStringLiteral(".hpa"), QStringLiteral("hpa"));
    if (chosen.isEmpty())
        return {};
    const QString project = store::projectFilePath(chosen);
    if (QFileInfo::exists(project)
        && prompts().ask(parent, QStringLiteral("Ce fichier existe déjà"), Prompts::Buttons::OkCancel, Prompts::Kind::Warning)
            != Prompts::Answer::Ok)
        return {};

    QString why;
    hlp::HelpProjectFile made;
    {
        Busy busy;
        const hlp::HelpFileRead read = hlp::readHelpFile(help);
        if (!read.help)
            why = QStringLiteral("Impossible de lire l'aide « %1 » : %2").arg(QFileInfo(help).fileName(), read.error);
        else
            made = hlp::makeHelpProject(*read.help, project);
        if (read.help && !made.error.isEmpty())
            why = QStringLiteral("L'aide « %1 » ne peut pas devenir un projet : %2").arg(QFileInfo(help).fileName(), made.error);
        else if (read.help && !hlp::writeHelpProject(made, project, &why))
            why = QStringLiteral("Le projet « %1 » n'a pas été écrit : %2").arg(QFileInfo(project).fileName(), why);
        if (read.help)
            made.warnings = read.warnings + made.warnings;
    }
    if (!why.isEmpty()) {
        prompts().tell(parent, why, Prompts::Kind::Error);
        return {};
    }
    constexpr int kShown = 12; // a damaged help may have many: the first ones say enough
    if (made.warnings.size() > kShown) {
        const qsizetype more = made.warnings.size() - kShown;
        made.warnings = made.warnings.mid(0, kShown);
        made.warnings << QStringLiteral("… et %1 autre(s).").arg(more);
    }
    if (!made.warnings.isEmpty())
        prompts().tell(parent,
            QStringLiteral("Le projet « %1 » est écrit (%2 rubriques, %3 fenêtres surgissantes, %4 images), avec ces remarques :\n%5")
                .arg(QFileInfo(project).fileName())
                .arg(made.topics)
                .arg(made.popups)
                .arg(made.pictures)
                .arg(made.warnings.join(QLatin1Char('\n'))),
            Prompts::Kind::Warning);
    return project;
}
