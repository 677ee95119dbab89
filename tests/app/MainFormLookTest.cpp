#include "ShellFixture.h"
#include "app/windows/TAboutBox.h"
#include "app/windows/TSplash.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/FixerHcp.h"
#include "editor/windows/TPopUp.h"
#include "platform/core/TimeSource.h"
#include "support/TestRegistry.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// A menu as "caption" entries joined by "|", separators as "-", submenus as "caption>".
QString menuLayout(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) {
        if (!a->isVisible()) // what the menu shows
            continue;
        if (a->isSeparator())
            out << QStringLiteral("-");
        else
            out << a->text() + (a->menu() ? QStringLiteral(">") : QString());
    }
    return out.join(QLatin1Char('|'));
}

void writeIni(const QString& dir, const QStringList& lines)
{
    QVERIFY(textfile::writeLines(QDir(dir).filePath("TyxHelp.ini"), lines));
}

} // namespace

class MainFormLookTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("helpContext");
        QTest::addColumn<QString>("layout");
        QTest::newRow("Fichier") << "Fichier1" << 6
                                 << QString::fromUtf8("&Fichier:&Nouveau|&Ouvrir...|&Enregistrer|Enregistrer &sous...|-|Im&porter...|"
                                                    "Importer une &aide .hlp…|E&xporter...|-|"
                                                    "&Imprimer...|&Configuration imprimante...|-|&Quitter");
        QTest::newRow("Edition") << "Edition1" << 7
                                 << QString::fromUtf8("&Edition:&Annuler|Réta&blir|-|&Copier|Cou&per|C&oller|Coller comme te&xte|&Tout sélectionner|-|&Rechercher...|"
                                                      "Co&ntinuer|Re&mplacer...|-|Retour à la ligne &auto");
        QTest::newRow("Rubriques") << "Rubriques1" << 8
                                   << QString::fromUtf8("&Rubriques:&Précédent           PgUp|&Suivant                 PgDn|-|"
                                                        "&Ajouter rubrique|S&upprimer rubrique|-|P&ropriétes|Lien &voir aussi|"
                                                        "Supp&rimer voir aussi|Lien Pop&Up|&Modifier PopUp|-|&Liste des rubriques|"
                                                        "&Hiérarchie|Liste des &PopUp");
        QTest::newRow("Projet") << "Projet1" << 9
                                << QString::fromUtf8("&Projet:&Options...|-|Ouvrir &fichier texte...|&Insérer une image...|-|"
                                                     "Imprimer &titres et numéros|&Editer fichier projet");
        QTest::newRow("Compiler") << "Compiler1" << 10 << "&Compiler:&Fixer compilateur...|&Créer ficher HLP|&Voir fichier HLP|Créer l'aide &HTML|Créer l'aide CH&M";
        QTest::newRow("Style") << "Style1" << 11 << "&Style:&Gras|&Italique|&Souligné|&Encadrer|&Centrer|&Habiller>";
        QTest::newRow("Habiller") << "Habiller1" << 11
                                  << QString::fromUtf8("&Habiller:Image à &gauche|Image à &droite|Image comme &caractère");
        QTest::newRow("Utilitaires") << "Utilitaires1" << 12 << "&Utilitaires:&Calendrier|C&alculatrice|&Horloge";
        QTest::newRow("Aide") << "Aide1" << 13 << "&Aide:&Index|&Rechercher|&Utiliser l'aide|-|&A propos";
    }
    void menus()
    {
        QFETCH(QString, name);
        QFETCH(int, helpContext);
        QFETCH(QString, layout);
        ShellFixture f;
        const QMenu* m = f.main->findChild<QMenu*>(name);
        QVERIFY(m);
        QCOMPARE(m->title() + QLatin1Char(':') + menuLayout(m), layout);
        QCOMPARE(m->menuAction()->property("helpContext").toInt(), helpContext);
        if (name != QLatin1String("Habiller1")) {
            const QList<QAction*> bar = f.main->MainMenu->actions();
            const QStringList order{"Fichier1", "Edition1", "Rubriques1", "Projet1", "Compiler1", "Style1", "Utilitaires1", "Aide1"};
            QCOMPARE(bar.indexOf(m->menuAction()), order.indexOf(name));
        }
    }

    void entries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("hint");
        QTest::newRow("Nouveau1") << "Nouveau1" << "" << "Nouveau projet d'aide";
        QTest::newRow("OpenItem") << "OpenItem" << "Ctrl+O" << "Ouvrir un fichier";
        QTest::newRow("SaveItem") << "SaveItem" << "Ctrl+S" << "Enregistrer le fichier en cours";
        QTest::newRow("ExitItem") << "ExitItem" << "Alt+X" << "Quitter l'application";
        QTest::newRow("Copier1") << "Copier1" << "Ctrl+C" << "Copier dans le presse-papier";
        QTest::newRow("Couper1") << "Couper1" << "Ctrl+X" << "Couper";
        QTest::newRow("Coller1") << "Coller1" << "Ctrl+V" << "Coller depuis le presse-papier";
        QTest::newRow("Annuler1") << "Annuler1" << "Ctrl+Z" << QString::fromUtf8("Annuler la dernière modification");
        QTest::newRow("Retablir1") << "Retablir1" << "Ctrl+Y" << QString::fromUtf8("Rétablir la modification annulée");
        QTest::newRow("CollerTexte1") << "CollerTexte1" << "Ctrl+Shift+V" << QString::fromUtf8("Coller le presse-papier comme du texte tapé");
        QTest::newRow("Continuer1") << "Continuer1" << "F3" << "Continuer la rexherche";
        QTest::newRow("WordWrap") << "WordWrap" << "" << QString::fromUtf8("Valider retour à la ligne");
        QTest::newRow("Prcdent1 (PgUp is text)") << "Prcdent1" << "" << QString::fromUtf8("Rubrique précédente");
        QTest::newRow("Liste1") << "Liste1" << "F2" << "Montrer la liste des pages";
        QTest::newRow("Supprimervoiraussi1") << "Supprimervoiraussi1" << "" << "Supprimer la rubrique";
        QTest::newRow("ImprimerTitresetn1") << "ImprimerTitresetn1" << "" << QString::fromUtf8("Imprimer les numéros de contexte associé au titre");
        QTest::newRow("Compiler2") << "Compiler2" << "F9" << QString::fromUtf8("Créer le fichier d'aide");
        QTest::newRow("voirfichierhlp1") << "voirfichierhlp1" << "" << "voir avec Winhelp";
        QTest::newRow("CreerAideHtml1") << "CreerAideHtml1" << "" << QString::fromUtf8("Créer l'aide en HTML et l'ouvrir dans le navigateur");
        QTest::newRow("CreerAideChm1") << "CreerAideChm1" << "" << QString::fromUtf8("Créer l'aide HTML compilée (.chm) que Windows ouvre seul");
        QTest::newRow("Soulign1 has no hint") << "Soulign1" << "" << "";
        QTest::newRow("Centrer1") << "Centrer1" << "" << "Center texte ou image";
        QTest::newRow("Habiller1") << "Habiller1" << "" << "Habiller image par du texte";
        QTest::newRow("Imagegauche1") << "Imagegauche1" << "" << QString::fromUtf8("Imagecadrée à gauche");
        QTest::newRow("HelpSearch") << "HelpSearch" << "" << QString::fromUtf8("Rechercher un mot clé");
        QTest::newRow("About1") << "About1" << "" << "Informations sur le logiciel";
    }
    void entries()
    {
        QFETCH(QString, name);
        QFETCH(QString, shortcut);
        QFETCH(QString, hint);
        ShellFixture f;
        const QList<QAction*> found = f.main->findChildren<QAction*>(name);
        QVERIFY(!found.isEmpty());
        QCOMPARE(found.first()->shortcut().toString(QKeySequence::PortableText), shortcut);
        QCOMPARE(found.first()->statusTip(), hint);
    }

    void hintGoesToTheStatusLine()
    {
        ShellFixture f;
        f.main->OpenItem->showStatusText(f.main.get());
        QCOMPARE(f.main->StatusBar->currentMessage(), QStringLiteral("Ouvrir un fichier"));
        f.main->SpeedButton8->setStatusTip(f.main->SpeedButton8->toolTip());
        QStatusTipEvent tip(f.main->SpeedButton8->statusTip());
        QCoreApplication::sendEvent(f.main->SpeedButton8, &tip); // what hovering the button sends
        QCOMPARE(f.main->StatusBar->currentMessage(), QStringLiteral("Supprimer rubrique"));
    }

    void speedPanelOrderAndGaps()
    {
        ShellFixture f;
        QCOMPARE(f.main->SpeedPanel->height(), 28);
        QStringList seen;
        for (QAction* a : f.main->SpeedPanel->actions()) {
            const QWidget* w = f.main->SpeedPanel->widgetForAction(a);
            const auto* b = qobject_cast<const QToolButton*>(w);
            seen << (b ? b->objectName() + QLatin1Char('=') + b->toolTip() : QStringLiteral("|"));
            if (b)
                QVERIFY(b->autoRaise());
        }
        QCOMPARE(seen.join(QLatin1Char(' ')),
            QString::fromUtf8("FileNew1Btn=Nouveau OpenBtn=Ouvrir SaveBtn=Enregistrer | CopyBtn=Copier PasteBtn=Coller | "
                              "SpeedButton3=Premier SpeedButton4=Précédent SpeedButton5=Suivant SpeedButton6=Dernier | "
                              "SpeedButton7=Ajouter rubrique SpeedButton8=Supprimer rubrique | "
                              "SpeedButton1=Compiler SpeedButton2=Voir fichier hlp"));
    }

    void pageCommandsReachTheEditor_data()
    {
        QTest::addColumn<QStringList>("commands"); // object names of buttons or entries, in order
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("pageCount");
        QTest::newRow("last") << QStringList{"SpeedButton6"} << "P. 3" << 3;
        QTest::newRow("next twice") << QStringList{"SpeedButton5", "Suivant1"} << "P. 3" << 3;
        QTest::newRow("previous") << QStringList{"SpeedButton6", "SpeedButton4"} << "P. 2" << 3;
        QTest::newRow("previous entry") << QStringList{"SpeedButton6", "Prcdent1"} << "P. 2" << 3;
        QTest::newRow("first") << QStringList{"SpeedButton6", "SpeedButton3"} << "P. 1" << 3;
        QTest::newRow("add by button") << QStringList{"SpeedButton7"} << "P. 4" << 4;
        QTest::newRow("add by entry") << QStringList{"Ajouter1"} << "P. 4" << 4;
        QTest::newRow("delete by button") << QStringList{"SpeedButton8"} << "P. 1" << 2;
        QTest::newRow("delete by entry") << QStringList{"SpeedButton6", "Supprimer1"} << "P. 2" << 2;
    }
    void pageCommandsReachTheEditor()
    {
        QFETCH(QStringList, commands);
        QFETCH(QString, label);
        QFETCH(int, pageCount);
        ShellFixture f;
        f.writeProject("doc.hpa", {"Un", "Deux", "Trois"});
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItemClick();
        for (const QString& c : commands) {
            if (auto* b = f.main->SpeedPanel->findChild<QToolButton*>(c))
                b->click();
            else
                f.main->findChild<QAction*>(c)->trigger();
        }
        QCOMPARE(f.pages->Label2->text(), label);
        QCOMPARE(f.pages->doc().PageCount, pageCount);
    }

    void toolsAreShownModally_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("Calendrier1") << "Calendrier1";
        QTest::newRow("Calculatrice1") << "Calculatrice1";
        QTest::newRow("Horloge1") << "Horloge1";
        QTest::newRow("About1") << "About1";
    }
    void toolsAreShownModally()
    {
        QFETCH(QString, entry);
        ShellFixture f;
        const QHash<QString, QDialog*> tools{{"Calendrier1", f.main->Calendrier}, {"Calculatrice1", f.main->Pocket},
            {"Horloge1", f.main->Horloge}, {"About1", f.main->AboutBox}};
        QDialog* tool = tools.value(entry);
        QVERIFY(tool);
        const QString shownAs = tool->objectName().isEmpty() ? QString::fromLatin1(tool->metaObject()->className()) : tool->objectName();
        f.main->findChild<QAction*>(entry)->trigger();
        f.main->findChild<QAction*>(entry)->trigger(); // the same window each time
        QCOMPARE(f.prompts.shownDialogs, (QStringList{shownAs, shownAs}));
    }

    void captionRules()
    {
        ShellFixture f;
        // The editor child is maximised: its own caption must not leak into the frame's.
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet"));
        f.writeProject("Mon projet.hpa", {"Accueil"});
        f.prompts.fileNames << f.path("Mon projet");
        f.main->OpenItemClick();
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - Mon projet.hpa"));
        f.main->Nouveau1Click();
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet")); // the new document has no name
    }

    void editorIsTheOneMaximisedChild()
    {
        ShellFixture f;
        const QList<QMdiSubWindow*> children = f.main->ClientArea->subWindowList();
        QCOMPARE(children.size(), 1);
        QMdiSubWindow* child = children.first();
        QCOMPARE(child->widget(), f.pages);
        QVERIFY(child->isMaximized());
        QVERIFY(!(child->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        QVERIFY(!child->close());
        QCOMPARE(f.main->ClientArea->subWindowList().size(), 1);
    }

    void clockPanelShowsTheTime_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << QTime(14, 5, 9) << "14:05:09";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "00:00:00";
        QTest::newRow("last second") << QTime(23, 59, 59) << "23:59:59";
    }
    void clockPanelShowsTheTime()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        ShellFixture f;
        timesource::set([time] { return QDateTime(QDate(2024, 3, 1), time); });
        f.main->Timer1Timer();
        timesource::set({});
        QCOMPARE(f.main->Panel1->text(), text);
        QCOMPARE(f.main->Panel1->width(), 82);
        QCOMPARE(f.main->Timer1->interval(), 1000);
        QVERIFY(f.main->Timer1->isActive());
    }

    void wordWrapSwitch()
    {
        ShellFixture f;
        // Without settings: the body wraps and the entry says so.
        QVERIFY(f.main->WordWrap->isChecked());
        QVERIFY(f.pages->wordWrap());
        f.main->WordWrap->trigger();
        QVERIFY(!f.main->WordWrap->isChecked());
        QVERIFY(!f.pages->wordWrap());
        f.main->WordWrap->trigger();
        QVERIFY(f.main->WordWrap->isChecked());
        QVERIFY(f.pages->wordWrap());
    }

    void settingsAtFirstShowing_data()
    {
        QTest::addColumn<QStringList>("ini"); // empty: no settings file
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QRect>("geometry"); // left, top, width, height
        QTest::addColumn<bool>("wrapChecked");
        QTest::addColumn<bool>("bodyWraps");
        QTest::addColumn<QString>("places"); // text viewer, project file editor (empty: untouched), popup editor (its own colour)
        // A first start: no geometry of its own (firstStartFitsTheScreen).
        QTest::newRow("no settings file") << QStringList{} << "" << QRect() << true << true
                                          << "330 70 -2147483643//330 70 -2147483633";
        QTest::newRow("main window out of bounds") << QStringList{"hcw.exe", "300 300 0 5000", "", "1", "", ""} << "hcw.exe"
                                                   << QRect(0, 0, 600, 400) << true << true << "330 70 0/330 70 0/330 70 -2147483633";
        QTest::newRow("five lines") << QStringList{"C:\\hcw.exe", "10 20 300 350", "400 100 255", "0", "500 200 12"}
                                    << "C:\\hcw.exe" << QRect(10, 20, 350, 300) << false << false
                                    << "400 100 255/500 200 12/330 70 -2147483633";
        QTest::newRow("garbage") << QStringList{"", "x y z", "\x01\x02", "oui", "-"} << "" << QRect(0, 0, 600, 400)
                                 << false << false << "330 70 0/330 70 0/330 70 -2147483633";
    }
    void settingsAtFirstShowing()
    {
        QFETCH(QStringList, ini);
        QFETCH(QString, compiler);
        QFETCH(QRect, geometry);
        QFETCH(bool, wrapChecked);
        QFETCH(bool, bodyWraps);
        QFETCH(QString, places);
        ShellFixture f;
        if (!ini.isEmpty())
            writeIni(f.dir.path(), ini);
        const QPoint before = f.main->pos();
        int hpjLeft = 0, hpjTop = 0, hpjColour = 0;
        f.main->EditHpj->GetIni(hpjLeft, hpjTop, hpjColour);
        const QString hpjBefore = QStringLiteral("%1 %2 %3").arg(hpjLeft).arg(hpjTop).arg(hpjColour);
        f.main->FormShow();
        QCOMPARE(f.main->StartDirectory, QDir::currentPath());
        QCOMPARE(qApp->property("helpFile").toString(), QDir(f.dir.path()).filePath("TyxHelp.hlp"));
        QCOMPARE(f.main->HelpCompilerPath, compiler);
        Q_UNUSED(before);
        if (!geometry.isNull()) {
            QCOMPARE(f.main->pos(), geometry.topLeft());
            QCOMPARE(f.main->size(), geometry.size());
        }
        QCOMPARE(f.main->WordWrap->isChecked(), wrapChecked);
        QCOMPARE(f.pages->wordWrap(), bodyWraps);
        const auto text = [](const shellsettings::WindowPlace& p) { return QStringLiteral("%1 %2 %3").arg(p.left).arg(p.top).arg(p.colour); };
        f.main->EditHpj->GetIni(hpjLeft, hpjTop, hpjColour);
        const QString hpj = QStringLiteral("%1 %2 %3").arg(hpjLeft).arg(hpjTop).arg(hpjColour);
        QStringList expected = places.split('/');
        if (expected[1].isEmpty())
            expected[1] = hpjBefore;
        int popupLeft = 0, popupTop = 0, popupColour = 0;
        f.main->PopUp->GetIni(popupLeft, popupTop, popupColour);
        const QString popup = QStringLiteral("%1 %2 %3").arg(popupLeft).arg(popupTop).arg(popupColour);
        QCOMPARE(text(f.main->TextViewerPlace) + '/' + hpj + '/' + popup, expected.join('/'));
        QVERIFY(f.prompts.asked.isEmpty());
    }

    // No settings anywhere: the window opens at a size that fits the screen and its text.
    void firstStartFitsTheScreen()
    {
        ShellFixture f;
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
        const QRect screen = f.main->screen()->availableGeometry();
        QVERIFY2(screen.contains(f.main->geometry()), qPrintable(QStringLiteral("%1x%2").arg(f.main->width()).arg(f.main->height())));
        QVERIFY(f.main->width() >= qMin(640, screen.width() * 9 / 10));
        QVERIFY(f.main->height() >= qMin(480, screen.height() * 9 / 10));
        // Its menus have room: the menu bar shows every menu on one row.
        QCOMPARE(f.main->MainMenu->heightForWidth(f.main->width()), f.main->MainMenu->sizeHint().height());
    }

    void settingsWrittenAtCloseReadBack()
    {
        ShellFixture f;
        writeIni(f.dir.path(), {"C:\\Aide\\hcw.exe", "15 25 310 420", "400 100 255", "1", "340 80 7", "350 90 0"});
        f.main->FormShow();
        f.main->HelpCompilerPath = QString::fromUtf8("D:\\Outils é\\hcw.exe");
        // The file dialogs may have moved the current directory: the file goes where settings go.
        QTemporaryDir elsewhere;
        QDir::setCurrent(elsewhere.path());
        QVERIFY(f.main->close());
        QVERIFY(!QFile::exists(elsewhere.filePath("TyxHelp.ini")));
        // Written where the desktop keeps settings; the old installation's file stays as it was.
        QCOMPARE(f.iniBytes(), QByteArray("D:\\Outils \xE9\\hcw.exe\r\n15 25 310 420\r\n400 100 255\r\n1\r\n"
                                          "340 80 7\r\n350 90 -2147483633\r\n"));
        QVERIFY(f.bytes("TyxHelp.ini").startsWith("C:\\Aide\\hcw.exe\r\n"));
        // The next start reads the new file, not the old one.
        f.main = createWindows();
        f.main->FormShow();
        QCOMPARE(f.main->HelpCompilerPath, QString::fromUtf8("D:\\Outils é\\hcw.exe"));
    }

    void compilerPathIsSetByItsDialog_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("after");
        QTest::newRow("OK") << true << "/opt/hcw/hcw.exe";
        QTest::newRow("Annuler") << false << "C:\\ancien\\hcw.exe";
    }
    void compilerPathIsSetByItsDialog()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, after);
        ShellFixture f;
        f.main->HelpCompilerPath = "C:\\ancien\\hcw.exe";
        QString shown;
        f.prompts.dialogs.enqueue([&](QDialog& d) {
            auto* fixer = qobject_cast<TFixerHcp*>(&d);
            if (!fixer)
                return int(QDialog::Rejected);
            shown = fixer->Edit1->text();
            fixer->Edit1->setText("/opt/hcw/hcw.exe");
            (confirm ? fixer->Button2 : fixer->Button3)->click();
            return d.result();
        });
        f.main->Fixerlecompilateur1->trigger();
        QCOMPARE(shown, QStringLiteral("C:\\ancien\\hcw.exe"));
        QCOMPARE(f.main->HelpCompilerPath, after);
    }

    void unwritableSettingsAreSilent()
    {
        ShellFixture f;
        f.main->StartDirectory = QStringLiteral("/nonexistent-tyx-folder");
        QVERIFY(f.main->close());
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void aboutAndSplash()
    {
        TAboutBox about;
        QCOMPARE(about.windowTitle(), QStringLiteral("A propos de Tyx Help"));
        QCOMPARE(about.ProductName->text(), QStringLiteral("Tyx Plumet"));
        QVERIFY(about.ProductName->font().bold());
        QCOMPARE(about.Version->text(), QStringLiteral("Version 2.0"));
        QCOMPARE(about.Button1->text(), QStringLiteral("OK"));
        about.show();
        about.Button1->click();
        QVERIFY(!about.isVisible());

        TSplash splash;
        QCOMPARE(splash.size(), QSize(318, 221));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.ProductName->text(), QStringLiteral("Tyx Plumet"));
        QVERIFY(splash.ProductName->font().bold());
        QCOMPARE(splash.Version->text(), QStringLiteral("Version 2.0"));
    }
};

TYX_TEST(MainFormLookTest);
#include "MainFormLookTest.moc"
