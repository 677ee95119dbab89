// Opening a project from the command line and from the list of the last projects.
#include "app/windows/TMainForm.h"

#include "app/core/StartArguments.h"
#include "editor/windows/PagesHlp.h"
#include "platform/windows/Prompts.h"
#include "store/core/DocumentStore.h"
#include "store/core/TextRules.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

void TMainForm::createRecentEntries()
{
    RecentSeparator = Fichier1->insertSeparator(ExitItem);
    RecentSeparator->setObjectName(QStringLiteral("RecentSeparator"));
    for (int i = 0; i < RecentProjects::Capacity; ++i) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
        a->setProperty("helpContext", Fichier1->property("helpContext"));
        connect(a, &QAction::triggered, this, [this, i] { openRecent(i); });
        Fichier1->insertAction(RecentSeparator, a);
        RecentItems[i] = a;
    }
    // Another window of the program may have changed the list since.
    connect(Fichier1, &QMenu::aboutToShow, this, &TMainForm::refreshRecent);
    refreshRecent();
}

void TMainForm::refreshRecent()
{
    const QStringList files = Recent.files();
    for (int i = 0; i < RecentProjects::Capacity; ++i) {
        QAction* a = RecentItems[i];
        const bool used = i < files.size();
        a->setVisible(used);
        a->setText(used ? RecentProjects::caption(i, files[i]) : QString());
        a->setStatusTip(used ? QStringLiteral("Ouvrir %1").arg(files[i]) : QString());
    }
    RecentSeparator->setVisible(!files.isEmpty());
}

void TMainForm::rememberProject()
{
    if (CurrentFileName.isEmpty())
        return;
    // The file that was read or written, whatever extension the name was chosen with.
    Recent.add(store::forceExtension(CurrentFileName, QStringLiteral(".hpa")));
    refreshRecent();
}

void TMainForm::openProject(const QString& chosen)
{
    if (chosen.isEmpty())
        return;
    // The name and the caption change only with what is shown: a file that is missing or
    // unreadable leaves the open document, its name and its caption as they were.
    const QString name = store::projectFilePath(chosen);
    if (!PagesHlp->Charge(name))
        return;
    CurrentFileName = name;
    setFileCaption();
    rememberProject();
}

void TMainForm::openRecent(int index)
{
    editorCommand([this, index] {
        const QStringList files = Recent.files();
        if (index < 0 || index >= files.size())
            return;
        const QString path = files[index];
        if (!QFileInfo::exists(path)) {
            Recent.remove(path);
            refreshRecent();
            prompts().tell(this,
                QStringLiteral("Le projet « %1 » n'existe plus : il est retiré de la liste des derniers projets.").arg(path),
                Prompts::Kind::Warning);
            return;
        }
        // Unlike the Open dialog, one click here would silently drop the changes: ask first.
        if (PagesHlp->TestModif() && !askToSave())
            return;
        openProject(path);
    });
}

void TMainForm::openAtStart(const QStringList& arguments)
{
    const startarguments::Request r = startarguments::parse(arguments);
    if (!r.project.isEmpty())
        editorCommand([this, &r] { openProject(QFileInfo(r.project).absoluteFilePath()); });
    const QString extra = startarguments::ignoredMessage(r.ignored);
    if (!extra.isEmpty())
        prompts().tell(this, extra, Prompts::Kind::Warning);
}
