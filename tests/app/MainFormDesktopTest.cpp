// The program as a desktop program: a project named on the command line, the last projects in
// the Fichier menu, and F1 opening the program's own help at the context of what has the focus.
#include "ShellFixture.h"

#include "platform/core/Launcher.h"
#include "platform/windows/DesktopOpen.h"
#include "publish/windows/FixerHcp.h"
#include "support/TestRegistry.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

namespace {

struct DesktopFixture : ShellFixture {
    QStringList visibleRecent() const
    {
        QStringList out;
        for (QAction* a : main->RecentItems) {
            if (a->isVisible())
                out << a->text();
        }
        return out;
    }
    QString recentCaption(int index, const QString& name) const
    {
        return RecentProjects::caption(index, QDir(dir.path()).absoluteFilePath(name));
    }
};

// Records what would be started instead of starting it.
struct StartRecorder {
    StartRecorder() { launcher::setRecorder([this](const launcher::Start& s) { started << s; return true; }); }
    ~StartRecorder() { launcher::setRecorder(nullptr); }
    QList<launcher::Start> started;
};

// A system on which only the named programs are found.
publish::hlpviewer::Probe onPath(const QStringList& programs, const QString& desktopDefault = {})
{
    publish::hlpviewer::Probe p;
    p.findProgram = [programs](const QString& name) {
        return programs.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    };
    p.queryOutput = [desktopDefault](const QString&, const QStringList&) { return desktopDefault; };
    return p;
}

// Records what the desktop would open instead of opening it.
struct OpenRecorder {
    OpenRecorder() { desktop::setRecorder([this](const QUrl& u) { opened << u; return true; }); }
    ~OpenRecorder() { desktop::setRecorder(nullptr); }
    QList<QUrl> opened;
};

bool copyFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QFileInfo& e : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(e.fileName());
        if (e.isDir() ? !copyFolder(e.filePath(), target) : !QFile::copy(e.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

class MainFormDesktopTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- the project named on the command line

    void argumentOpensLikeOpen_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName"); // CurrentFileName afterwards, in the temporary folder; empty: none
        QTest::addColumn<QString>("named"); // the file the answer names
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("listed"); // among the last projects afterwards
        QTest::newRow("a project") << QStringList{"notes.hpa"} << "notes.hpa" << "notes.hpa" << "Accueil" << QStringList{} << true;
        QTest::newRow("its extension is forced, as Open does")
            << QStringList{"notes.txt"} << "notes.hpa" << "notes.hpa" << "Accueil" << QStringList{} << true;
        QTest::newRow("no such file: nothing is read, the name and caption stay")
            << QStringList{"absent.hpa"} << "" << "absent.hpa" << ""
            << QStringList{QStringLiteral("Le fichier « %1 » n'existe pas.")} << false;
        QTest::newRow("a second name is answered and not opened")
            << QStringList{"notes.hpa", "autre.hpa"} << "notes.hpa" << "notes.hpa" << "Accueil"
            << QStringList{QStringLiteral("Tyx Plumet ouvre un seul projet à la fois : « autre.hpa » n'est pas ouvert.")}
            << true;
        QTest::newRow("a folder gets the same answer as in Open")
            << QStringList{"dossier.hpa"} << "" << "dossier.hpa" << ""
            << QStringList{QStringLiteral("Impossible de lire le fichier « %1 » : c'est un dossier, pas un fichier de projet.")}
            << false;
    }
    void argumentOpensLikeOpen()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, fileName);
        QFETCH(QString, named);
        QFETCH(QString, shownTitle);
        QFETCH(QStringList, asked);
        QFETCH(bool, listed);
        DesktopFixture f;
        f.writeProject("notes.hpa", {"Accueil", "Suite"});
        QDir(f.dir.path()).mkdir("dossier.hpa");
        f.main->show();
        f.main->openAtStart(arguments);

