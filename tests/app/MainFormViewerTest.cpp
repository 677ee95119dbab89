// The program's own viewer from the main window (F1, the Aide menu, Fichier > Ouvrir une aide,
// Compiler > Voir after F9) and the preview beside the editor following the typing.
#include "ShellFixture.h"

#include "publish/windows/CompileJob.h"
#include "store/core/ProjectBlock.h"
#include "support/TestRegistry.h"
#include "viewer/windows/HelpPreview.h"
#include "viewer/windows/HelpTopics.h"
#include "viewer/windows/HelpViewer.h"
#include "viewer/windows/PopupWindow.h"
#include "viewer/windows/TopicView.h"

#include <QAction>
#include <QDockWidget>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

namespace {

const QString Mark = QString(store::ParagraphMark);

// Clicks inside the text `text` of a browser, as the mouse does.
bool clickText(QTextBrowser* b, const QString& text)
{
    const QTextCursor found = b->document()->find(text);
    if (found.isNull())
        return false;
    QTextCursor inside(b->document());
    inside.setPosition(found.selectionStart() + 1);
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, b->cursorRect(inside).center());
    return true;
}

QString shownTitle(const TMainForm& main)
{
    const HelpViewer* v = main.Viewer;
    return v && v->isVisible() && v->session() ? v->session()->topicTitle(v->currentTopic()) : QString();
}

// A project of two topics, a popup and a link to it, written as the editor keeps them.
void writeLinkedProject(const ShellFixture& f, const QString& firstBody)
{
    textfile::writeLines(f.path("p.hpa"),
        {"<HPJ>", "[OPTIONS]", "</HPJ>", store::topicOpenTag(0), "1\\", "Accueil" + store::TitleEndMark, firstBody,
            store::topicCloseTag(0), store::topicOpenTag(1), "1\\", "Suite" + store::TitleEndMark, "corps de la suite" + Mark,
            store::topicCloseTag(1), store::popupOpenTag(0), "Note0000" + store::TitleEndMark, "Note" + Mark,
            "Le texte de la note." + Mark, store::popupCloseTag(0)});
}

} // namespace

class MainFormViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void f1OpensTheProgramsOwnViewer_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("title");
        QTest::newRow("title field") << "Edit1" << "Menu Edition";
        QTest::newRow("keywords") << "Edit2" << QString::fromUtf8("Mots clés");
        QTest::newRow("no context: the contents") << "ClientArea" << "Aide de Tyx Plumet";
    }
    void f1OpensTheProgramsOwnViewer()
    {
        QFETCH(QString, field);
        QFETCH(QString, title);
        ShellFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->show();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        auto* w = f.main->findChild<QWidget*>(field);
        w->setFocusPolicy(Qt::StrongFocus);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_F1);
        QCOMPARE(shownTitle(*f.main), title);
        QVERIFY(f.prompts.asked.isEmpty());
        // F1 again on the help already shown keeps its history: Précédent goes back to it.
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        auto* title2 = f.main->findChild<QWidget*>("Edit1");
        title2->setFocus();
        QTest::keyClick(title2, Qt::Key_F1);
        QCOMPARE(shownTitle(*f.main), QStringLiteral("Menu Edition"));
        if (title != QStringLiteral("Menu Edition")) { // the same topic again is no new step
            QTest::mouseClick(f.main->Viewer->BackBtn, Qt::LeftButton);
            QCOMPARE(shownTitle(*f.main), title);
        }
    }

    void helpMenu_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("tab"); // of the Rubriques d'aide; -1: none, a topic instead
        QTest::addColumn<QString>("title");
        QTest::newRow("Index: the keywords") << "HelpContents" << 1 << "";
        QTest::newRow("Rechercher: the search") << "HelpSearch" << 2 << "";
        QTest::newRow("Utiliser l'aide: our topic") << "HelpHowToUse" << -1 << "Utiliser l'aide";
    }
    void helpMenu()
    {
        QFETCH(QString, entry);
        QFETCH(int, tab);
        QFETCH(QString, title);
        ShellFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("TyxHelp.hlp")));
        f.main->show();
        int shownTab = -1;
        f.prompts.dialogs << [&shownTab](QDialog& d) {
            shownTab = static_cast<HelpTopics&>(d).Tabs->currentIndex();
            return int(QDialog::Rejected);
        };
        f.main->findChild<QAction*>(entry)->trigger();
        QCOMPARE(shownTab, tab);
        QCOMPARE(f.prompts.shownDialogs, tab >= 0 ? QStringList{"HelpTopics"} : QStringList{});
        if (!title.isEmpty())
            QCOMPARE(shownTitle(*f.main), title);
    }

    void openAHelpFileFromTheFileMenu()
    {
        ShellFixture f;
        QVERIFY(QFile::copy(QStringLiteral(TYX_HELP_HLP), f.path("copie.hlp")));
        f.main->show();
        f.prompts.fileNames << f.path("copie.hlp");
        f.main->OuvrirAide1->trigger();
        QCOMPARE(f.prompts.titles, QStringList{"Ouvrir une aide"});
        QCOMPARE(shownTitle(*f.main), "Aide de Tyx Plumet");
        QCOMPARE(f.main->Viewer->windowTitle(), "Aide de Tyx Plumet");
    }

    // F9 then Voir: the project's help in the viewer; the next F9 shows the new help at the same topic.
    void viewAfterBuildFollowsTheNextBuild()
    {
        ShellFixture f;
        f.writeProject("DEMO.hpa", {"Accueil", "Suite"});
        f.main->show();
        f.prompts.fileNames << f.path("DEMO.hpa");
        f.main->OpenItem->trigger();
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        f.main->voirfichierhlp1->trigger();
        QCOMPARE(shownTitle(*f.main), "Accueil");
        f.main->Viewer->showTopic(1);
        f.pages->Suivant();
        f.typeInBody(" revu");
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        QCOMPARE(shownTitle(*f.main), "Suite");
        QVERIFY(f.main->Viewer->View->Text->toPlainText().contains("corps Suite revu"));
    }

    void previewFollowsTheTypingAfterAPause()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"Accueil", "Suite"});
        QVERIFY(f.showActive());
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QTest::keyClick(f.pages->Memo1, Qt::Key_F5); // Affichage > Aperçu
        QVERIFY(f.main->PreviewDock->isVisible());
        QSignalSpy drawn(f.main->Preview, &HelpPreview::refreshed);
        QVERIFY(drawn.wait(5000));
        QTextBrowser* shown = f.main->Preview->View->Text;
        QVERIFY(shown->toPlainText().startsWith("corps Accueil"));
        drawn.clear();
        f.typeInBody(" et la suite");
        // Nothing is drawn on the keys themselves.
        QCOMPARE(drawn.count(), 0);
        QVERIFY(!shown->toPlainText().contains("et la suite"));
        QVERIFY(drawn.wait(5000));
        QVERIFY(shown->toPlainText().startsWith("corps Accueil et la suite"));
        // The title is the non-scrolling region, as the build writes it.
        QCOMPARE(f.main->Preview->View->Region->toPlainText().trimmed(), "Accueil");
    }

    void previewLinksAndProblems_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("click");   // text of the preview to click
        QTest::addColumn<QString>("outcome"); // page:N, popup, or the problem listed
        QTest::addColumn<int>("caret");       // where a click on the problem puts the caret
        QTest::newRow("contents link: the editor shows its topic") << "bienvenue" + Mark << "Suite" << "page:1" << -1;
        QTest::newRow("popup link") << "voir la {\\ul note}{\\v Pp0000}" + Mark << "note" << "popup" << -1;
        QTest::newRow("a brace never closed")
            << "texte {\\b gras" + Mark << ""
            << QString::fromUtf8("Accolade « { » jamais fermée (ligne 1, colonne 7) : elle est fermée à la fin de la rubrique.") << 6;
        QTest::newRow("an unknown control word")
            << "copier C:\\Calculo" + Mark << ""
            << QString::fromUtf8("Mot de contrôle « \\Calculo » inconnu du compilateur (ligne 1, colonne 10) : « Calculo » disparaîtra de l'aide.")
            << 9;
    }
    void previewLinksAndProblems()
    {
        QFETCH(QString, body);
        QFETCH(QString, click);
        QFETCH(QString, outcome);
        QFETCH(int, caret);
        ShellFixture f;
        writeLinkedProject(f, body);
        QVERIFY(f.showActive());
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QSignalSpy drawn(f.main->Preview, &HelpPreview::refreshed);
        f.main->Apercu1->trigger();
        QVERIFY(drawn.wait(5000));
        QListWidget* problems = f.main->Preview->Problems;
        if (caret >= 0) {
            QVERIFY(problems->isVisible());
            QCOMPARE(problems->count(), 1);
            QCOMPARE(problems->item(0)->text(), outcome);
            QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, problems->visualItemRect(problems->item(0)).center());
            QCOMPARE(f.pages->Memo1->textCursor().position(), caret);
            return;
        }
        QVERIFY(!problems->isVisible());
        QVERIFY(clickText(f.main->Preview->View->Text, click));
        if (outcome == "popup") {
            PopupWindow* popup = f.main->Preview->popupWindow();
            QVERIFY(popup && popup->isVisible());
            QCOMPARE(popup->Text->toPlainText().trimmed(), QString("Note\nLe texte de la note."));
            QCOMPARE(f.pages->doc().CurrentPage, 0);
        } else {
            QCOMPARE(f.pages->doc().CurrentPage, outcome.mid(5).toInt());
            QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Suite"));
        }
    }

    void previewAtFirstStartAndKept_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("stored"); // the settings' line, empty: never chosen
        QTest::addColumn<bool>("shown");
        // (A wide window shows it too, when never chosen: too wide for the test's screen.)
        QTest::newRow("never chosen, narrow window") << 600 << "" << false;
        QTest::newRow("hidden by the author") << 790 << "0" << false;
        QTest::newRow("shown by the author") << 600 << "1" << true;
    }
    void previewAtFirstStartAndKept()
    {
        QFETCH(int, width);
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        ShellFixture f;
        textfile::writeLines(f.path("TyxHelp.ini"), {"", QStringLiteral("0 0 500 %1").arg(width), "", "", "", "", stored});
        QVERIFY(f.showActive());
        QCOMPARE(f.main->PreviewDock->isVisible(), shown);
        QCOMPARE(f.main->Apercu1->isChecked(), shown);
        QTest::keyClick(f.pages->Memo1, Qt::Key_F5);
        QCOMPARE(f.main->PreviewDock->isVisible(), !shown);
        QVERIFY(f.main->close());
        const QStringList ini = QString::fromLatin1(f.iniBytes()).split("\r\n");
        QCOMPARE(ini.value(6), shown ? QString("0") : QString("1"));
    }
};

TYX_TEST(MainFormViewerTest);
#include "MainFormViewerTest.moc"
