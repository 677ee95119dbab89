#include "ShellFixture.h"
#include "support/FaultPoints.h"
#include "support/TestRegistry.h"

#include <QAction>

#include <cerrno>

using Answer = Prompts::Answer;

namespace {

const QString Filter = QStringLiteral("Pages d'aide (*.hpa)|*.hpa|Tous les fichiers (*.*)|*.*");

QString question(const QString& name)
{
    return QStringLiteral("Enregistrer changements dans '%1'?").arg(name);
}

} // namespace

class MainFormFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openForcesTheExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no extension") << "notes";
        QTest::newRow("other extension") << "notes.txt";
        QTest::newRow("upper case extension") << "notes.HPA";
    }
    void openForcesTheExtension()
    {
        QFETCH(QString, chosen);
        ShellFixture f;
        f.writeProject("notes.hpa", {"Accueil", "Suite"});
        f.typeInBody("change"); // Open asks nothing about unsaved changes
        f.prompts.fileNames << f.path(chosen);
        f.main->OpenItem->trigger();
        QCOMPARE(f.main->CurrentFileName, f.path("notes.hpa"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - notes.hpa"));
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil"));
        QCOMPARE(f.pages->doc().PageCount, 2);
        QVERIFY(f.prompts.asked.isEmpty());
        QCOMPARE(f.prompts.filters, QStringList{Filter});
        QCOMPARE(f.prompts.initialNames, QStringList{"*.hpa"});
    }

    void openCancelledOrMissing()
    {
        ShellFixture f;
        f.writeProject("a.hpa", {"Premier"});
        f.prompts.fileNames << f.path("a.hpa");
        f.main->OpenItemClick();

        f.main->OpenItemClick(); // cancelled: nothing changes
        QCOMPARE(f.main->CurrentFileName, f.path("a.hpa"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - a.hpa"));

        QVERIFY(f.prompts.asked.isEmpty());

        // A name without a file: said, and nothing changes, neither the name nor the caption.
        f.prompts.fileNames << f.path("absent");
        f.main->OpenItemClick();
        QCOMPARE(f.main->CurrentFileName, f.path("a.hpa"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - a.hpa"));
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Premier"));
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Le fichier « %1 » n'existe pas.").arg(f.path("absent.hpa"))});
    }

    void newCommand_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("saveNames"); // names the Save As dialog gives
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("renewed");
        QTest::addColumn<QString>("savedFile"); // the file that holds the change afterwards, if any

        QTest::newRow("unchanged: no question") << true << false << QList<Answer>{} << QStringList{} << QString() << true << QString();
        QTest::newRow("Annuler keeps everything") << true << true << QList<Answer>{Answer::Cancel} << QStringList{}
                                                  << question("doc.hpa") << false << QString();
        QTest::newRow("Non drops the changes") << true << true << QList<Answer>{Answer::No} << QStringList{}
                                               << question("doc.hpa") << true << QString();
        QTest::newRow("Oui saves first") << true << true << QList<Answer>{Answer::Yes} << QStringList{}
                                         << question("doc.hpa") << true << "doc.hpa";
        QTest::newRow("Oui on an unnamed document saves as") << false << true << QList<Answer>{Answer::Yes}
                                                             << QStringList{"neuf"} << question("") << true << "neuf.hpa";
        QTest::newRow("Oui then cancelled save as goes on") << false << true << QList<Answer>{Answer::Yes}
                                                            << QStringList{} << question("") << true << QString();
    }
    void newCommand()
    {
        QFETCH(bool, named);
        QFETCH(bool, modified);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, saveNames);
        QFETCH(QString, asked);
        QFETCH(bool, renewed);
        QFETCH(QString, savedFile);

        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil"});
        if (named) {
            f.prompts.fileNames << f.path("doc.hpa");
            f.main->OpenItemClick();
        } else {
            f.pages->Edit1->setText("Sans nom"); // a page is written only with a title
        }
        const QByteArray before = f.bytes("doc.hpa");
        const QString caption = f.main->windowTitle();
        if (modified)
            f.typeInBody(" ajout");
        for (Answer a : answers)
            f.prompts.answers << a;
        for (const QString& n : saveNames)
            f.prompts.fileNames << f.path(n);

        f.main->Nouveau1->trigger();

        QCOMPARE(f.prompts.asked, asked.isEmpty() ? QStringList{} : QStringList{asked});
        // A new document has no name in the caption; a cancelled New keeps it (or the Save As's on the way).
        QCOMPARE(f.main->windowTitle(), renewed ? QStringLiteral("Tyx Plumet")
                : saveNames.isEmpty()           ? caption
                                                : "Tyx Plumet - " + saveNames.first());
        if (renewed) {
            QVERIFY(f.main->CurrentFileName.isEmpty());
            QVERIFY(f.pages->Edit1->text().isEmpty());
            QCOMPARE(f.pages->doc().PageCount, 1);
        } else {
            QCOMPARE(f.main->CurrentFileName, f.path("doc.hpa"));
            QCOMPARE(f.pages->Memo1->toPlainText(), QStringLiteral("corps Accueil ajout"));
        }
        if (savedFile.isEmpty()) {
            QCOMPARE(f.bytes("doc.hpa"), before);
            QVERIFY(!f.exists("neuf.hpa"));
        } else {
            QVERIFY(f.bytes(savedFile).contains("ajout"));
        }
        // Declining to save leaves the new document counted as modified.
        if (renewed && modified && savedFile.isEmpty())
            QVERIFY(f.pages->TestModif());
    }

    void saveOfANamedDocumentWritesWithoutAsking()
    {
        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil"});
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItemClick();
        f.main->CurrentFileName = f.path("doc.txt"); // Save forces ".hpa" too
        f.typeInBody(" ajout");
        f.main->SaveItem->trigger();
        QCOMPARE(f.main->CurrentFileName, f.path("doc.hpa"));
        QVERIFY(f.bytes("doc.hpa").contains("corps Accueil ajout\r\n"));
        QVERIFY(!f.exists("doc.txt"));
        QVERIFY(!f.pages->TestModif());
        QCOMPARE(f.prompts.filters.size(), 1); // only Open's dialog
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void saveOfAnUnnamedDocumentAsksForAName()
    {
        ShellFixture f;
        f.pages->Edit1->setText("Titre");
        f.typeInBody("texte");
        f.main->SaveItemClick(); // cancelled
        QVERIFY(f.main->CurrentFileName.isEmpty());
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet"));
        QVERIFY(f.pages->TestModif());

        f.prompts.fileNames << f.path("projet");
        f.main->SaveItemClick();
        QCOMPARE(f.main->CurrentFileName, f.path("projet"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - projet"));
        QVERIFY(f.bytes("projet.hpa").contains("texte"));
        QVERIFY(!f.pages->TestModif());
        QCOMPARE(f.prompts.filters, (QStringList{Filter, Filter}));
        QCOMPARE(f.prompts.initialNames, (QStringList{"*.hpa", "*.hpa"}));

        // Named now: the next Save writes at once.
        f.typeInBody(" encore");
        f.main->SaveItemClick();
        QCOMPARE(f.prompts.filters.size(), 2);
        QVERIFY(f.bytes("projet.hpa").contains("texte encore"));
    }

    void saveAs_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<bool>("written");
        QTest::newRow("new name saves at once") << false << QList<Answer>{} << true;
        QTest::newRow("existing name, OK") << true << QList<Answer>{Answer::Ok} << true;
        QTest::newRow("existing name, Cancel") << true << QList<Answer>{Answer::Cancel} << false;
    }
    void saveAs()
    {
        QFETCH(bool, targetExists);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, written);
        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil"});
        if (targetExists)
            f.writeProject("cible.hpa", {"Ancien"});
        const QByteArray before = f.bytes("cible.hpa");
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItemClick();
        f.typeInBody(" ajout");
        f.prompts.answers << answers;
        f.prompts.fileNames << f.path("cible.txt"); // the file written is cible.hpa

        f.main->Enregistrersous1->trigger();

        QCOMPARE(f.prompts.asked, targetExists ? QStringList{QString::fromUtf8("Ce fichier existe déjà")} : QStringList{});
        QCOMPARE(f.main->CurrentFileName, f.path("cible.txt"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - cible.txt"));
        QCOMPARE(f.prompts.initialNames.last(), QStringLiteral("*.hpa"));
        if (written) {
            QVERIFY(f.bytes("cible.hpa").contains("corps Accueil ajout"));
            QVERIFY(!f.pages->TestModif());
        } else {
            QCOMPARE(f.bytes("cible.hpa"), before);
            QVERIFY(f.pages->TestModif());
            // The next Save writes to the new name without asking.
            f.main->SaveItemClick();
            QCOMPARE(f.prompts.asked.size(), 1);
            QVERIFY(f.bytes("cible.hpa").contains("corps Accueil ajout"));
        }
        QVERIFY(!f.bytes("doc.hpa").contains("ajout"));
    }

    void saveAsCancelledForgetsTheName()
    {
        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil"});
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItemClick();
        f.main->Enregistrersous1Click(); // cancelled
        QVERIFY(f.main->CurrentFileName.isEmpty());
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - doc.hpa"));
        f.main->SaveItemClick(); // asks for a name again
        QCOMPARE(f.prompts.filters.size(), 3);
    }

    void failedSaveKeepsTheChangesAndClaimsNothing()
    {
        ShellFixture f;
        f.pages->Edit1->setText("Titre");
        f.typeInBody("texte");
        const QString target = QStringLiteral("/nonexistent-tyx-folder/projet.hpa");
        f.prompts.fileNames << target;
        f.main->SaveItemClick();
        // The store showed the system's reason; the shell adds nothing, and the flow went on.
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.main->CurrentFileName, target);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - projet.hpa"));
        QVERIFY(f.pages->TestModif());
        QVERIFY(f.pages->doc().ProjectFileName.isEmpty());
    }

    // The first fault reported by users: a save into a full folder. Whatever point of the save
    // fails, the project file stays byte for byte, the reason is shown in French, and the
    // document keeps its changes.
    void saveFailingAtEveryPointKeepsTheFile()
    {
        ShellFixture f;
        QStringList titles;
        for (int n = 0; n < 150; ++n) // about 8 KB, as in the report
            titles << QStringLiteral("Rubrique %1").arg(n);
        f.writeProject("doc.hpa", titles);
        const QByteArray old = f.bytes("doc.hpa");
        QVERIFY(old.size() > 7000);
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItemClick();
        QVERIFY(f.showActive());
        const QList<faults::Point> points = faults::record([&] {
            f.typeInBody(" a");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        });
        QVERIFY(f.bytes("doc.hpa").contains("corps Rubrique 0 a\r\n"));
        QCOMPARE(points.size(), 5); // create, write, sync, close, rename
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(textfile::writeBytes(f.path("doc.hpa"), old));
            f.prompts.asked.clear();
            f.typeInBody(" b");
            const auto before = faults::folderBytes(f.dir.path());
            {
                const faults::Inject fault(i, ENOSPC);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
            }
            QCOMPARE(faults::folderBytes(f.dir.path()), before);
            QCOMPARE(f.prompts.asked,
                QStringList{QString::fromUtf8("Impossible d'enregistrer le fichier « %1 » : disque plein").arg(f.path("doc.hpa"))});
            QVERIFY(f.pages->TestModif());
        }
    }

    // The settings are written at closing too: a failure there is said, and the old file stays.
    void settingsThatCannotBeWrittenAreReported()
    {
        ShellFixture f;
        QVERIFY(QDir().mkpath(shellsettings::configFolder()));
        QVERIFY(textfile::writeBytes(f.iniPath(), "ancien\r\n"));
        safefile::setFaultHook([](safefile::Step s, const QString&) { return s == safefile::Step::Write ? EDQUOT : 0; });
        const bool closed = f.main->close();
        safefile::setFaultHook({});
        QVERIFY(closed);
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Les réglages n'ont pas pu être enregistrés dans « %1 » : quota de disque dépassé")
                                                 .arg(f.iniPath())});
        QCOMPARE(f.iniBytes(), QByteArray("ancien\r\n"));
    }

    void closingWhenTheSaveFailsKeepsTheDocument()
    {
        ShellFixture f;
        f.pages->Edit1->setText("Titre");
        f.typeInBody("texte");
        f.main->CurrentFileName = QStringLiteral("/nonexistent-tyx-folder/projet.hpa");
        f.prompts.answers << Answer::Yes;
        QVERIFY(!f.main->close()); // the save failed: nothing is lost, the window stays
        QCOMPARE(f.prompts.asked.size(), 2); // the question, then the system's reason
        QVERIFY(f.pages->TestModif());
        f.prompts.answers << Answer::Yes;
        f.main->Nouveau1Click(); // New stops there too
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Titre"));
    }

    void closing_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("unchanged") << true << false << QList<Answer>{} << QString() << true << false;
        QTest::newRow("Non") << true << true << QList<Answer>{Answer::No} << question("doc.hpa") << true << false;
        QTest::newRow("Annuler") << true << true << QList<Answer>{Answer::Cancel} << question("doc.hpa") << false << false;
        QTest::newRow("Oui") << true << true << QList<Answer>{Answer::Yes} << question("doc.hpa") << true << true;
        QTest::newRow("unnamed asks with empty quotes") << false << true << QList<Answer>{Answer::Yes} << question("")
                                                        << true << false;
    }
    void closing()
    {
        QFETCH(bool, named);
        QFETCH(bool, modified);
        QFETCH(QList<Answer>, answers);
        QFETCH(QString, asked);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil"});
        if (named) {
            f.prompts.fileNames << f.path("doc.hpa");
            f.main->OpenItemClick();
        }
        if (modified)
            f.typeInBody(" ajout");
        f.prompts.answers << answers;

        QCOMPARE(f.main->close(), closes);

        QCOMPARE(f.prompts.asked, asked.isEmpty() ? QStringList{} : QStringList{asked});
        QCOMPARE(f.bytes("doc.hpa").contains("ajout"), saved);
        // The settings file is written when, and only when, the window closes.
        QCOMPARE(QFile::exists(f.iniPath()), closes);
        if (!closes) {
            QCOMPARE(f.main->ExitItem->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
            f.prompts.answers << Answer::No;
            f.main->ExitItem->trigger();
            QVERIFY(QFile::exists(f.iniPath()));
        }
    }
};

TYX_TEST(MainFormFileTest);
#include "MainFormFileTest.moc"