        const QString full = QDir(f.dir.path()).absoluteFilePath(named);
        QCOMPARE(f.main->CurrentFileName, fileName.isEmpty() ? QString() : full);
        QCOMPARE(f.main->windowTitle(), fileName.isEmpty() ? QStringLiteral("Tyx Plumet") : "Tyx Plumet - " + fileName);
        QCOMPARE(f.pages->Edit1->text(), shownTitle);
        for (QString& a : asked)
            a = a.arg(full);
        QCOMPARE(f.prompts.asked, asked);
        QCOMPARE(f.main->Recent.files(), listed ? QStringList{full} : QStringList{});
    }

    void noArgumentChangesNothing()
    {
        DesktopFixture f;
        f.main->show();
        f.main->openAtStart({});
        QCOMPARE(f.main->CurrentFileName, QString());
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet"));
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void anUnreadableProjectShowsTheReason()
    {
        DesktopFixture f;
        f.writeProject("ferme.hpa", {"Secret"});
        QFile::setPermissions(f.path("ferme.hpa"), QFileDevice::Permissions());
        if (QFile file(f.path("ferme.hpa")); file.open(QIODevice::ReadOnly))
            QSKIP("this user reads files whatever their permissions");
        f.main->openAtStart({f.path("ferme.hpa")});
        QCOMPARE(f.prompts.asked.size(), 1);
        QVERIFY(f.prompts.asked[0].startsWith(QStringLiteral("Impossible de lire le fichier « %1 » : ").arg(f.path("ferme.hpa"))));
        QCOMPARE(f.pages->Edit1->text(), QString());
        QVERIFY(f.main->Recent.files().isEmpty());
    }

    // ---- the last projects in the Fichier menu

    void openedAndSavedProjectsAreListed()
    {
        DesktopFixture f;
        QVERIFY(f.visibleRecent().isEmpty());
        QVERIFY(!f.main->RecentSeparator->isVisible());
        f.writeProject("a.hpa", {"Accueil A"});
        f.prompts.fileNames << f.path("a.hpa");
        f.main->OpenItem->trigger();
        f.prompts.fileNames << f.path("b.txt"); // written as b.hpa
        f.main->Enregistrersous1->trigger();
        QCOMPARE(f.visibleRecent(), (QStringList{f.recentCaption(0, "b.hpa"), f.recentCaption(1, "a.hpa")}));
        QVERIFY(f.main->RecentSeparator->isVisible());
        // The entries stand in the Fichier menu, just above Quitter.
        const QList<QAction*> entries = f.main->Fichier1->actions();
        const qsizetype exit = entries.indexOf(f.main->ExitItem);
        QCOMPARE(entries.mid(exit - 5, 5),
            (QList<QAction*>{f.main->RecentItems[0], f.main->RecentItems[1], f.main->RecentItems[2],
                f.main->RecentItems[3], f.main->RecentSeparator}));
        // Save keeps it first; a cancelled Save As adds nothing.
        f.main->SaveItem->trigger();
        f.main->Enregistrersous1->trigger();
        QCOMPARE(f.visibleRecent().size(), 2);
    }

    void theNumberKeyOpensAnEntry()
    {
        DesktopFixture f;
        f.writeProject("a.hpa", {"Accueil A"});
        f.writeProject("b.hpa", {"Accueil B"});
        for (const char* name : {"a.hpa", "b.hpa"}) {
            f.prompts.fileNames << f.path(QString::fromLatin1(name));
            f.main->OpenItem->trigger();
        }
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil B"));
        f.main->show();
        f.main->Fichier1->popup(f.main->mapToGlobal(QPoint(0, 0)));
        QTest::keyClick(f.main->Fichier1, Qt::Key_2);
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil A"));
        QCOMPARE(f.main->CurrentFileName, f.path("a.hpa"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - a.hpa"));
        QCOMPARE(f.visibleRecent(), (QStringList{f.recentCaption(0, "a.hpa"), f.recentCaption(1, "b.hpa")}));
    }

    void unsavedChangesAreAskedAboutFirst_data()
    {
        QTest::addColumn<Prompts::Answer>("answer");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("Annuler stays") << Prompts::Answer::Cancel << "Accueil B";
        QTest::newRow("Non opens") << Prompts::Answer::No << "Accueil A";
    }
    void unsavedChangesAreAskedAboutFirst()
    {
        QFETCH(Prompts::Answer, answer);
        QFETCH(QString, shownTitle);
        DesktopFixture f;
        f.writeProject("a.hpa", {"Accueil A"});
        f.writeProject("b.hpa", {"Accueil B"});
        for (const char* name : {"a.hpa", "b.hpa"}) {
            f.prompts.fileNames << f.path(QString::fromLatin1(name));
            f.main->OpenItem->trigger();
        }
        f.typeInBody("changement");
        f.prompts.answers << answer;
        f.main->RecentItems[1]->trigger();
        QCOMPARE(f.prompts.asked, QStringList{QStringLiteral("Enregistrer changements dans 'b.hpa'?")});
        QCOMPARE(f.pages->Edit1->text(), shownTitle);
    }

    void aVanishedProjectLeavesTheList()
    {
        DesktopFixture f;
        f.writeProject("a.hpa", {"Accueil A"});
        f.writeProject("b.hpa", {"Accueil B"});
        for (const char* name : {"a.hpa", "b.hpa"}) {
            f.prompts.fileNames << f.path(QString::fromLatin1(name));
            f.main->OpenItem->trigger();
        }
        QVERIFY(QFile::remove(f.path("a.hpa")));
        f.main->RecentItems[1]->trigger();
        QCOMPARE(f.prompts.asked,
            QStringList{QStringLiteral("Le projet « %1 » n'existe plus : il est retiré de la liste des derniers projets.")
                            .arg(f.path("a.hpa"))});
        QCOMPARE(f.visibleRecent(), QStringList{f.recentCaption(0, "b.hpa")});
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil B")); // nothing else happened
    }

    void theSettingsFileKeepsItsSixLines()
    {
        DesktopFixture f;
        f.writeProject("a.hpa", {"Accueil A"});
        f.main->show();
        f.prompts.fileNames << f.path("a.hpa");
        f.main->OpenItem->trigger();
        QVERIFY(f.main->close());
        const QStringList ini = QString::fromLatin1(f.iniBytes()).split("\r\n");
        QCOMPARE(ini.size(), 7); // six lines, each ended
        QCOMPARE(ini.last(), QString());
        QVERIFY(!f.iniBytes().contains("a.hpa"));
        // A program started later finds the list where this one left it.
        QCOMPARE(RecentProjects().files(), QStringList{f.path("a.hpa")});
    }

    // ---- F1

    void f1OpensTheHelpAtTheFocusedFieldsContext_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("title field") << "Edit1" << QStringList{"-i", "IDH_MenuEdition", "TyxHelp.hlp"};
        QTest::newRow("body") << "Memo1" << QStringList{"-i", "IDH_MenuEdition", "TyxHelp.hlp"};
        QTest::newRow("keywords") << "Edit2" << QStringList{"-i", "IDH_Motscls", "TyxHelp.hlp"};
        QTest::newRow("no context: the contents") << "ClientArea" << QStringList{"TyxHelp.hlp"};
    }
    void f1OpensTheHelpAtTheFocusedFieldsContext()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, arguments);
        DesktopFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({"winhlp32"});
        f.main->show();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        auto* w = f.main->findChild<QWidget*>(field);
        QVERIFY(w);
        w->setFocusPolicy(Qt::StrongFocus);
        w->setFocus();
        QCOMPARE(QApplication::focusWidget(), w);
        StartRecorder recorder;
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(recorder.started[0].program, QStringLiteral("/usr/bin/winhlp32"));
        QCOMPARE(recorder.started[0].arguments, arguments);
        QCOMPARE(QDir(recorder.started[0].workingDirectory).canonicalPath(), QDir(f.dir.path()).canonicalPath());
    }

    void f1OnAMenuEntry_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("entry"); // empty: none highlighted
        QTest::addColumn<QString>("context");
        QTest::newRow("Fichier, Ouvrir") << "Fichier1" << "OpenItem" << "IDH_MenuFichier";
        QTest::newRow("Rubriques, Supprimer rubrique") << "Rubriques1" << "Supprimer1" << "IDH_MenuRubriques";
        QTest::newRow("Projet, nothing highlighted") << "Projet1" << "" << "IDH_MenuProjet";
        QTest::newRow("Compiler, F9") << "Compiler1" << "Compiler2" << "IDH_MenuCompiler";
        QTest::newRow("Style, Habiller") << "Habiller1" << "Imagegauche1" << "IDH_MenuStyle";
        QTest::newRow("Utilitaires, Horloge") << "Utilitaires1" << "Horloge1" << "IDH_MenuUtilitaires";
        QTest::newRow("Aide, A propos") << "Aide1" << "About1" << "IDH_MenuAide";
    }
    void f1OnAMenuEntry()
    {
        QFETCH(QString, menu);
        QFETCH(QString, entry);
        QFETCH(QString, context);
        DesktopFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({"winhlp32"});
        f.main->show();
        auto* m = f.main->findChild<QMenu*>(menu);
        QVERIFY(m);
        m->popup(f.main->mapToGlobal(QPoint(10, 10)));
        QVERIFY(m->isVisible());
        if (!entry.isEmpty())
            m->setActiveAction(f.main->findChild<QAction*>(entry));
        StartRecorder recorder;
        QTest::keyClick(m, Qt::Key_F1);
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(recorder.started[0].arguments, (QStringList{"-i", context, "TyxHelp.hlp"}));
        QVERIFY(!m->isVisible()); // the help replaces the menu
    }

    void f1InADialogOpensItsMenusContext_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("context");
        QTest::newRow("compiler path") << "Fixerlecompilateur1" << "IDH_MenuCompiler";
        QTest::newRow("page index") << "Liste1" << "IDH_MenuRubriques";
        QTest::newRow("project options") << "Options1" << "IDH_MenuProjet";
        QTest::newRow("calculator") << "Calculatrice1" << "IDH_MenuUtilitaires";
        QTest::newRow("about box") << "About1" << "IDH_MenuAide";
        QTest::newRow("popup list") << "VoirPopups1" << "IDH_MenuRubriques";
    }
    void f1InADialogOpensItsMenusContext()
    {
        QFETCH(QString, command);
        QFETCH(QString, context);
        DesktopFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({"winhlp32"});
        StartRecorder recorder;
        f.prompts.dialogs << [](QDialog& d) {
            // The key goes to the field that has the focus in the dialog, or to the dialog itself.
            QWidget* target = d.focusWidget() ? d.focusWidget() : &d;
            QTest::keyClick(target, Qt::Key_F1);
            return int(QDialog::Rejected);
        };
        f.main->findChild<QAction*>(command)->trigger();
        QCOMPARE(f.prompts.shownDialogs.size(), 1);
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(recorder.started[0].arguments, (QStringList{"-i", context, "TyxHelp.hlp"}));
    }

    void f1InAWindowThatStaysOpen_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("context");
        QTest::newRow("find") << "Rechercher1" << "FindDialog1" << "IDH_MenuEdition";
        QTest::newRow("replace") << "Remplacer1" << "ReplaceDialog1" << "IDH_MenuEdition";
        QTest::newRow("text viewer") << "Ouvrirunfichier1" << "FichTxt" << "IDH_MenuProjet";
    }
    void f1InAWindowThatStaysOpen()
    {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(QString, context);
        DesktopFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({"winhlp32"});
        f.main->show();
        QFile text(f.path("lisez-moi.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Bonjour\r\n");
        text.close();
        f.prompts.fileNames << text.fileName(); // the text viewer's file
        f.main->findChild<QAction*>(command)->trigger();
        QWidget* w = f.main->findChild<QWidget*>(window);
        QVERIFY(w);
        QTRY_VERIFY(w->isVisible());
        StartRecorder recorder;
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F1);
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(recorder.started[0].arguments, (QStringList{"-i", context, "TyxHelp.hlp"}));
    }

    void theHelpIsFoundWhereItWasInstalled_data()
    {
        QTest::addColumn<QStringList>("copies"); // where a TyxHelp.hlp lies: start, data, exe
        QTest::addColumn<QString>("used");
        QTest::newRow("start directory first") << QStringList{"start", "data", "exe"} << "start";
        QTest::newRow("then the installed data folder") << QStringList{"data", "exe"} << "data";
        QTest::newRow("then beside the executable") << QStringList{"exe"} << "exe";
        QTest::newRow("none: the start directory is named") << QStringList{} << "start";
    }
    void theHelpIsFoundWhereItWasInstalled()
    {
        QFETCH(QStringList, copies);
        QFETCH(QString, used);
        DesktopFixture f;
        QDir root(f.dir.path());
        for (const char* sub : {"data", "exe"})
            QVERIFY(root.mkdir(QString::fromLatin1(sub)));
        f.main->HelpPlaces.installedData = f.path("data");
        f.main->HelpPlaces.executableDirectory = f.path("exe");
        f.main->HelpPlaces.dataFromExecutable = QStringLiteral("../nowhere");
        for (const QString& where : copies)
            QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), where == "start" ? f.path("TyxHelp.hlp") : f.path(where + "/TyxHelp.hlp")));
        f.main->Build.probe = onPath({"winhlp32"});
        f.main->show(); // the start directory is known from here on
        StartRecorder recorder;
        f.main->HelpContents->trigger();
        const QString folder = used == "start" ? f.dir.path() : f.path(used);
        if (copies.isEmpty()) {
            QVERIFY(recorder.started.isEmpty());
            QCOMPARE(f.main->StatusBar->currentMessage(),
                QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(QDir(folder).filePath("TyxHelp.hlp")));
            return;
        }
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(QDir(recorder.started[0].workingDirectory).canonicalPath(), QDir(folder).canonicalPath());
    }

    void withoutWinHelpF1OpensTheHtmlHelpsPage_data()
    {
        QTest::addColumn<QStringList>("programs"); // what the system has
        QTest::addColumn<QString>("desktopDefault");
        QTest::newRow("no viewer at all") << QStringList{} << "";
        QTest::newRow("a desktop viewer cannot go to a topic")
            << QStringList{"xdg-mime", "xdg-open"} << "visionneuse.desktop";
        QTest::newRow("Wine's viewer and no help file") << QStringList{"winhlp32"} << "";
    }
    void withoutWinHelpF1OpensTheHtmlHelpsPage()
    {
        QFETCH(QStringList, programs);
        QFETCH(QString, desktopDefault);
        DesktopFixture f;
        QVERIFY(copyFolder(QStringLiteral(TYX_HELP_HTML), f.path("TyxHelp-html")));
        if (!programs.contains("winhlp32"))
            QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath(programs, desktopDefault);
        f.main->show();
        f.pages->Edit2->setFocus();
        StartRecorder started;
        OpenRecorder browser;
        QTest::keyClick(f.pages->Edit2, Qt::Key_F1);
        QVERIFY(started.started.isEmpty());
        QCOMPARE(browser.opened, QList<QUrl>{QUrl::fromLocalFile(f.path("TyxHelp-html/IDH_Motscles.html"))});
    }

    void helpMenuWithoutAViewer_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("page");
        QTest::newRow("Index") << "HelpContents" << "index.html";
        QTest::newRow("Rechercher: the keyword index") << "HelpSearch" << "motscles.html";
        QTest::newRow("Utiliser l'aide") << "HelpHowToUse" << "index.html";
    }
    void helpMenuWithoutAViewer()
    {
        QFETCH(QString, command);
        QFETCH(QString, page);
        DesktopFixture f;
        QVERIFY(copyFolder(QStringLiteral(TYX_HELP_HTML), f.path("TyxHelp-html")));
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({});
        f.main->show();
        OpenRecorder browser;
        f.main->findChild<QAction*>(command)->trigger();
        QCOMPARE(browser.opened, QList<QUrl>{QUrl::fromLocalFile(f.path("TyxHelp-html/" + page))});
    }

    void withoutWinHelpTheDesktopViewerGetsTheFile()
    {
        DesktopFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->Build.probe = onPath({"xdg-mime", "xdg-open"}, QStringLiteral("visionneuse.desktop"));
        f.main->show();
        f.pages->Edit2->setFocus();
        StartRecorder recorder;
        QTest::keyClick(f.pages->Edit2, Qt::Key_F1);
        QCOMPARE(recorder.started.size(), 1);
        QCOMPARE(recorder.started[0].program, QStringLiteral("/usr/bin/xdg-open"));
        QCOMPARE(recorder.started[0].arguments, QStringList{"TyxHelp.hlp"});
    }
};

TYX_TEST(MainFormDesktopTest);
#include "MainFormDesktopTest.moc"
