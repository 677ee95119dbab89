// The build from the main window: files written, the built-in compiler run off the window's
// thread, its messages shown when there is something to read, an outside compiler started instead.
#include "ShellFixture.h"

#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "platform/core/Launcher.h"
#include "platform/windows/DesktopOpen.h"
#include "store/core/ProjectBlock.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QUrl>
#include <tuple>

class MainFormBuildTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void builtInCompilerWritesTheHelpFile()
    {
        ShellFixture f;
        f.writeProject("DEMO.hpa", {"Accueil", "Suite"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName); // the block a new project gets
        f.pages->Edit1->setText("Accueil changé");
        f.main->Compiler2Click();
        QVERIFY(f.main->Compilation->running() || f.exists("DEMO.hlp"));
        f.main->Compilation->wait();
        QVERIFY(f.exists("DEMO.hpj"));
        QVERIFY(f.exists("DEMO.rtf"));
        QVERIFY(f.exists("DEMO.hlp"));
        QVERIFY(f.bytes("DEMO.hpj").contains("IDH_Accueilchang\t1"));
        QVERIFY(f.main->StatusBar->currentMessage().contains(QString::fromUtf8("écrit")));
        QVERIFY(!f.main->CompileReport->isVisible()); // nothing to read after a clean build
    }

    // A file kept altered at Open (a topic numbered past 9999 that no reader finds): the build says
    // so, as the question did.
    void buildOfAnAlteredFileSaysSo()
    {
        ShellFixture f;
        const QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>", store::topicOpenTag(0), "1\\", "Accueil\x01", "a",
            store::topicCloseTag(0), "<BLOC10000>", "1\\", "Loin\x01", "b", "</BLOC10000>"};
        QVERIFY(textfile::writeLines(f.path("DEMO.hpa"), lines));
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName); // "Restaurer ?" answered Non
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Le fichier a été altéré. Restaurer ?")});
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        QTRY_VERIFY(f.main->CompileReport->isVisible());
        QVERIFY2(f.main->CompileReport->text().contains(QString::fromUtf8("altéré")), qPrintable(f.main->CompileReport->text()));
    }

    // F9 while the .hlp cannot be written, "Créer l'aide HTML" while the site cannot, or "Créer
    // l'aide CHM" while the .chm cannot: the compile thread fails, and the .hpj and .rtf of the
    // last build come back, so the files still belong together.
    void failedCompileKeepsTheLastBuild_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("reason");
        QTest::newRow("help file") << "DEMO.hlp" << QString::fromUtf8("c'est un dossier");
        QTest::newRow("help site") << "DEMO-html" << QString::fromUtf8("n'est pas vide");
        QTest::newRow("compiled help") << "DEMO.chm" << QString::fromUtf8("c'est un dossier");
    }
    void failedCompileKeepsTheLastBuild()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, reason);
        const bool html = blocked == "DEMO-html";
        const bool chm = blocked == "DEMO.chm";
        ShellFixture f;
        QList<QUrl> opened;
        desktop::setRecorder([&](const QUrl& u) {
            opened << u;
            return true;
        });
        f.writeProject("DEMO.hpa", {"Accueil", "Suite"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        QVERIFY(textfile::writeBytes(f.path("DEMO.hpj"), "ancien hpj"));
        QVERIFY(textfile::writeBytes(f.path("DEMO.rtf"), "ancien rtf"));
        QVERIFY(QDir(f.dir.path()).mkdir(blocked));
        QVERIFY(textfile::writeBytes(f.path(blocked + "/notes.txt"), "à garder"));
        QVERIFY(f.showActive());
        if (html)
            f.main->CreerAideHtml1->trigger();
        else if (chm)
            f.main->CreerAideChm1->trigger();
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QVERIFY(f.main->Compilation->running() || f.main->StatusBar->currentMessage().contains("remis"));
        f.main->Compilation->wait();
        desktop::setRecorder(nullptr);
        QCOMPARE(f.bytes("DEMO.hpj"), QByteArray("ancien hpj"));
        QCOMPARE(f.bytes("DEMO.rtf"), QByteArray("ancien rtf"));
        QVERIFY(opened.isEmpty());
        const QString said = f.main->StatusBar->currentMessage();
        QVERIFY2(said.contains(QString::fromUtf8(html || chm ? "n'a pas été écrite" : "n'a pas été écrit"))
                && said.contains(QString::fromUtf8("remis tels qu'ils étaient")),
            qPrintable(said));
        QVERIFY2(f.main->CompileReport->text().contains(reason), qPrintable(f.main->CompileReport->text()));
        QCOMPARE(f.bytes(blocked + "/notes.txt"), QString::fromUtf8("à garder").toUtf8());
    }

    void problemsAreShownByTitle()
    {
        ShellFixture f;
        QStringList lines{"<HPJ>", "[OPTIONS]", "TITLE=Essai", "[FILES]", "essai.rtf", "</HPJ>"};
        lines << store::topicOpenTag(0) << "1\\Introuvable" << QString("Accueil") + store::TitleEndMark << "corps"
              << store::topicCloseTag(0);
        textfile::writeLines(f.path("essai.hpa"), lines);
        f.main->CurrentFileName = f.path("essai.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        QVERIFY(f.main->CompileReport->isVisible());
        const QString report = f.main->CompileReport->text();
        QVERIFY2(report.contains("Accueil") && report.contains("Introuvable"), qPrintable(report));
    }

    void outsideCompilerIsStartedInstead()
    {
        ShellFixture f;
        QList<launcher::Start> started;
        launcher::setRecorder([&](const launcher::Start& s) { started << s; return true; });
        f.writeProject("DEMO.hpa", {"Accueil"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        f.main->HelpCompilerPath = QCoreApplication::applicationFilePath(); // an executable file
        f.main->Compiler2Click();
        launcher::setRecorder(nullptr);
        QVERIFY(!f.main->Compilation->running());
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].arguments, QStringList{"DEMO.hpj"});
        QCOMPARE(QDir(started[0].workingDirectory).canonicalPath(), QDir(f.dir.path()).canonicalPath());
        QVERIFY(!f.exists("DEMO.hlp"));
    }

    void htmlHelpIsWrittenAndOpened()
    {
        ShellFixture f;
        QList<QUrl> opened;
        desktop::setRecorder([&](const QUrl& u) {
            opened << u;
            return true;
        });
        QStringList lines;
        store::EcritHpj(lines, f.path("DEMO.hpa"));
        for (const auto& [n, level, title] : {std::tuple{0, "1", "Accueil"}, std::tuple{1, "2", "Suite"}})
            lines << store::topicOpenTag(n) << QString(level) + "\\" << QString(title) + store::TitleEndMark << "corps"
                  << store::topicCloseTag(n);
        textfile::writeLines(f.path("DEMO.hpa"), lines);
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        // The page on screen goes into the site, as into the .hlp.
        f.pages->Memo1->setFocus();
        f.pages->Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(f.pages->Memo1, " et plus");
        QVERIFY(f.main->Compiler1->actions().contains(f.main->CreerAideHtml1));
        QCOMPARE(f.main->CreerAideHtml1->text(), QString::fromUtf8("Créer l'aide &HTML"));
        f.main->CreerAideHtml1->trigger();
        f.main->Compilation->wait();
        desktop::setRecorder(nullptr);
        QVERIFY(f.exists("DEMO.hpj"));
        QVERIFY(!f.exists("DEMO.hlp"));
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(f.path("DEMO-html/index.html"))});
        QVERIFY(f.bytes("DEMO-html/index.html").contains("corps et plus"));
        QVERIFY(f.bytes("DEMO-html/sommaire.js").contains("[\"Suite\",\"IDH_Suite\",1]"));
        QVERIFY2(f.main->StatusBar->currentMessage().contains(QString::fromUtf8("Aide HTML DEMO-html écrite (2 rubriques)")),
            qPrintable(f.main->StatusBar->currentMessage()));
    }

    // The desktop's opener (xdg-open) starts the browser: the status line says whether it did.
    void htmlHelpSaysWhetherTheBrowserOpened_data()
    {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<QString>("said");
        QTest::newRow("no browser") << QByteArray("echo 'xdg-open: no method available for opening' >&2; exit 3")
                                    << QString::fromUtf8("Aide HTML DEMO-html écrite (1 rubrique), mais le navigateur n'a pas pu l'ouvrir "
                                                         "(xdg-open: no method available for opening).");
        QTest::newRow("browser started") << QByteArray("exit 0")
                                         << QString::fromUtf8("Aide HTML DEMO-html écrite (1 rubrique) et ouverte dans le navigateur.");
    }
    void htmlHelpSaysWhetherTheBrowserOpened()
    {
        QFETCH(QByteArray, opener);
        QFETCH(QString, said);
        ShellFixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("bin"));
        QVERIFY(textfile::writeBytes(f.path("bin/xdg-open"), "#!/bin/sh\n" + opener + "\n"));
        QVERIFY(QFile::setPermissions(f.path("bin/xdg-open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(f.path("bin")) + ':' + path);
        f.writeProject("DEMO.hpa", {"Accueil"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        f.main->CreerAideHtml1->trigger();
        f.main->Compilation->wait();
        QTRY_COMPARE(f.main->StatusBar->currentMessage(), said);
        qputenv("PATH", path);
    }

    // "Créer l'aide CHM": the same build as F9 (the page on screen included), then PROJET.chm
    // beside the project instead of the .hlp.
    void chmHelpIsWritten()
    {
        ShellFixture f;
        f.writeProject("DEMO.hpa", {"Accueil", "Suite"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        QVERIFY(f.showActive());
        f.pages->Edit1->setFocus();
        QTest::keyClicks(f.pages->Edit1, " nouvelle");
        QVERIFY(f.main->Compiler1->actions().contains(f.main->CreerAideChm1));
        QCOMPARE(f.main->CreerAideChm1->text(), QString::fromUtf8("Créer l'aide CH&M"));
        f.main->CreerAideChm1->trigger();
        f.main->Compilation->wait();
        QVERIFY(f.bytes("DEMO.hpj").contains("IDH_Accueilnouvelle\t1"));
        QVERIFY(!f.exists("DEMO.hlp"));
        QVERIFY(f.bytes("DEMO.chm").startsWith("ITSF"));
        QVERIFY2(f.main->StatusBar->currentMessage().contains(QString::fromUtf8("Aide CHM DEMO.chm écrite (2 rubriques)")),
            qPrintable(f.main->StatusBar->currentMessage()));
    }

    void htmlHelpOfAProjectNeverSaved()
    {
        ShellFixture f;
        QList<QUrl> opened;
        desktop::setRecorder([&](const QUrl& u) {
            opened << u;
            return true;
        });
        f.main->CurrentFileName.clear();
        f.main->CreerAideHtml1->trigger();
        desktop::setRecorder(nullptr);
        QVERIFY(!f.main->Compilation->running());
        QVERIFY(opened.isEmpty());
        QVERIFY(f.main->StatusBar->currentMessage().contains(QString::fromUtf8("Enregistrez d'abord le projet")));
    }

    void optionsCommandShowsTheOptionsDialog()
    {
        ShellFixture f;
        f.main->Options1Click();
        QCOMPARE(f.prompts.shownDialogs, QStringList{"TOptions"});
    }
};

TYX_TEST(MainFormBuildTest);
#include "MainFormBuildTest.moc"
